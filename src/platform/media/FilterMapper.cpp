#include "platform/media/FilterMapper.h"

#include "platform/registry/Registry.h"

#include <new>
#include <string>
#include <vector>

namespace {

std::string FilterKey(REFCLSID clsid)
{
    return "Filter\\" + GuidToString(clsid);
}

std::string ClassKey(REFCLSID clsid)
{
    return "CLSID\\" + GuidToString(clsid);
}

std::string PinKey(REFCLSID clsid, const char* pName)
{
    return ClassKey(clsid) + "\\Pins\\" + pName;
}

bool IsUsableName(const char* pName)
{
    if (pName == nullptr || *pName == '\0') {
        return false;
    }
    for (const char* p = pName; *p != '\0'; ++p) {
        if (*p == '\\' || static_cast<unsigned char>(*p) < 0x20) {
            return false;
        }
    }
    return true;
}

bool KeyExists(const std::string& path)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &hKey) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(hKey);
    return true;
}

// Subkey names of a key, empty when it does not exist.
std::vector<std::string> SubkeyNames(const std::string& path)
{
    std::vector<std::string> names;
    HKEY hKey = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &hKey) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<char> name(64);
    for (DWORD i = 0;;) {
        DWORD cch = static_cast<DWORD>(name.size());
        const LONG error = RegEnumKeyExA(hKey, i, name.data(), &cch);
        if (error == ERROR_MORE_DATA) {
            name.resize(cch + 1);
            continue;
        }
        if (error != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name.data(), cch);
        ++i;
    }
    RegCloseKey(hKey);
    return names;
}

HRESULT FromRegistry(LONG error)
{
    return HRESULT_FROM_WIN32(error);
}

