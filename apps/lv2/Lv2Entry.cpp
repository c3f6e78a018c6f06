// The bundle's shared object: LV2's descriptor and its C entry points, each
// a thin call into the instance. lv2_descriptor is the only symbol the
// object exports.

#include "Lv2Plugin.h"
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

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
