// The class factory's answers, the counts that keep the module loaded, the
// registry keys and filter-mapper record that registration leaves, and the
// module itself loaded by file: its entry points, the version the shell
// shows, the name the shell finds it by and the strings the panel and the
// error log load from it.

#include "HostTestSupport.h"

#include "host/ModuleExports.h"
#include "host/Registration.h"
#include "platform/com/Module.h"
#include "platform/media/FilterMapper.h"
#include "platform/media/PropertyPage.h"
#include "platform/registry/Registry.h"
#include "platform/resources/VersionInfo.h"
#include "settings/ScaleSet.h"

#include <cstring>
#include <fstream>
#include <sstream>

using namespace hosttest;

namespace {

CComPtr<IClassFactory> Factory(REFCLSID clsid)
{
    CComPtr<IClassFactory> pFactory;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, pFactory.ReceiveVoid()), S_OK);
    return pFactory;
}

std::string ClassValue(REFCLSID clsid, const char* pSubkey, const char* pValue)
{
    const std::string key = "CLSID\\" + GuidToString(clsid) + (pSubkey ? std::string("\\") + pSubkey : "");
    std::string text;
    return RegGetString(HKEY_CLASSES_ROOT, key.c_str(), pValue, &text) == ERROR_SUCCESS ? text : "<missing>";
}

std::vector<CRegisteredFilter> MapperRecords()
{
    CComPtr<IFilterMapper> pMapper;
    EXPECT_EQ(CreateFilterMapper(nullptr, IID_IFilterMapper, pMapper.ReceiveVoid()), S_OK);
    std::vector<CRegisteredFilter> filters;
    pMapper->EnumRegisteredFilters(&filters);
    return filters;
}

