// Version blocks read from files, and modules found by name: this
// program's resources (ResourceTest.rc) and the loadable test module's
// (module/TestModule.rc).

#include "platform/com/Module.h"
#include "platform/resources/VersionInfo.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string ProgramPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

std::vector<BYTE> VersionBlock(const std::string& path)
{
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    EXPECT_GT(size, 0u) << path;
    if (size > 0) {
        EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, block.data()));
    }
    return block;
}

std::string Text(const std::vector<BYTE>& block, const char* path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length)) {
        return "<missing>";
    }
    const std::string text(static_cast<const char*>(value));
    EXPECT_EQ(length, text.size() + 1) << path << ": the length counts the terminator";
    return text;
}

// The fixed part of a version block, its thirteen fields in order.
std::array<DWORD, 13> FixedFields(const std::vector<BYTE>& block)
{
    std::array<DWORD, 13> fields{};
    void* value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    EXPECT_EQ(length, 52u);
    if (length == sizeof fields) {
        std::memcpy(fields.data(), value, sizeof fields);
    }
    return fields;
}

}  // namespace

TEST(VersionInfo, TheProgramFileHasTheScriptsNumbersTranslationAndStrings)
{
    const std::vector<BYTE> block = VersionBlock(ProgramPath());
    ASSERT_FALSE(block.empty());
    // FILEVERSION 3.14.15.9265, PRODUCTVERSION 2, 71; flags mask 0x3F and
    // flags 3, OS 0x00040004, an application of subtype 7, no date.
    const std::array<DWORD, 13> fixed = {VS_FFI_SIGNATURE, 0x00010000u, (3u << 16) | 14u, (15u << 16) | 9265u,
                                         (2u << 16) | 71u, 0u, 0x3Fu, 0x3u, 0x00040004u, VFT_APP, 7u, 0u, 0u};
    EXPECT_EQ(FixedFields(block), fixed);

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD pair[2];
    std::memcpy(pair, value, sizeof pair);
    EXPECT_EQ(pair[0], 0x0407);
    EXPECT_EQ(pair[1], 850);

    EXPECT_EQ(Text(block, "\\StringFileInfo\\04070352\\FileDescription"), "Resource tests");
    EXPECT_EQ(Text(block, "\\stringfileinfo\\04070352\\ORIGINALFILENAME"), "resource-tests");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\FileDescription"), "<missing>");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\04070352\\CompanyName"), "<missing>");
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\Nothing", &value, &length));
    EXPECT_EQ(length, 0u);
}

TEST(VersionInfo, FilesWithoutAVersionBlockGiveNoSize)
{
    CScratchDir scratch;
    DWORD handle = 0;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(scratch.File("absent").c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileVersionInfoSizeA((kResourceDir + "/ResourceTest.rc").c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));

    // The start of a real module file, cut before its section table.
    std::ifstream in(ProgramPath(), std::ios::binary);
    std::vector<char> head(4096);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(scratch.File("cut"), std::ios::binary).write(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(GetFileVersionInfoSizeA(scratch.File("cut").c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));

    ASSERT_TRUE(std::filesystem::exists("/bin/sh"));
    EXPECT_EQ(GetFileVersionInfoSizeA("/bin/sh", &handle), 0u) << "a program without resources";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(VersionInfo, ABufferTooSmallIsRefused)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(ProgramPath().c_str(), &handle);
    ASSERT_GT(size, 52u);
    std::vector<BYTE> block(size, 0xEE);
    EXPECT_FALSE(GetFileVersionInfoA(ProgramPath().c_str(), handle, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(block[0], 0xEE) << "nothing written";
}

TEST(ModuleResources, ALoadedModuleAnswersWithItsOwnResourcesAndName)
{
    HMODULE hModule = LoadLibraryA(kModulePath.c_str());
    ASSERT_NE(hModule, nullptr) << ModuleLoadError();
    char buffer[64];
    EXPECT_EQ(LoadStringA(hModule, 1, buffer, sizeof buffer), 20);
    EXPECT_STREQ(buffer, "from the test module");
    LoadStringA(nullptr, 1, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Tab\there\nquote \" backslash \\ octal A hex B") << "the program's own string 1";
    EXPECT_EQ(LoadStringA(hModule, 100, buffer, sizeof buffer), 0) << "only the program has string 100";

    using StartupString = const char* (*)();
    auto startupString = reinterpret_cast<StartupString>(GetProcAddress(hModule, "TestModuleStartupString"));
    ASSERT_NE(startupString, nullptr);
    EXPECT_STREQ(startupString(), "from the test module") << "read by the module's own start-up code";

    EXPECT_EQ(GetModuleHandleA("gadget.AX"), hModule) << "by the version block's OriginalFilename";
    const std::string fileName = std::filesystem::path(kModulePath).filename().string();
    EXPECT_EQ(GetModuleHandleA(fileName.c_str()), hModule) << "by the file's own name";

    // The version block of a module without a LANGUAGE line is U.S.
    // English, code page 1252.
    const std::vector<BYTE> block = VersionBlock(kModulePath);
    EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\OriginalFilename"), "Gadget.ax");
    const std::array<DWORD, 13> fixed = FixedFields(block);
    EXPECT_EQ(fixed[2], 0x00010002u) << "file version";
    EXPECT_EQ(fixed[5], 0x00030004u) << "the product version defaults to the file version";

    ASSERT_TRUE(FreeLibrary(hModule));
    ASSERT_FALSE(IsLoaded(kModulePath));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("gadget.ax"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(FindResourceA(hModule, MAKEINTRESOURCE(1), RT_STRING), nullptr) << "a handle that is gone";
}

TEST(ModuleResources, TheProgramAnswersToItsNamesWithTheNullHandle)
{
    SetLastError(ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleA("resource-tests"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleA(std::filesystem::path(ProgramPath()).filename().c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetModuleHandleA("nothing-by-this-name.ax"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}
