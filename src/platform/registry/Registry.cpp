#include "platform/registry/Registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// An open key: which root and the path below it. The key itself lives in
// the file and is looked up again by every operation.
struct HKEY__ {
    int m_nRoot;
    std::vector<std::string> m_path;
};

namespace {

constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};
constexpr int kRootCount = 3;
constexpr std::uintptr_t kFirstRoot = 0x80000000u;

std::string Fold(const std::string& text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

struct CValue {
    std::string m_strName;
    DWORD m_dwType = REG_NONE;
    std::vector<BYTE> m_data;
};

struct CKeyNode {
    std::string m_strName;
    // Kept in folded-name order, which is also the order they are listed in.
    std::vector<CValue> m_values;
    std::map<std::string, std::unique_ptr<CKeyNode>> m_subkeys;

    CKeyNode* Find(const std::string& name) const
    {
        auto it = m_subkeys.find(Fold(name));
        return it != m_subkeys.end() ? it->second.get() : nullptr;
    }
    CKeyNode* Add(const std::string& name, bool* pCreated)
    {
        auto& slot = m_subkeys[Fold(name)];
        if (!slot) {
            slot = std::make_unique<CKeyNode>();
            slot->m_strName = name;
            *pCreated = true;
        }
        return slot.get();
    }
    std::vector<CValue>::iterator FindValue(const std::string& name)
    {
        const std::string folded = Fold(name);
        return std::find_if(m_values.begin(), m_values.end(),
                            [&](const CValue& v) { return Fold(v.m_strName) == folded; });
    }
    void SetValue(CValue value)
    {
        auto it = FindValue(value.m_strName);
        if (it != m_values.end()) {
            // The name keeps the spelling it was first given.
            it->m_dwType = value.m_dwType;
            it->m_data = std::move(value.m_data);
            return;
        }
        const std::string folded = Fold(value.m_strName);
        auto at = std::find_if(m_values.begin(), m_values.end(),
                               [&](const CValue& v) { return Fold(v.m_strName) > folded; });
        m_values.insert(at, std::move(value));
    }
};

struct CTree {
    CKeyNode m_roots[kRootCount];
};

// ---------------------------------------------------------------------------
// Handles

std::mutex g_handleMutex;
std::set<HKEY__*> g_handles;

bool IsPredefined(HKEY hKey)
{
    const auto value = reinterpret_cast<std::uintptr_t>(hKey);
    return value >= kFirstRoot && value < kFirstRoot + kRootCount;
}

// The root and path a handle stands for; false for a handle we never gave.
bool Resolve(HKEY hKey, HKEY__* pOut)
{
    if (IsPredefined(hKey)) {
        pOut->m_nRoot = static_cast<int>(reinterpret_cast<std::uintptr_t>(hKey) - kFirstRoot);
        pOut->m_path.clear();
        return true;
    }
    std::lock_guard lock(g_handleMutex);
    if (g_handles.count(hKey) == 0) {
        return false;
    }
    *pOut = *hKey;
    return true;
}

HKEY NewHandle(const HKEY__& key)
{
    auto* pKey = new HKEY__(key);
    std::lock_guard lock(g_handleMutex);
    g_handles.insert(pKey);
    return pKey;
}

// Splits "a\b\c"; false when a component could not be written to the file.
bool SplitPath(const char* pszSubKey, std::vector<std::string>* pParts)
{
    pParts->clear();
    if (pszSubKey == nullptr) {
        return true;
    }
    std::string part;
    for (const char* p = pszSubKey;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!part.empty()) {
                pParts->push_back(part);
            }
            part.clear();
            if (*p == '\0') {
                return true;
            }
            continue;
        }
        if (static_cast<unsigned char>(*p) < 0x20) {
            return false;
        }
        part += *p;
    }
}

CKeyNode* Walk(CTree& tree, const HKEY__& key)
{
    CKeyNode* pNode = &tree.m_roots[key.m_nRoot];
    for (const std::string& part : key.m_path) {
        pNode = pNode->Find(part);
        if (pNode == nullptr) {
            return nullptr;
        }
    }
    return pNode;
}

// ---------------------------------------------------------------------------
// The file

std::string Escape(const std::vector<BYTE>& bytes)
{
    std::string text;
    for (BYTE b : bytes) {
        switch (b) {
        case '\\':
            text += "\\\\";
            break;
        case '"':
            text += "\\\"";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\t':
            text += "\\t";
            break;
        default:
            if (b < 0x20 || b == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", b);
                text += hex;
            } else {
                text += static_cast<char>(b);
            }
        }
    }
    return text;
}

