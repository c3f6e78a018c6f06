// The plug-in module's own resources: the version the shell shows, read
// from the module file, the name the shell finds the module by, and the
// strings the panel and the error log load from it.

#include "platform/com/Module.h"
#include "platform/resources/VersionInfo.h"
#include "settings/ScaleSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(ModuleResources, TheModuleFileCarriesTheProjectVersion)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(INTONARA_MODULE_PATH, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(INTONARA_MODULE_PATH, handle, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    // What the panel shows as "Version: %d.%d".
    EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed.dwFileVersionMS, static_cast<DWORD>(INTONARA_VERSION_MAJOR << 16 | INTONARA_VERSION_MINOR));
    EXPECT_EQ(fixed.dwFileVersionLS >> 16, static_cast<DWORD>(INTONARA_VERSION_PATCH));
    EXPECT_EQ(fixed.dwFileType, VFT_DLL);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\OriginalFilename", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "intonara.ax");
}

TEST(ModuleResources, TheLoadedModuleAnswersToItsShellNameAndHasItsStrings)
{
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
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
}