class CFilterMapper final : public CUnknown, public IFilterMapper {
public:
    explicit CFilterMapper(LPUNKNOWN pUnk) : CUnknown("Filter mapper", pUnk) {}

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IFilterMapper) {
            return GetInterface(static_cast<IFilterMapper*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT RegisterFilter(CLSID clsid, const char* Name, DWORD dwMerit) override
    {
        if (Name == nullptr) {
            return E_POINTER;
        }
        HKEY hFilter = nullptr;
        LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, FilterKey(clsid).c_str(), &hFilter);
        if (error == ERROR_SUCCESS) {
            error = RegSetString(hFilter, nullptr, Name);
            RegCloseKey(hFilter);
        }
        if (error != ERROR_SUCCESS) {
            return FromRegistry(error);
        }
        HKEY hClass = nullptr;
        error = RegCreateKeyA(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str(), &hClass);
        if (error == ERROR_SUCCESS) {
            error = RegSetDword(hClass, "Merit", dwMerit);
            RegCloseKey(hClass);
        }
        return FromRegistry(error);
    }

    HRESULT RegisterPin(CLSID Filter, const char* Name, BOOL bRendered, BOOL bOutput, BOOL bZero, BOOL bMany,
                        CLSID ConnectsToFilter, const char* ConnectsToPin) override
    {
        if (!IsUsableName(Name)) {
            return Name == nullptr ? E_POINTER : E_INVALIDARG;
        }
        if (!KeyExists(FilterKey(Filter))) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        HKEY hPin = nullptr;
        LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, PinKey(Filter, Name).c_str(), &hPin);
        if (error != ERROR_SUCCESS) {
            return FromRegistry(error);
        }
        const LONG results[] = {
            RegSetDword(hPin, "Direction", bOutput ? 1 : 0),
            RegSetDword(hPin, "IsRendered", bRendered ? 1 : 0),
            RegSetDword(hPin, "AllowedZero", bZero ? 1 : 0),
            RegSetDword(hPin, "AllowedMany", bMany ? 1 : 0),
            RegSetString(hPin, "ConnectsToFilter", GuidToString(ConnectsToFilter)),
            RegSetString(hPin, "ConnectsToPin", ConnectsToPin != nullptr ? ConnectsToPin : ""),
        };
        RegCloseKey(hPin);
        for (LONG result : results) {
            if (result != ERROR_SUCCESS) {
                return FromRegistry(result);
            }
        }
        return S_OK;
    }

    HRESULT RegisterPinType(CLSID clsFilter, const char* strName, CLSID clsMajorType, CLSID clsSubType) override
    {
        if (!IsUsableName(strName)) {
            return strName == nullptr ? E_POINTER : E_INVALIDARG;
        }
        const std::string pin = PinKey(clsFilter, strName);
        if (!KeyExists(pin)) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        HKEY hType = nullptr;
        const std::string type = pin + "\\Types\\" + GuidToString(clsMajorType) + "\\" + GuidToString(clsSubType);
        const LONG error = RegCreateKeyA(HKEY_CLASSES_ROOT, type.c_str(), &hType);
        if (error == ERROR_SUCCESS) {
            RegCloseKey(hType);
        }
        return FromRegistry(error);
    }

    HRESULT UnregisterFilter(CLSID Filter) override
    {
        const LONG error = RegDeleteTreeA(HKEY_CLASSES_ROOT, FilterKey(Filter).c_str());
        if (error != ERROR_SUCCESS) {
            return FromRegistry(error);
        }
        const std::string classKey = ClassKey(Filter);
        HKEY hClass = nullptr;
        if (RegOpenKeyA(HKEY_CLASSES_ROOT, classKey.c_str(), &hClass) == ERROR_SUCCESS) {
            RegDeleteValueA(hClass, "Merit");
            RegDeleteTreeA(hClass, "Pins");
            // A class key that only the mapper's records made is removed
            // with them.
            DWORD cch = 0;
            const bool bHasSubkeys = RegEnumKeyExA(hClass, 0, nullptr, &cch) != ERROR_NO_MORE_ITEMS;
            cch = 0;
            const bool bHasValues =
                RegEnumValueA(hClass, 0, nullptr, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_NO_MORE_ITEMS;
            RegCloseKey(hClass);
            if (!bHasSubkeys && !bHasValues) {
                RegDeleteKeyA(HKEY_CLASSES_ROOT, classKey.c_str());
            }
        }
        return S_OK;
    }

    HRESULT UnregisterPin(CLSID Filter, const char* Name) override
    {
        if (!IsUsableName(Name)) {
            return Name == nullptr ? E_POINTER : E_INVALIDARG;
        }
        return FromRegistry(RegDeleteTreeA(HKEY_CLASSES_ROOT, PinKey(Filter, Name).c_str()));
    }

    HRESULT EnumRegisteredFilters(std::vector<CRegisteredFilter>* pFilters) override
    {
        if (pFilters == nullptr) {
            return E_POINTER;
        }
        pFilters->clear();
        for (const std::string& clsidText : SubkeyNames("Filter")) {
            CRegisteredFilter filter{};
            if (!GuidFromString(clsidText.c_str(), &filter.clsid)) {
                continue;
            }
            RegGetString(HKEY_CLASSES_ROOT, FilterKey(filter.clsid).c_str(), nullptr, &filter.strName);
            if (RegGetDword(HKEY_CLASSES_ROOT, ClassKey(filter.clsid).c_str(), "Merit", &filter.dwMerit) !=
                ERROR_SUCCESS) {
                filter.dwMerit = MERIT_NORMAL;
            }
            const std::string pinsKey = ClassKey(filter.clsid) + "\\Pins";
            for (const std::string& pinName : SubkeyNames(pinsKey)) {
                const std::string pinKey = pinsKey + "\\" + pinName;
                CRegisteredPin pin{};
                pin.strName = pinName;
                DWORD value = 0;
                pin.bOutput = RegGetDword(HKEY_CLASSES_ROOT, pinKey.c_str(), "Direction", &value) == 0 && value;
                pin.bRendered = RegGetDword(HKEY_CLASSES_ROOT, pinKey.c_str(), "IsRendered", &value) == 0 && value;
                pin.bZero = RegGetDword(HKEY_CLASSES_ROOT, pinKey.c_str(), "AllowedZero", &value) == 0 && value;
                pin.bMany = RegGetDword(HKEY_CLASSES_ROOT, pinKey.c_str(), "AllowedMany", &value) == 0 && value;
                std::string text;
                pin.clsConnectsToFilter = CLSID_NULL;
                if (RegGetString(HKEY_CLASSES_ROOT, pinKey.c_str(), "ConnectsToFilter", &text) == 0) {
                    GuidFromString(text.c_str(), &pin.clsConnectsToFilter);
                }
                RegGetString(HKEY_CLASSES_ROOT, pinKey.c_str(), "ConnectsToPin", &pin.strConnectsToPin);
                const std::string typesKey = pinKey + "\\Types";
                for (const std::string& majorText : SubkeyNames(typesKey)) {
                    for (const std::string& subText : SubkeyNames(typesKey + "\\" + majorText)) {
                        CRegisteredPinType type{};
                        if (GuidFromString(majorText.c_str(), &type.clsMajorType) &&
                            GuidFromString(subText.c_str(), &type.clsSubType)) {
                            pin.types.push_back(type);
                        }
                    }
                }
                filter.pins.push_back(std::move(pin));
            }
            pFilters->push_back(std::move(filter));
        }
        return S_OK;
    }
};

} // namespace

HRESULT CreateFilterMapper(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (pUnkOuter != nullptr && riid != IID_IUnknown) {
        return E_NOINTERFACE;
    }
    auto* pMapper = new (std::nothrow) CFilterMapper(pUnkOuter);
    if (pMapper == nullptr) {
        return E_OUTOFMEMORY;
    }
    pMapper->NonDelegatingAddRef();
    const HRESULT hr = pMapper->NonDelegatingQueryInterface(riid, ppv);
    pMapper->NonDelegatingRelease();
    return hr;
}