std::string Quote(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += Escape(std::vector<BYTE>(text.begin(), text.end()));
    quoted += '"';
    return quoted;
}

std::string FormatValue(const CValue& value)
{
    std::string line = value.m_strName.empty() ? "@" : Quote(value.m_strName);
    line += '=';
    if (value.m_dwType == REG_SZ) {
        line += '"';
        line += Escape(value.m_data);
        line += '"';
    } else if (value.m_dwType == REG_DWORD && value.m_data.size() == 4) {
        DWORD dw = 0;
        std::memcpy(&dw, value.m_data.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(dw));
        line += text;
    } else {
        if (value.m_dwType == REG_BINARY) {
            line += "hex:";
        } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%u):", static_cast<unsigned>(value.m_dwType));
            line += prefix;
        }
        for (std::size_t i = 0; i < value.m_data.size(); ++i) {
            char text[4];
            std::snprintf(text, sizeof text, "%02x", value.m_data[i]);
            if (i > 0) {
                line += ',';
            }
            line += text;
        }
    }
    return line;
}

void WriteKey(std::ostream& out, const CKeyNode& node, const std::string& path, bool bRoot)
{
    if (!bRoot || !node.m_values.empty()) {
        out << '\n' << '[' << path << "]\n";
        for (const CValue& value : node.m_values) {
            out << FormatValue(value) << '\n';
        }
    }
    for (const auto& [folded, pChild] : node.m_subkeys) {
        WriteKey(out, *pChild, path + "\\" + pChild->m_strName, false);
    }
}

std::string Serialise(const CTree& tree)
{
    std::ostringstream out;
    out << "; Intonara registry: one [key] per section, then its values.\n";
    for (int root = 0; root < kRootCount; ++root) {
        WriteKey(out, tree.m_roots[root], kRootNames[root], true);
    }
    return out.str();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a quoted string at text[*pos]; leaves *pos after the closing quote.
bool ParseQuoted(const std::string& text, std::size_t* pos, std::string* pOut)
{
    if (*pos >= text.size() || text[*pos] != '"') {
        return false;
    }
    pOut->clear();
    for (std::size_t i = *pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c != '\\') {
            *pOut += c;
            continue;
        }
        if (++i >= text.size()) {
            return false;
        }
        switch (text[i]) {
        case '\\':
        case '"':
            *pOut += text[i];
            break;
        case 'n':
            *pOut += '\n';
            break;
        case 'r':
            *pOut += '\r';
            break;
        case 't':
            *pOut += '\t';
            break;
        case 'x': {
            if (i + 2 >= text.size()) {
                return false;
            }
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) {
                return false;
            }
            *pOut += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool ParseValueLine(const std::string& line, CValue* pValue)
{
    std::size_t pos = 0;
    if (line[0] == '@') {
        pValue->m_strName.clear();
        pos = 1;
    } else if (!ParseQuoted(line, &pos, &pValue->m_strName)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') {
        return false;
    }
    const std::string data = line.substr(pos + 1);
    pValue->m_data.clear();
    if (!data.empty() && data[0] == '"') {
        std::size_t at = 0;
        std::string text;
        if (!ParseQuoted(data, &at, &text) || at != data.size()) {
            return false;
        }
        pValue->m_dwType = REG_SZ;
        pValue->m_data.assign(text.begin(), text.end());
        return true;
    }
    if (data.rfind("dword:", 0) == 0) {
        if (data.size() != 14) {
            return false;
        }
        DWORD dw = 0;
        for (std::size_t i = 6; i < 14; ++i) {
            const int d = HexValue(data[i]);
            if (d < 0) {
                return false;
            }
            dw = dw * 16 + static_cast<DWORD>(d);
        }
        pValue->m_dwType = REG_DWORD;
        pValue->m_data.resize(4);
        std::memcpy(pValue->m_data.data(), &dw, 4);
        return true;
    }
    std::size_t at = 0;
    if (data.rfind("hex:", 0) == 0) {
        pValue->m_dwType = REG_BINARY;
        at = 4;
    } else if (data.rfind("hex(", 0) == 0) {
        const std::size_t close = data.find("):");
        if (close == std::string::npos || close <= 4) {
            return false;
        }
        const std::string number = data.substr(4, close - 4);
        if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9) {
            return false;
        }
        pValue->m_dwType = static_cast<DWORD>(std::stoul(number));
        at = close + 2;
    } else {
        return false;
    }
    while (at < data.size()) {
        if (at + 2 > data.size()) {
            return false;
        }
        const int hi = HexValue(data[at]);
        const int lo = HexValue(data[at + 1]);
        if (hi < 0 || lo < 0) {
            return false;
        }
        pValue->m_data.push_back(static_cast<BYTE>(hi * 16 + lo));
        at += 2;
        if (at < data.size()) {
            if (data[at] != ',' || at + 1 == data.size()) {
                return false;
            }
            ++at;
        }
    }
    return true;
}

bool Parse(const std::string& text, CTree* pTree)
{
    std::istringstream in(text);
    std::string line;
    CKeyNode* pCurrent = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') {
                return false;
            }
            std::vector<std::string> parts;
            if (!SplitPath(line.substr(1, line.size() - 2).c_str(), &parts) || parts.empty()) {
                return false;
            }
            int root = -1;
            for (int r = 0; r < kRootCount; ++r) {
                if (parts[0] == kRootNames[r]) {
                    root = r;
                }
            }
            if (root < 0) {
                return false;
            }
            pCurrent = &pTree->m_roots[root];
            bool bCreated = false;
            for (std::size_t i = 1; i < parts.size(); ++i) {
                pCurrent = pCurrent->Add(parts[i], &bCreated);
            }
            continue;
        }
        CValue value;
        if (pCurrent == nullptr || !ParseValueLine(line, &value)) {
            return false;
        }
        pCurrent->SetValue(std::move(value));
    }
    return true;
}

