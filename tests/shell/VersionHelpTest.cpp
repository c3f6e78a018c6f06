// The version text the panel shows and the help file's place.

#include "ShellTestSupport.h"

#include "platform/com/Module.h"
#include "shell/HelpFile.h"
#include "shell/ModuleVersion.h"

#include <filesystem>
#include <string>

namespace {

std::string ExpectedVersionText()
{
    return "Version: " + std::to_string(INTONARA_VERSION_MAJOR) + "." + std::to_string(INTONARA_VERSION_MINOR) +
           "\n";
}

TEST(Version, TheTextComesFromTheModuleNamedIntonaraAx)
{
    // The test program carries the module's resources, so it is the module
    // that answers to the name.
    std::string text = "stale";
    GetVersionText(text);
    EXPECT_EQ(text, ExpectedVersionText());

    CModuleVersion version;
    ASSERT_TRUE(version.Load("intonara.ax"));
    EXPECT_EQ(version.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(version.m_nLanguage, 0x0409);
    EXPECT_EQ(version.m_nCodePage, 1252);
}

TEST(Version, TheLoadedPlugInModuleGivesTheSameText)
{
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    ASSERT_EQ(GetModuleHandleA("intonara.ax"), module.Handle());
    std::string text;
    GetVersionText(text);
    EXPECT_EQ(text, ExpectedVersionText());
}

TEST(Version, TheTextIsTheMajorAndMinorPartsOfTheFileVersion)
{
    // A module of version 1.2.3.4 that answers to "Gadget.ax".
    HMODULE gadget = LoadLibraryA(INTONARA_TEST_MODULE);
    ASSERT_NE(gadget, nullptr) << ModuleLoadError();
    std::string text;
    GetVersionText(text, "Gadget.ax");
    EXPECT_EQ(text, "Version: 1.2\n");
    CModuleVersion version;
    ASSERT_TRUE(version.Load("Gadget.ax"));
    EXPECT_EQ(version.dwFileVersionMS, (1u << 16) | 2u);
    EXPECT_EQ(version.dwFileVersionLS, (3u << 16) | 4u);
    FreeLibrary(gadget);
}

TEST(Version, AModuleThatIsNotLoadedLeavesTheTextEmpty)
{
    std::string text = "stale";
    GetVersionText(text, "nowhere.ax");
    EXPECT_EQ(text, "");
    CModuleVersion version;
    EXPECT_FALSE(version.Load("nowhere.ax"));
    EXPECT_EQ(version.m_nCodePage, 1252);
}

TEST(HelpFile, TakesThePlaceOfTheModulesFileName)
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
}

TEST(HelpFile, IsInstalledBesideThePlugInModule)
{
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    const std::string path = GetHelpFilePath(module.Handle());
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(INTONARA_MODULE_PATH).parent_path());
    EXPECT_EQ(std::filesystem::path(path).filename(), "INTONARA.HLP");
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

struct ViewerCall {
    HWND window;
    std::string file;
    UINT command;
};
ViewerCall g_lastCall;

BOOL RecordingViewer(HWND window, LPCSTR file, UINT command, std::uintptr_t)
{
    g_lastCall = {window, file, command};
    return TRUE;
}

TEST(HelpFile, QuittingHelpTellsTheViewerWhichFile)
{
    // With no viewer there is no help window to close.
    EXPECT_TRUE(QuitHelp(nullptr, nullptr));
    EXPECT_FALSE(WinHelpA(nullptr, "INTONARA.HLP", HELP_FINDER, 0));

    platform::ui::SetHelpViewer(&RecordingViewer);
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(QuitHelp(window, nullptr));
    platform::ui::SetHelpViewer(nullptr);
    EXPECT_EQ(g_lastCall.window, window);
    EXPECT_EQ(g_lastCall.command, HELP_QUIT);
    EXPECT_EQ(g_lastCall.file, GetHelpFilePath(nullptr));
    EXPECT_EQ(std::filesystem::path(g_lastCall.file).filename(), "INTONARA.HLP");
}

}  // namespace