std::string FileText(const std::filesystem::path& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

TEST(ClassFactory, ServesTheFilterWithItsInterfacesAndNothingElse)
{
    CComPtr<IUnknown> pUnknown;
    // The interface is checked before the class is looked up.
    EXPECT_EQ(DllGetClassObject(CLSID_FilterMapper, IID_IDispatch, pUnknown.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(DllGetClassObject(CLSID_FilterMapper, IID_IClassFactory, pUnknown.ReceiveVoid()), CLASS_E_CLASSNOTAVAILABLE);
    CComPtr<IClassFactory> pFactory = Factory(CLSID_IntonaraPlugIn);
    EXPECT_EQ(pFactory->QueryInterface(IID_IPersist, pUnknown.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(pFactory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    CComPtr<IIntonaraControl> pControl;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IIntonaraControl, pControl.ReceiveVoid()), S_OK);
    for (const IID& iid : {IID_IBaseFilter, IID_IPersistStream, IID_ISpecifyPropertyPages, IID_IHostPresets,
                           IID_IAMovieSetup, IID_IPersist}) {
        CComPtr<IUnknown> pOther;
        EXPECT_EQ(pControl->QueryInterface(iid, pOther.ReceiveVoid()), S_OK) << GuidToString(iid);
    }
    CComPtr<IPersist> pPersist;
    ASSERT_EQ(pControl->QueryInterface(IID_IPersist, pPersist.ReceiveVoid()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(pPersist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_IntonaraPlugIn);
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IDispatch, pUnknown.ReceiveVoid()), E_NOINTERFACE);

    // Aggregation only through IUnknown, and nothing is left over otherwise.
    CComPtr<CMemorySink> pOuter(new CMemorySink);
    const LONG before = CBaseObject::ObjectsActive();
    EXPECT_EQ(pFactory->CreateInstance(pOuter->GetInnerUnknown(), IID_IBaseFilter, pUnknown.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
    // The property page is an object of its own that answers as a page.
    CComPtr<IUnknown> pPage;
    ASSERT_EQ(Factory(CLSID_IntonaraPropertyPage)->CreateInstance(nullptr, IID_IPropertyPage, pPage.ReceiveVoid()),
              S_OK);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before + 1);
    pPage.Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
}

TEST(ClassFactory, LocksAndLiveObjectsKeepTheModuleLoaded)
{
    ASSERT_EQ(CBaseObject::ObjectsActive(), 0) << "left alive by an earlier test";
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    {
        CComPtr<IClassFactory> pFactory = Factory(CLSID_IntonaraPlugIn);
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
        EXPECT_EQ(pFactory->LockServer(TRUE), S_OK);
        pFactory.Release();
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
        EXPECT_EQ(ServerLockCount(), 1);
        pFactory = Factory(CLSID_IntonaraPlugIn);
        EXPECT_EQ(pFactory->LockServer(FALSE), S_OK);
        CComPtr<IBaseFilter> pFilter;
        ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IBaseFilter, pFilter.ReceiveVoid()), S_OK);
        pFactory.Release();
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(Registration, WritesTheClassKeysAndMapperRecordOnceAndUnregisteringClearsThem)
{
    CTemporaryRegistry registry;
    EXPECT_EQ(DllUnregisterServer(), S_OK);  // nothing there yet
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string once = FileText(registry.m_path);
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(FileText(registry.m_path), once);

    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(ClassValue(CLSID_IntonaraPlugIn, nullptr, nullptr), "Velmora Intonara Plugin");
    EXPECT_EQ(ClassValue(CLSID_IntonaraPropertyPage, nullptr, nullptr), "Velmora Intonara Plugin Property Page");
    for (const CLSID& clsid : {CLSID_IntonaraPlugIn, CLSID_IntonaraPropertyPage}) {
        EXPECT_EQ(ClassValue(clsid, "InprocServer32", nullptr), path);
        EXPECT_EQ(ClassValue(clsid, "InprocServer32", "ThreadingModel"), "Both");
    }
    const std::vector<CRegisteredFilter> filters = MapperRecords();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(std::tuple(filters[0].clsid, filters[0].strName, filters[0].dwMerit),
              std::tuple(CLSID_IntonaraPlugIn, std::string("Velmora Intonara Plugin"), DWORD{0x200000}));
    ASSERT_EQ(filters[0].pins.size(), 2u);
    for (const CRegisteredPin& pin : filters[0].pins) {
        const bool bInput = pin.strName == "Input";
        EXPECT_TRUE(bInput || pin.strName == "Output") << pin.strName;
        EXPECT_EQ(pin.bOutput, bInput ? FALSE : TRUE);
        EXPECT_FALSE(pin.bRendered || pin.bZero || pin.bMany);
        EXPECT_EQ(std::pair(pin.strConnectsToPin, pin.clsConnectsToFilter), std::pair(std::string(bInput ? "Output" : "Input"), CLSID_NULL));
        ASSERT_EQ(pin.types.size(), 1u);
        EXPECT_EQ(std::pair(pin.types[0].clsMajorType, pin.types[0].clsSubType), std::pair(MEDIATYPE_Audio, GUID_NULL));
    }

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(ClassValue(CLSID_IntonaraPlugIn, nullptr, nullptr), "<missing>");
    EXPECT_EQ(ClassValue(CLSID_IntonaraPropertyPage, nullptr, nullptr), "<missing>");
    EXPECT_TRUE(MapperRecords().empty());
}

TEST(Module, LoadedByFileItExportsTheEntryPointsAndServesTheFilter)
{
    CTemporaryRegistry registry;
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    for (const char* name : {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer", "IntonaraInitErrorLog"})
        EXPECT_NE(GetProcAddress(module.Handle(), name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(module.Handle(), "CreateFromTemplate"), nullptr) << "nothing else is visible";
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    {
        CComPtr<IIntonaraControl> pControl;
        ASSERT_EQ(module.CreateInstance(CLSID_IntonaraPlugIn, nullptr, IID_IIntonaraControl, pControl.ReceiveVoid()), S_OK);
        std::array<int, 9> block{};
        EXPECT_EQ(pControl->GetSettings(block.data()), S_OK);
        EXPECT_EQ(block, kDefaultBlock);
        EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    // Registered from the module, the server is the module's own file.
    ASSERT_EQ(module.RegisterServer(), S_OK);
    char expected[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(module.Handle(), expected, MAX_PATH), 0u);
    EXPECT_EQ(ClassValue(CLSID_IntonaraPlugIn, "InprocServer32", nullptr), expected);
    ASSERT_EQ(module.UnregisterServer(), S_OK);

    EXPECT_EQ(GetModuleHandleA("Intonara.ax"), module.Handle()) << "the name the error log uses";
    char text[128];
    ASSERT_GT(LoadStringA(module.Handle(), 2, text, sizeof text), 0);
    EXPECT_STREQ(text, "Intonara by Velmora");
    for (int scale = 0; scale < CScaleSet::kScaleCount; ++scale) {
        LoadStringA(module.Handle(), 3 + static_cast<UINT>(scale), text, sizeof text);
        EXPECT_STREQ(text, CScaleSet::GetDisplayName(scale)) << "scale " << scale;
    }
    for (int key = 0; key < 12; ++key) {
        LoadStringA(module.Handle(), 32 + static_cast<UINT>(key), text, sizeof text);
        EXPECT_STREQ(text, CScaleSet::GetKeyName(key)) << "key " << key;
    }
    const char* const vibrato[] = {"(No Vibrato)", "Sine Wave", "Square", "Sawtooth"};
    for (UINT i = 0; i < 4; ++i) {
        LoadStringA(module.Handle(), 45 + i, text, sizeof text);
        EXPECT_STREQ(text, vibrato[i]);
    }
    EXPECT_EQ(LoadStringA(module.Handle(), 44, text, sizeof text), 0);

    // The file's version block: what the panel shows as "Version: %d.%d".
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(INTONARA_MODULE_PATH, &handle);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(size > 0 && GetFileVersionInfoA(INTONARA_MODULE_PATH, handle, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(std::tuple(fixed.dwSignature, fixed.dwFileType), std::tuple(DWORD{VS_FFI_SIGNATURE}, DWORD{VFT_DLL}));
    EXPECT_EQ(fixed.dwFileVersionMS, static_cast<DWORD>(INTONARA_VERSION_MAJOR << 16 | INTONARA_VERSION_MINOR));
    EXPECT_EQ(fixed.dwFileVersionLS >> 16, static_cast<DWORD>(INTONARA_VERSION_PATCH));
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\OriginalFilename", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "intonara.ax");
}
