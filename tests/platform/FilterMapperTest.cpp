// The filter mapper's records in the registry, registered directly and
// through a filter's own setup record.

#include "platform/media/FilterMapper.h"
#include "platform/registry/Registry.h"
#include "platform/media/TransformFilter.h"

#include "PassThroughFilter.h"
#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

namespace {

// {6E1F0C22-7A93-4D55-B0C8-1E2D3F405162}
constexpr CLSID CLSID_MappedFilter = {0x6E1F0C22, 0x7A93, 0x4D55, {0xB0, 0xC8, 0x1E, 0x2D, 0x3F, 0x40, 0x51, 0x62}};

CComPtr<IFilterMapper> NewMapper()
{
    CComPtr<IFilterMapper> pMapper;
    EXPECT_EQ(CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                               pMapper.ReceiveVoid()),
              S_OK);
    return pMapper;
}

// An audio transform registered the way a plug-in registers itself: two
// pins of any audio subtype, each naming the other.
const REGPINTYPES kAudioAny = {&MEDIATYPE_Audio, &GUID_NULL};
const AMOVIESETUP_PIN kPins[] = {
    {"Input", FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, "Output", 1, &kAudioAny},
    {"Output", FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, "Input", 1, &kAudioAny},
};
const AMOVIESETUP_FILTER kSetup = {&CLSID_MappedFilter, "Mapped Test Filter", MERIT_DO_NOT_USE, 2, kPins};

class CSelfRegisteringFilter : public CPassThrough {
public:
    CSelfRegisteringFilter() : CPassThrough(nullptr) {}
    const AMOVIESETUP_FILTER* GetSetupData() override { return &kSetup; }
};

} // namespace

TEST(FilterMapper, RegisteredFiltersAreListedWithTheirPins)
{
    CScratchRegistry registry;
    CComPtr<IFilterMapper> pMapper = NewMapper();
    ASSERT_EQ(pMapper->RegisterFilter(CLSID_MappedFilter, "Mapped", 0x123456), S_OK);
    ASSERT_EQ(pMapper->RegisterPin(CLSID_MappedFilter, "In", TRUE, FALSE, TRUE, FALSE, CLSID_NULL, "Out"), S_OK);
    ASSERT_EQ(pMapper->RegisterPin(CLSID_MappedFilter, "Out", FALSE, TRUE, FALSE, TRUE, IID_IUnknown, ""), S_OK);
    ASSERT_EQ(pMapper->RegisterPinType(CLSID_MappedFilter, "In", MEDIATYPE_Audio, MEDIASUBTYPE_PCM), S_OK);
    ASSERT_EQ(pMapper->RegisterPinType(CLSID_MappedFilter, "In", MEDIATYPE_Audio, MEDIASUBTYPE_IEEE_FLOAT), S_OK);

    std::vector<CRegisteredFilter> filters;
    ASSERT_EQ(pMapper->EnumRegisteredFilters(&filters), S_OK);
    ASSERT_EQ(filters.size(), 1u);
    const CRegisteredFilter& filter = filters[0];
    EXPECT_EQ(filter.clsid, CLSID_MappedFilter);
    EXPECT_EQ(filter.strName, "Mapped");
    EXPECT_EQ(filter.dwMerit, 0x123456u);
    ASSERT_EQ(filter.pins.size(), 2u);
    const CRegisteredPin& in = filter.pins[0];
    EXPECT_EQ(in.strName, "In");
    EXPECT_TRUE(in.bRendered);
    EXPECT_FALSE(in.bOutput);
    EXPECT_TRUE(in.bZero);
    EXPECT_FALSE(in.bMany);
    EXPECT_EQ(in.strConnectsToPin, "Out");
    ASSERT_EQ(in.types.size(), 2u);
    EXPECT_EQ(in.types[0].clsMajorType, MEDIATYPE_Audio);
    EXPECT_EQ(in.types[0].clsSubType, MEDIASUBTYPE_PCM);
    EXPECT_EQ(in.types[1].clsSubType, MEDIASUBTYPE_IEEE_FLOAT);
    const CRegisteredPin& out = filter.pins[1];
    EXPECT_TRUE(out.bOutput);
    EXPECT_TRUE(out.bMany);
    EXPECT_EQ(out.clsConnectsToFilter, IID_IUnknown);
    EXPECT_TRUE(out.types.empty());

    EXPECT_EQ(pMapper->UnregisterPin(CLSID_MappedFilter, "In"), S_OK);
    const std::string longName(300, 'P');
    ASSERT_EQ(pMapper->RegisterPin(CLSID_MappedFilter, longName.c_str(), 0, 0, 0, 0, CLSID_NULL, ""), S_OK);
    ASSERT_EQ(pMapper->EnumRegisteredFilters(&filters), S_OK);
    ASSERT_EQ(filters[0].pins.size(), 2u);
    EXPECT_EQ(filters[0].pins[0].strName, "Out");
    EXPECT_EQ(filters[0].pins[1].strName, longName);
}

