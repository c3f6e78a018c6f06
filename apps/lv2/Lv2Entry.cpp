// The bundle's shared object: LV2's descriptors and their C entry points,
// each a thin call into the instance or its window. lv2_descriptor and
// lv2ui_descriptor are the only symbols the object exports. The window is in
// the same object as the plug-in, so that with instance-access both work on
// the one set of the module's objects (its processor, blocks and windows).

#include "Lv2Plugin.h"
#include "Lv2Ui.h"
#include "Lv2Uris.h"

#include <cstring>

namespace {

CIntonaraLv2* Instance(LV2_Handle handle)
{
    return static_cast<CIntonaraLv2*>(handle);
}

LV2_Handle Instantiate(const LV2_Descriptor* /*descriptor*/, double sampleRate, const char* /*bundlePath*/,
                       const LV2_Feature* const* features)
{
    try {
        return CIntonaraLv2::Create(sampleRate, features);
    } catch (...) {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* pData)
{
    Instance(handle)->ConnectPort(port, pData);
}

void Activate(LV2_Handle handle)
{
    Instance(handle)->Activate();
}

void Run(LV2_Handle handle, uint32_t nFrames)
{
    Instance(handle)->Run(nFrames);
}

void Deactivate(LV2_Handle /*handle*/) {}

void Cleanup(LV2_Handle handle)
{
    delete Instance(handle);
}

LV2_State_Status SaveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle stateHandle,
                           uint32_t /*flags*/, const LV2_Feature* const* features)
{
    try {
        return Instance(handle)->Save(store, stateHandle, features);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status RestoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle stateHandle,
                              uint32_t /*flags*/, const LV2_Feature* const* features)
{
    try {
        return Instance(handle)->Restore(retrieve, stateHandle, features);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const LV2_State_Interface kStateInterface = {SaveState, RestoreState};

const void* ExtensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_STATE__interface) == 0) {
        return &kStateInterface;
    }
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    lv2uri::kPluginUri.data(), Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData,
};

// ---------------------------------------------------------------------------
// The window

CIntonaraLv2Ui* Window(LV2UI_Handle handle)
{
    return static_cast<CIntonaraLv2Ui*>(handle);
}

LV2UI_Handle InstantiateUi(const LV2UI_Descriptor* /*descriptor*/, const char* /*pluginUri*/,
                           const char* /*bundlePath*/, LV2UI_Write_Function write, LV2UI_Controller controller,
                           LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    try {
        return CIntonaraLv2Ui::Create(write, controller, widget, features);
    } catch (...) {
        return nullptr;
    }
}

void CleanupUi(LV2UI_Handle handle)
{
    delete Window(handle);
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    try {
        Window(handle)->PortEvent(port, size, format, buffer);
    } catch (...) {
    }
}

int IdleUi(LV2UI_Handle handle)
{
    try {
        return Window(handle)->Idle();
    } catch (...) {
        return 1;
    }
}

// The panel has one size; a host that asks for another gets it refused.
int ResizeUi(LV2UI_Feature_Handle /*handle*/, int /*width*/, int /*height*/)
{
    return 1;
}

const LV2UI_Idle_Interface kIdleInterface = {IdleUi};
const LV2UI_Resize kResizeInterface = {nullptr, ResizeUi};

const void* UiExtensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) {
        return &kIdleInterface;
    }
    if (std::strcmp(uri, LV2_UI__resize) == 0) {
        return &kResizeInterface;
    }
    return nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {
    lv2uri::kUiUri, InstantiateUi, CleanupUi, PortEvent, UiExtensionData,
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kUiDescriptor : nullptr;
}
