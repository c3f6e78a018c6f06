// The class factory's answers, the counts that keep the module loaded, the
// registry keys and filter-mapper record that registration leaves, and the
// module itself loaded by file.

#include "HostTestSupport.h"

#include "host/ModuleExports.h"
#include "host/Registration.h"
#include "platform/media/FilterMapper.h"
#include "platform/com/Module.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

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

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ClassValue(REFCLSID clsid, const char* pSubkey, const char* pValue)
{
    std::string key = "CLSID\\" + GuidToString(clsid);
    if (pSubkey != nullptr) {
        key += std::string("\\") + pSubkey;
    }
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

} // namespace

TEST(ClassFactory, AnswersForTheTwoClassesOnly)
{
    CComPtr<IUnknown> pUnknown;
    EXPECT_EQ(DllGetClassObject(CLSID_IntonaraPlugIn, IID_IDispatch, pUnknown.ReceiveVoid()), E_NOINTERFACE);
    // The interface is checked before the class is looked up.
    EXPECT_EQ(DllGetClassObject(CLSID_FilterMapper, IID_IDispatch, pUnknown.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(DllGetClassObject(CLSID_FilterMapper, IID_IClassFactory, pUnknown.ReceiveVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(DllGetClassObject(CLSID_IntonaraPropertyPage, IID_IUnknown, pUnknown.ReceiveVoid()), S_OK);

    CComPtr<IClassFactory> pFactory = Factory(CLSID_IntonaraPlugIn);
    ASSERT_TRUE(pFactory);
    CComPtr<IUnknown> pSame;
    EXPECT_EQ(pFactory->QueryInterface(IID_IUnknown, pSame.ReceiveVoid()), S_OK);
    EXPECT_EQ(pFactory->QueryInterface(IID_IPersist, pSame.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(pFactory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(ClassFactory, CreatesTheFilterWithItsInterfaces)
{
    CComPtr<IClassFactory> pFactory = Factory(CLSID_IntonaraPlugIn);
    CComPtr<IIntonaraControl> pControl;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IIntonaraControl, pControl.ReceiveVoid()), S_OK);
    CDspObject* pDsp = nullptr;
    EXPECT_EQ(pControl->GetDspObject(&pDsp), S_OK);
    EXPECT_NE(pDsp, nullptr);
    for (const IID& iid : {IID_IBaseFilter, IID_IPersistStream, IID_ISpecifyPropertyPages, IID_IHostPresets,
                           IID_IAMovieSetup, IID_IPersist}) {
        CComPtr<IUnknown> pOther;
        EXPECT_EQ(pControl->QueryInterface(iid, pOther.ReceiveVoid()), S_OK) << GuidToString(iid);
    }
    CComPtr<IUnknown> pNone;
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IDispatch, pNone.ReceiveVoid()), E_NOINTERFACE);
    CComPtr<IPersist> pPersist;
    ASSERT_EQ(pControl->QueryInterface(IID_IPersist, pPersist.ReceiveVoid()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(pPersist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_IntonaraPlugIn);
}

TEST(ClassFactory, AggregationOnlyThroughIUnknownAndNothingIsCreatedOtherwise)
{
    CComPtr<IClassFactory> pFactory = Factory(CLSID_IntonaraPlugIn);
    CComPtr<CMemorySink> pOuter(new CMemorySink);  // any object will do as the outer one
    const LONG before = CBaseObject::ObjectsActive();
    CComPtr<IUnknown> pInner;
    EXPECT_EQ(pFactory->CreateInstance(pOuter->GetInnerUnknown(), IID_IBaseFilter, pInner.ReceiveVoid()),
              E_NOINTERFACE);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    // The property page comes with the graphical interface.
    CComPtr<IClassFactory> pPages = Factory(CLSID_IntonaraPropertyPage);
    EXPECT_EQ(pPages->CreateInstance(nullptr, IID_IUnknown, pInner.ReceiveVoid()), E_NOTIMPL);
}

TEST(ClassFactory, LocksAndLiveObjectsKeepTheModuleLoaded)
{
    // Nothing of this module may be alive from earlier tests.
    ASSERT_EQ(CBaseObject::ObjectsActive(), 0);
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

TEST(Registration, WritesTheClassKeysAndTheMapperRecord)
{
    CTemporaryRegistry registry;
    ASSERT_EQ(DllRegisterServer(), S_OK);

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
    const CRegisteredFilter& f = filters[0];
    EXPECT_EQ(f.clsid, CLSID_IntonaraPlugIn);
    EXPECT_EQ(f.strName, "Velmora Intonara Plugin");
    EXPECT_EQ(f.dwMerit, 0x200000u);
    ASSERT_EQ(f.pins.size(), 2u);
    for (const CRegisteredPin& pin : f.pins) {
        const bool bInput = pin.strName == "Input";
        EXPECT_TRUE(bInput || pin.strName == "Output") << pin.strName;
        EXPECT_EQ(pin.bOutput, bInput ? FALSE : TRUE);
        EXPECT_FALSE(pin.bRendered || pin.bZero || pin.bMany);
        EXPECT_EQ(pin.strConnectsToPin, bInput ? "Output" : "Input");
        EXPECT_EQ(pin.clsConnectsToFilter, CLSID_NULL);
        ASSERT_EQ(pin.types.size(), 1u);
        EXPECT_EQ(pin.types[0].clsMajorType, MEDIATYPE_Audio);
        EXPECT_EQ(pin.types[0].clsSubType, GUID_NULL);
    }
}

TEST(Registration, RegisteringTwiceLeavesTheSameRegistryAndUnregisteringClearsIt)
{
    CTemporaryRegistry registry;
    EXPECT_EQ(DllUnregisterServer(), S_OK);  // nothing there yet
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string once = FileText(registry.Path());
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(FileText(registry.Path()), once);

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(ClassValue(CLSID_IntonaraPlugIn, nullptr, nullptr), "<missing>");
    EXPECT_EQ(ClassValue(CLSID_IntonaraPropertyPage, nullptr, nullptr), "<missing>");
    EXPECT_TRUE(MapperRecords().empty());
    EXPECT_EQ(DllUnregisterServer(), S_OK);
}

TEST(Module, LoadedByFileItExportsTheEntryPointsAndServesTheFilter)
{
    CTemporaryRegistry registry;
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    for (const char* name :
         {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer", "IntonaraInitErrorLog"}) {
        EXPECT_NE(GetProcAddress(module.Handle(), name), nullptr) << name;
    }
    // Nothing else of the module is visible to its host.
    EXPECT_EQ(GetProcAddress(module.Handle(), "CreateFromTemplate"), nullptr);

    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    {
        CComPtr<IIntonaraControl> pControl;
        ASSERT_EQ(module.CreateInstance(CLSID_IntonaraPlugIn, nullptr, IID_IIntonaraControl, pControl.ReceiveVoid()),
                  S_OK);
        int block[9] = {};
        EXPECT_EQ(pControl->GetSettings(block), S_OK);
        EXPECT_EQ(std::vector<int>(block, block + 9), std::vector<int>(kDefaultBlock, kDefaultBlock + 9));
        EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(module.CanUnloadNow(), S_OK);

    // Registered from the module, the server is the module's own file.
    ASSERT_EQ(module.RegisterServer(), S_OK);
    char expected[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(module.Handle(), expected, MAX_PATH), 0u);
    EXPECT_EQ(ClassValue(CLSID_IntonaraPlugIn, "InprocServer32", nullptr), expected);
    ASSERT_EQ(module.UnregisterServer(), S_OK);
    EXPECT_TRUE(MapperRecords().empty());
}