LONG Load(const std::string& path, CTree* pTree)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // No file yet is an empty registry.
        return errno == ENOENT ? ERROR_SUCCESS : ERROR_CANTREAD;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return ERROR_CANTREAD;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return Parse(text, pTree) ? ERROR_SUCCESS : ERROR_BADDB;
}

bool MakeDirectories(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string dir = path.substr(0, slash);
        if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

LONG Save(const std::string& path, const CTree& tree)
{
    const std::string text = Serialise(tree);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%ld", static_cast<long>(::getpid()));
    const std::string temp = path + suffix;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return ERROR_CANTWRITE;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return ERROR_CANTWRITE;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

// Serialises writers of this process; the lock file serialises processes.
std::mutex g_writeMutex;

template <class F>
LONG ReadTree(F&& read)
{
    const std::string path = RegistryFilePath();
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    CTree tree;
    const LONG error = Load(path, &tree);
    return error != ERROR_SUCCESS ? error : read(tree);
}

// `change` returns an error, or ERROR_SUCCESS and whether it changed the
// tree; only a changed tree is written back.
template <class F>
LONG ChangeTree(F&& change)
{
    const std::string path = RegistryFilePath();
    if (path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    std::lock_guard processLock(g_writeMutex);
    if (!MakeDirectories(path)) {
        return ERROR_CANTWRITE;
    }
    const std::string lockPath = path + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd < 0) {
        return ERROR_CANTWRITE;
    }
    while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }
    CTree tree;
    LONG error = Load(path, &tree);
    bool bChanged = false;
    if (error == ERROR_SUCCESS) {
        error = change(tree, &bChanged);
    }
    if (error == ERROR_SUCCESS && bChanged) {
        error = Save(path, tree);
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    return error;
}

LONG CopyOut(const std::string& text, char* pBuffer, DWORD* pcch)
{
    if (pcch == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (pBuffer == nullptr || *pcch <= text.size()) {
        *pcch = static_cast<DWORD>(text.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(pBuffer, text.c_str(), text.size() + 1);
    *pcch = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

LONG CopyData(const CValue& value, DWORD* pType, BYTE* pData, DWORD* pcbData)
{
    const bool bString = value.m_dwType == REG_SZ || value.m_dwType == REG_EXPAND_SZ;
    const DWORD size = static_cast<DWORD>(value.m_data.size() + (bString ? 1 : 0));
    if (pType != nullptr) {
        *pType = value.m_dwType;
    }
    if (pData != nullptr && pcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (pcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    if (pData == nullptr) {
        *pcbData = size;
        return ERROR_SUCCESS;
    }
    if (*pcbData < size) {
        *pcbData = size;
        return ERROR_MORE_DATA;
    }
    if (!value.m_data.empty()) {
        std::memcpy(pData, value.m_data.data(), value.m_data.size());
    }
    if (bString) {
        pData[value.m_data.size()] = 0;
    }
    *pcbData = size;
    return ERROR_SUCCESS;
}

// Resolves hKey plus an optional subkey path into a key address.
LONG Address(HKEY hKey, const char* lpSubKey, HKEY__* pKey)
{
    if (!Resolve(hKey, pKey)) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::string> parts;
    if (!SplitPath(lpSubKey, &parts)) {
        return ERROR_INVALID_PARAMETER;
    }
    pKey->m_path.insert(pKey->m_path.end(), parts.begin(), parts.end());
    return ERROR_SUCCESS;
}

} // namespace

std::string RegistryFilePath()
{
    const char* pEnv = std::getenv("INTONARA_REGISTRY");
    if (pEnv != nullptr && *pEnv != '\0') {
        return pEnv;
    }
    const char* pConfig = std::getenv("XDG_CONFIG_HOME");
    if (pConfig != nullptr && *pConfig == '/') {
        return std::string(pConfig) + "/intonara/registry";
    }
    const char* pHome = std::getenv("HOME");
    if (pHome != nullptr && *pHome != '\0') {
        return std::string(pHome) + "/.config/intonara/registry";
    }
    return std::string();
}

LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, PHKEY phkResult, DWORD* lpdwDisposition)
{
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    HKEY__ base{};
    if (!Resolve(hKey, &base)) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::string> parts;
    if (!SplitPath(lpSubKey, &parts)) {
        return ERROR_INVALID_PARAMETER;
    }
    bool bCreated = false;
    const LONG error = ChangeTree([&](CTree& tree, bool* pChanged) -> LONG {
        CKeyNode* pNode = Walk(tree, base);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        for (const std::string& part : parts) {
            pNode = pNode->Add(part, &bCreated);
        }
        *pChanged = bCreated;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (lpdwDisposition != nullptr) {
        *lpdwDisposition = bCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    base.m_path.insert(base.m_path.end(), parts.begin(), parts.end());
    *phkResult = NewHandle(base);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY hKey, const char* lpSubKey, PHKEY phkResult)
{
    return RegCreateKeyExA(hKey, lpSubKey, phkResult, nullptr);
}

LONG RegOpenKeyA(HKEY hKey, const char* lpSubKey, PHKEY phkResult)
{
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    HKEY__ key{};
    LONG error = Address(hKey, lpSubKey, &key);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    error = ReadTree(
        [&](CTree& tree) -> LONG { return Walk(tree, key) != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
    if (error != ERROR_SUCCESS) {
        return error;
    }
    *phkResult = NewHandle(key);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey)
{
    if (IsPredefined(hKey)) {
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(g_handleMutex);
    if (g_handles.erase(hKey) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    delete hKey;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                    DWORD cbData)
{
    if (lpData == nullptr && cbData != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (dwType == REG_DWORD && cbData != 4) {
        return ERROR_INVALID_PARAMETER;
    }
    HKEY__ key{};
    if (!Resolve(hKey, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    CValue value;
    value.m_strName = lpValueName != nullptr ? lpValueName : "";
    value.m_dwType = dwType;
    if (cbData > 0) {
        value.m_data.assign(lpData, lpData + cbData);
    }
    if ((dwType == REG_SZ || dwType == REG_EXPAND_SZ) && !value.m_data.empty() && value.m_data.back() == 0) {
        value.m_data.pop_back();
    }
    return ChangeTree([&](CTree& tree, bool* pChanged) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        auto it = pNode->FindValue(value.m_strName);
        *pChanged = it == pNode->m_values.end() || it->m_dwType != value.m_dwType || it->m_data != value.m_data;
        if (*pChanged) {
            pNode->SetValue(value);
        }
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* /*lpReserved*/, DWORD* lpType, BYTE* lpData,
                      DWORD* lpcbData)
{
    HKEY__ key{};
    if (!Resolve(hKey, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    return ReadTree([&](CTree& tree) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        auto it = pNode->FindValue(name);
        if (it == pNode->m_values.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        return CopyData(*it, lpType, lpData, lpcbData);
    });
}

LONG RegSetValueA(HKEY hKey, const char* lpSubKey, DWORD dwType, const char* lpData, DWORD /*cbData*/)
{
    if (dwType != REG_SZ || lpData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    HKEY hSub = nullptr;
    LONG error = RegCreateKeyA(hKey, lpSubKey, &hSub);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    error = RegSetValueExA(hSub, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpData),
                           static_cast<DWORD>(std::strlen(lpData) + 1));
    RegCloseKey(hSub);
    return error;
}

LONG RegDeleteValueA(HKEY hKey, const char* lpValueName)
{
    HKEY__ key{};
    if (!Resolve(hKey, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    return ChangeTree([&](CTree& tree, bool* pChanged) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        auto it = pNode->FindValue(name);
        if (it == pNode->m_values.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        pNode->m_values.erase(it);
        *pChanged = true;
        return ERROR_SUCCESS;
    });
}

namespace {

LONG DeleteKey(HKEY hKey, const char* lpSubKey, bool bTree)
{
    HKEY__ key{};
    LONG error = Address(hKey, lpSubKey, &key);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    HKEY__ base{};
    Resolve(hKey, &base);
    const bool bWholeKey = key.m_path.size() > base.m_path.size();
    if (!bTree && !bWholeKey) {
        return ERROR_INVALID_PARAMETER;
    }
    return ChangeTree([&](CTree& tree, bool* pChanged) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return Walk(tree, base) == nullptr ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
        }
        if (!bWholeKey) {
            // Everything below the key itself.
            *pChanged = !pNode->m_values.empty() || !pNode->m_subkeys.empty();
            pNode->m_values.clear();
            pNode->m_subkeys.clear();
            return ERROR_SUCCESS;
        }
        if (!bTree && !pNode->m_subkeys.empty()) {
            return ERROR_ACCESS_DENIED;
        }
        HKEY__ parentKey = key;
        parentKey.m_path.pop_back();
        CKeyNode* pParent = Walk(tree, parentKey);
        pParent->m_subkeys.erase(Fold(key.m_path.back()));
        *pChanged = true;
        return ERROR_SUCCESS;
    });
}

} // namespace

LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey)
{
    return DeleteKey(hKey, lpSubKey, false);
}

LONG RegDeleteTreeA(HKEY hKey, const char* lpSubKey)
{
    return DeleteKey(hKey, lpSubKey, true);
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName)
{
    HKEY__ key{};
    if (!Resolve(hKey, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    return ReadTree([&](CTree& tree) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        if (dwIndex >= pNode->m_subkeys.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        auto it = pNode->m_subkeys.begin();
        std::advance(it, dwIndex);
        return CopyOut(it->second->m_strName, lpName, lpcchName);
    });
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* /*lpReserved*/,
                   DWORD* lpType, BYTE* lpData, DWORD* lpcbData)
{
    HKEY__ key{};
    if (!Resolve(hKey, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    return ReadTree([&](CTree& tree) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_KEY_DELETED;
        }
        if (dwIndex >= pNode->m_values.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        const CValue& value = pNode->m_values[dwIndex];
        const LONG error = CopyOut(value.m_strName, lpValueName, lpcchValueName);
        if (error != ERROR_SUCCESS) {
            return error;
        }
        return CopyData(value, lpType, lpData, lpcbData);
    });
}

namespace {

// One value of the key named by hKey and lpSubKey, handed to take when
// fits accepts its type and size; any other value is as good as missing.
template <class Fits, class Take>
LONG ReadOneValue(HKEY hKey, const char* lpSubKey, const char* lpValueName, Fits fits, Take take)
{
    HKEY__ key{};
    const LONG error = Address(hKey, lpSubKey, &key);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    return ReadTree([&](CTree& tree) -> LONG {
        CKeyNode* pNode = Walk(tree, key);
        if (pNode == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        auto it = pNode->FindValue(name);
        if (it == pNode->m_values.end() || !fits(*it)) {
            return ERROR_FILE_NOT_FOUND;
        }
        take(*it);
        return ERROR_SUCCESS;
    });
}

} // namespace

LONG RegGetString(HKEY hKey, const char* lpSubKey, const char* lpValueName, std::string* pValue)
{
    return ReadOneValue(
        hKey, lpSubKey, lpValueName,
        [](const auto& value) { return value.m_dwType == REG_SZ || value.m_dwType == REG_EXPAND_SZ; },
        [&](const auto& value) { pValue->assign(value.m_data.begin(), value.m_data.end()); });
}

LONG RegGetDword(HKEY hKey, const char* lpSubKey, const char* lpValueName, DWORD* pValue)
{
    return ReadOneValue(
        hKey, lpSubKey, lpValueName,
        [](const auto& value) { return value.m_dwType == REG_DWORD && value.m_data.size() == 4; },
        [&](const auto& value) { std::memcpy(pValue, value.m_data.data(), 4); });
}

LONG RegSetString(HKEY hKey, const char* lpValueName, const std::string& value)
{
    return RegSetValueExA(hKey, lpValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG RegSetDword(HKEY hKey, const char* lpValueName, DWORD value)
{
    return RegSetValueExA(hKey, lpValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}
