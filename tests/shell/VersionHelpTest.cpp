// The version text the panel shows and the help file's place.

#include "ShellTestSupport.h"

#include "platform/com/Module.h"
#include "shell/HelpFile.h"
#include "shell/ModuleVersion.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(Version, TheTextComesFromTheModuleNamedIntonaraAx)
{
    const std::string expected = "Version: " + std::to_string(INTONARA_VERSION_MAJOR) + "." +
                                 std::to_string(INTONARA_VERSION_MINOR) + "\n";
    // The test program carries the module's resources, so it answers to the
    // name until the module itself is loaded.
    std::string text = "stale";
    GetVersionText(text);
    EXPECT_EQ(text, expected);
    CModuleVersion version;
    ASSERT_TRUE(version.Load("intonara.ax"));
    EXPECT_EQ(version.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(version.m_nLanguage, 0x0409);
    EXPECT_EQ(version.m_nCodePage, 1252);

    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    ASSERT_EQ(GetModuleHandleA("intonara.ax"), module.Handle());
    GetVersionText(text);
    EXPECT_EQ(text, expected);
}

TEST(Version, TheTextIsTheMajorAndMinorPartsOfTheFileVersion)
{
    // A module of version 1.2.3.4 that answers to "Gadget.ax".
    HMODULE gadget = LoadLibraryA(INTONARA_TEST_MODULE);
    ASSERT_NE(gadget, nullptr) << ModuleLoadError();
    std::string text;
    GetVersionText(text, "Gadget.ax");
    EXPECT_EQ(text, "Version: 1.2\n");
    FreeLibrary(gadget);

    text = "stale";
    GetVersionText(text, "nowhere.ax");
    EXPECT_EQ(text, "") << "a module that is not loaded has no version";
    CModuleVersion version;
    EXPECT_FALSE(version.Load("nowhere.ax"));
}

TEST(HelpFile, TakesThePlaceOfTheModulesFileNameBesideIt)
{
    EXPECT_EQ(ReplaceFileName("C:\\Program Files\\Velmora\\intonara.ax", kHelpFileName),
              "C:\\Program Files\\Velmora\\INTONARA.HLP");
    EXPECT_EQ(ReplaceFileName("C:intonara.ax", kHelpFileName), "C:INTONARA.HLP");
    EXPECT_EQ(ReplaceFileName("/usr/lib/intonara/intonara-filter.so", kHelpFileName),
              "/usr/lib/intonara/INTONARA.HLP");
    EXPECT_EQ(ReplaceFileName("intonara.ax", kHelpFileName), "INTONARA.HLP");
    // 247 characters of folder leave room for the 12 of the name, 248 do not.
    EXPECT_EQ(ReplaceFileName(std::string(246, 'd') + "/x.ax", kHelpFileName).size(), 259u);
    EXPECT_EQ(ReplaceFileName(std::string(247, 'd') + "/x.ax", kHelpFileName), "");

    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    const fs::path path = GetHelpFilePath(module.Handle());
    EXPECT_EQ(path.parent_path(), fs::path(INTONARA_MODULE_PATH).parent_path());
    EXPECT_EQ(path.filename(), "INTONARA.HLP");
    EXPECT_TRUE(fs::is_regular_file(path)) << path << " is installed with the module";
}

std::string g_strQuitFile;
UINT g_nCommand = 0;

BOOL RecordingViewer(HWND, LPCSTR file, UINT command, std::uintptr_t)
{
    g_strQuitFile = file;
    g_nCommand = command;
    return TRUE;
}

TEST(HelpFile, QuittingHelpTellsTheViewerWhichFile)
{
    // With no viewer there is no help window to close, nor one to open.
    EXPECT_TRUE(QuitHelp(nullptr, nullptr));
    EXPECT_FALSE(WinHelpA(nullptr, "INTONARA.HLP", HELP_FINDER, 0));

    platform::ui::SetHelpViewer(&RecordingViewer);
    EXPECT_TRUE(QuitHelp(nullptr, nullptr));
    platform::ui::SetHelpViewer(nullptr);
    EXPECT_EQ(g_nCommand, HELP_QUIT);
    EXPECT_EQ(g_strQuitFile, GetHelpFilePath(nullptr));
    EXPECT_EQ(fs::path(g_strQuitFile).filename(), "INTONARA.HLP");
}

}  // namespace