TEST(FilterMapper, PinsNeedTheirFilterAndUnregisteringCleansUp)
{
    CScratchRegistry registry;
    CComPtr<IFilterMapper> pMapper = NewMapper();
    const HRESULT notFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(pMapper->RegisterPin(CLSID_MappedFilter, "In", 0, 0, 0, 0, CLSID_NULL, ""), notFound);
    EXPECT_EQ(pMapper->UnregisterFilter(CLSID_MappedFilter), notFound);

    // The class key of a server registration outlives the mapper's records.
    const std::string classKey = "CLSID\\" + GuidToString(CLSID_MappedFilter);
    EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), REG_SZ, "/x.so", 0),
              ERROR_SUCCESS);
    ASSERT_EQ(pMapper->RegisterFilter(CLSID_MappedFilter, "Mapped", MERIT_NORMAL), S_OK);
    ASSERT_EQ(pMapper->RegisterPin(CLSID_MappedFilter, "In", 0, 0, 0, 0, CLSID_NULL, ""), S_OK);
    EXPECT_EQ(pMapper->RegisterPinType(CLSID_MappedFilter, "Elsewhere", MEDIATYPE_Audio, GUID_NULL), notFound);
    ASSERT_EQ(pMapper->UnregisterFilter(CLSID_MappedFilter), S_OK);

    std::vector<CRegisteredFilter> filters;
    ASSERT_EQ(pMapper->EnumRegisteredFilters(&filters), S_OK);
    EXPECT_TRUE(filters.empty());
    std::string path;
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), nullptr, &path),
              ERROR_SUCCESS);
    DWORD merit = 0;
    EXPECT_EQ(RegGetDword(HKEY_CLASSES_ROOT, classKey.c_str(), "Merit", &merit), ERROR_FILE_NOT_FOUND);
    HKEY hPins = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, (classKey + "\\Pins").c_str(), &hPins), ERROR_FILE_NOT_FOUND);

    // Without a server registration nothing of the filter is left.
    RegDeleteTreeA(HKEY_CLASSES_ROOT, classKey.c_str());
    ASSERT_EQ(pMapper->RegisterFilter(CLSID_MappedFilter, "Mapped", MERIT_NORMAL), S_OK);
    ASSERT_EQ(pMapper->UnregisterFilter(CLSID_MappedFilter), S_OK);
    EXPECT_EQ(FileText(registry.File()).find(GuidToString(CLSID_MappedFilter)), std::string::npos);
}

TEST(FilterMapper, AFilterRegistersItsSetupRecordAndTwiceChangesNothing)
{
    CScratchRegistry registry;
    CComPtr<CSelfRegisteringFilter> pFilter(new CSelfRegisteringFilter);
    CComPtr<IAMovieSetup> pSetup;
    ASSERT_EQ(pFilter->QueryInterface(IID_IAMovieSetup, pSetup.ReceiveVoid()), S_OK);

    EXPECT_EQ(pSetup->Unregister(), S_OK);
    ASSERT_EQ(pSetup->Register(), S_OK);
    const std::string once = FileText(registry.File());
    ASSERT_EQ(pSetup->Unregister(), S_OK);
    ASSERT_EQ(pSetup->Register(), S_OK);
    EXPECT_EQ(FileText(registry.File()), once);
    ASSERT_EQ(pSetup->Register(), S_OK);
    EXPECT_EQ(FileText(registry.File()), once);

    std::vector<CRegisteredFilter> filters;
    ASSERT_EQ(NewMapper()->EnumRegisteredFilters(&filters), S_OK);
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].strName, "Mapped Test Filter");
    EXPECT_EQ(filters[0].dwMerit, 0x200000u);
    ASSERT_EQ(filters[0].pins.size(), 2u);
    EXPECT_EQ(filters[0].pins[0].strName, "Input");
    EXPECT_EQ(filters[0].pins[0].strConnectsToPin, "Output");
    EXPECT_FALSE(filters[0].pins[0].bOutput);
    EXPECT_TRUE(filters[0].pins[1].bOutput);
    ASSERT_EQ(filters[0].pins[1].types.size(), 1u);
    EXPECT_EQ(filters[0].pins[1].types[0].clsMajorType, MEDIATYPE_Audio);
    EXPECT_EQ(filters[0].pins[1].types[0].clsSubType, GUID_NULL);

    ASSERT_EQ(pSetup->Unregister(), S_OK);
    ASSERT_EQ(NewMapper()->EnumRegisteredFilters(&filters), S_OK);
    EXPECT_TRUE(filters.empty());

    // A filter without a setup record has nothing to register.
    CComPtr<CPassThrough> pPlain(new CPassThrough(nullptr));
    EXPECT_EQ(pPlain->Register(), S_FALSE);
}
