// The file-backed registry: values of every kind, persistence across
// handles and processes, deletion, enumeration, where the file lives, and
// what happens to a damaged file.

#include "platform/registry/Registry.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

HKEY Create(HKEY hParent, const char* pszPath)
{
    HKEY hKey = nullptr;
    EXPECT_EQ(RegCreateKeyA(hParent, pszPath, &hKey), ERROR_SUCCESS) << pszPath;
    return hKey;
}

// Runs `body` in a child process and returns its exit status.
template <class F>
int InChild(F&& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> SubkeyNames(HKEY hKey)
{
    std::vector<std::string> names;
    char name[64];
    DWORD cch = sizeof name;
    for (DWORD i = 0; RegEnumKeyExA(hKey, i, name, &cch) == ERROR_SUCCESS; ++i, cch = sizeof name) {
        names.emplace_back(name, cch);
    }
    return names;
}

} // namespace

TEST(Registry, ValuesOfEveryKindSurviveTheFile)
{
    CScratchRegistry registry;
    HKEY hKey = Create(HKEY_CLASSES_ROOT, "Test\\Values");
    const std::string awkward = "quote \" backslash \\ newline \n tab \t bell \x07 caf\xC3\xA9";
    ASSERT_EQ(RegSetString(hKey, nullptr, "default text"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetString(hKey, "Awkward", awkward), ERROR_SUCCESS);
    ASSERT_EQ(RegSetDword(hKey, "Merit", 0x00200000), ERROR_SUCCESS);
    const BYTE blob[] = {0x00, 0xFF, 0x10, 0x00, 0x7F};
    ASSERT_EQ(RegSetValueExA(hKey, "Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(hKey, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(hKey);

    // Everything is read back from the file through fresh handles.
    std::string text;
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, "Test\\Values", nullptr, &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "default text");
    EXPECT_EQ(RegGetString(HKEY_CLASSES_ROOT, "test\\VALUES", "awkward", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, awkward);
    DWORD merit = 0;
    EXPECT_EQ(RegGetDword(HKEY_CLASSES_ROOT, "Test\\Values", "Merit", &merit), ERROR_SUCCESS);
    EXPECT_EQ(merit, 0x00200000u);

    HKEY hRead = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Test\\Values", &hRead), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExA(hRead, "Blob", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(cb, sizeof blob);
    BYTE small[2];
    cb = sizeof small;
    EXPECT_EQ(RegQueryValueExA(hRead, "Blob", nullptr, &type, small, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, sizeof blob);
    BYTE read[8] = {};
    cb = sizeof read;
    EXPECT_EQ(RegQueryValueExA(hRead, "Blob", nullptr, &type, read, &cb), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(read, read + cb), std::vector<BYTE>(blob, blob + sizeof blob));
    // A string's size counts its terminator.
    char name[32];
    cb = sizeof name;
    EXPECT_EQ(RegQueryValueExA(hRead, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(name), &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(cb, 13u);
    EXPECT_STREQ(name, "default text");
    EXPECT_EQ(RegQueryValueExA(hRead, "Missing", nullptr, &type, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    cb = 99;
    EXPECT_EQ(RegQueryValueExA(hRead, "Empty", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 0u);
    RegCloseKey(hRead);

    // The file is plain text a person can read.
    const std::string file = FileText(registry.File());
    EXPECT_NE(file.find("[HKEY_CLASSES_ROOT\\Test\\Values]"), std::string::npos) << file;
    EXPECT_NE(file.find("@=\"default text\""), std::string::npos) << file;
    EXPECT_NE(file.find("\"Merit\"=dword:00200000"), std::string::npos) << file;
}

TEST(Registry, AnotherProcessSeesTheChanges)
{
    CScratchRegistry registry;
    HKEY hKey = Create(HKEY_CLASSES_ROOT, "Shared");
    RegSetString(hKey, "FromParent", "1");
    RegCloseKey(hKey);

    const int childResult = InChild([] {
        std::string value;
        if (RegGetString(HKEY_CLASSES_ROOT, "Shared", "FromParent", &value) != ERROR_SUCCESS || value != "1") {
            return 1;
        }
        HKEY hChild = nullptr;
        if (RegCreateKeyA(HKEY_CLASSES_ROOT, "Shared\\ChildKey", &hChild) != ERROR_SUCCESS) {
            return 2;
        }
        RegSetDword(hChild, "FromChild", 42);
        RegCloseKey(hChild);
        return 0;
    });
    ASSERT_EQ(childResult, 0);
    DWORD value = 0;
    EXPECT_EQ(RegGetDword(HKEY_CLASSES_ROOT, "Shared\\ChildKey", "FromChild", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 42u);
}

TEST(Registry, ConcurrentWritersLoseNothing)
{
    CScratchRegistry registry;
    HKEY hKey = Create(HKEY_CLASSES_ROOT, "Busy");
    RegCloseKey(hKey);
    constexpr int kValuesEach = 25;
    std::vector<pid_t> children;
    for (char writer : {'a', 'b', 'c'}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            HKEY hBusy = nullptr;
            int failures = RegOpenKeyA(HKEY_CLASSES_ROOT, "Busy", &hBusy) != ERROR_SUCCESS;
            for (int i = 0; i < kValuesEach && failures == 0; ++i) {
                const std::string name = std::string(1, writer) + std::to_string(i);
                failures += RegSetDword(hBusy, name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS;
            }
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Busy", &hKey), ERROR_SUCCESS);
    DWORD count = 0;
    char name[16];
    for (DWORD cch = sizeof name; RegEnumValueA(hKey, count, name, &cch, nullptr, nullptr, nullptr, nullptr) ==
                                  ERROR_SUCCESS;
         cch = sizeof name) {
        ++count;
    }
    EXPECT_EQ(count, 3u * kValuesEach);
    RegCloseKey(hKey);
}

TEST(Registry, DeletingKeysAndTrees)
{
    CScratchRegistry registry;
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"));
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{A}\\Pins\\Input\\Types"));
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{B}"));
    HKEY hA = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}", &hA), ERROR_SUCCESS);

    // A key with subkeys cannot be deleted on its own.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32"), ERROR_FILE_NOT_FOUND);

    // The tree goes with everything below it, and only it.
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{a}"), ERROR_SUCCESS);
    HKEY hGone = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}\\Pins", &hGone), ERROR_FILE_NOT_FOUND);
    HKEY hClsid = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID", &hClsid), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(hClsid), std::vector<std::string>{"{B}"});
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_FILE_NOT_FOUND);

    // A handle to a deleted key says so.
    EXPECT_EQ(RegSetDword(hA, "Late", 1), ERROR_KEY_DELETED);
    RegCloseKey(hA);

    // With no subkey named, everything below the key goes but the key stays.
    RegSetDword(hClsid, "Value", 1);
    EXPECT_EQ(RegDeleteTreeA(hClsid, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(SubkeyNames(hClsid).empty());
    DWORD value = 0;
    EXPECT_EQ(RegGetDword(hClsid, nullptr, "Value", &value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID", &hGone), ERROR_SUCCESS);
    RegCloseKey(hGone);
    RegCloseKey(hClsid);
}

TEST(Registry, EnumerationIsInNameOrderAndKeepsTheCaseGiven)
{
    CScratchRegistry registry;
    HKEY hRoot = Create(HKEY_CLASSES_ROOT, "Order");
    for (const char* name : {"beta", "Alpha", "gamma"}) {
        RegCloseKey(Create(hRoot, name));
        RegSetDword(hRoot, name, 0);
    }
    DWORD disposition = 0;
    HKEY hAgain = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hRoot, "ALPHA", &hAgain, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(hAgain);

    EXPECT_EQ(SubkeyNames(hRoot), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    char name[16];
    DWORD cch = sizeof name;
    ASSERT_EQ(RegEnumValueA(hRoot, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "beta");
    EXPECT_EQ(cch, 4u);
    cch = 3;
    EXPECT_EQ(RegEnumKeyExA(hRoot, 2, name, &cch), ERROR_MORE_DATA);
    EXPECT_EQ(cch, 5u);
    cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(hRoot, 3, name, &cch), ERROR_NO_MORE_ITEMS);
    RegCloseKey(hRoot);
}

TEST(Registry, FileLocationFollowsTheEnvironment)
{
    CScratchDir dir;
    {
        CEnvVar registry("INTONARA_REGISTRY", dir.File("explicit"));
        CEnvVar config("XDG_CONFIG_HOME", dir.File("config"));
        EXPECT_EQ(RegistryFilePath(), dir.File("explicit"));
    }
    {
        CEnvVar registry("INTONARA_REGISTRY", std::nullopt);
        CEnvVar config("XDG_CONFIG_HOME", dir.File("config"));
        EXPECT_EQ(RegistryFilePath(), dir.File("config") + "/intonara/registry");
        // The directories are made on the first write.
        RegCloseKey(Create(HKEY_CLASSES_ROOT, "Located"));
        EXPECT_TRUE(std::filesystem::exists(dir.File("config") + "/intonara/registry"));
    }
    {
        CEnvVar registry("INTONARA_REGISTRY", std::nullopt);
        CEnvVar config("XDG_CONFIG_HOME", std::nullopt);
        CEnvVar home("HOME", dir.File("home"));
        EXPECT_EQ(RegistryFilePath(), dir.File("home") + "/.config/intonara/registry");
    }
}

TEST(Registry, ADamagedFileIsReportedAndLeftAlone)
{
    CScratchRegistry registry;
    const std::string damaged = "[HKEY_CLASSES_ROOT\\Fine]\n\"Value\"=dword:1234\n";
    std::ofstream(registry.File()) << damaged;
    HKEY hKey = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Other", &hKey), ERROR_BADDB);
    EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Fine", &hKey), ERROR_BADDB);
    EXPECT_EQ(FileText(registry.File()), damaged);
}
