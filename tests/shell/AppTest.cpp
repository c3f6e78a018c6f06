// The application object's start-up and shutdown (COM, the bitmap set, the
// three brand fonts), the version text the panel shows and the help file's
// place.

#include "ShellTestSupport.h"

#include "platform/com/Com.h"
#include "platform/com/Module.h"
#include "shell/BitmapSet.h"
#include "shell/HelpFile.h"
#include "shell/ModuleVersion.h"

#include <filesystem>
#include <string>
#include <tuple>

namespace fs = std::filesystem;

namespace {

TEST(App, StartUpMakesComTheBitmapsAndFontsAndShutdownDeletesTheFonts)
{
    shelltest::StartApp();
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "COM is already initialised on this thread";
    CoUninitialize();
    EXPECT_EQ(AfxGetApp(), &theApp);
    for (int slot = 0; slot < CBitmapSet::kSlotCount; ++slot) {
        EXPECT_GT(g_Bitmaps.GetBitmapWidth(slot), 0) << "slot " << slot;
    }
    // Times New Roman at weight 500, proof quality, variable pitch; only the
    // large font leaves the output precision at its default.
    for (auto [font, height, precision] : {std::tuple{&g_fontSmall, 14, 5}, std::tuple{&g_fontMedium, 16, 5},
                                           std::tuple{&g_fontLarge, 28, 0}}) {
        LOGFONT log{};
        ASSERT_EQ(font->GetObject(sizeof log, &log), static_cast<int>(sizeof log));
        EXPECT_EQ(std::tie(log.lfHeight, log.lfWidth, log.lfEscapement, log.lfOrientation, log.lfWeight),
                  std::make_tuple(LONG{height}, LONG{0}, LONG{0}, LONG{0}, LONG{500}));
        EXPECT_EQ(std::make_tuple(log.lfItalic, log.lfUnderline, log.lfStrikeOut, log.lfCharSet, log.lfOutPrecision,
                                  log.lfClipPrecision, log.lfQuality, log.lfPitchAndFamily),
                  std::make_tuple(0, 0, 0, 0, precision, 0, 2, 2));
        EXPECT_STREQ(log.lfFaceName, "Times New Roman");
    }
    theApp.ExitInstance();
    for (CFont* font : {&g_fontSmall, &g_fontMedium, &g_fontLarge}) {
        EXPECT_EQ(font->m_hObject, nullptr);
    }
    EXPECT_TRUE(theApp.InitInstance());
    CoUninitialize();  // the second start-up's
    EXPECT_NE(g_fontLarge.m_hObject, nullptr);
    EXPECT_GT(g_Bitmaps.GetBitmapWidth(kBitmapThumb), 0);
}

TEST(Version, TheTextIsTheMajorAndMinorPartsOfTheNamedModulesFileVersion)
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
    EXPECT_EQ(std::make_tuple(version.dwSignature, version.m_nLanguage, version.m_nCodePage),
              std::make_tuple(DWORD{VS_FFI_SIGNATURE}, 0x0409, 1252));
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    ASSERT_EQ(GetModuleHandleA("intonara.ax"), module.Handle());
    GetVersionText(text);
    EXPECT_EQ(text, expected);

    // A module of version 1.2.3.4 that answers to "Gadget.ax".
    HMODULE gadget = LoadLibraryA(INTONARA_TEST_MODULE);
    ASSERT_NE(gadget, nullptr) << ModuleLoadError();
    GetVersionText(text, "Gadget.ax");
    EXPECT_EQ(text, "Version: 1.2\n");
    FreeLibrary(gadget);
    GetVersionText(text, "nowhere.ax");
    EXPECT_EQ(text, "") << "a module that is not loaded has no version";
    EXPECT_FALSE(version.Load("nowhere.ax"));
}

std::string g_strQuitFile;
UINT g_nCommand = 0;

TEST(HelpFile, TakesThePlaceOfTheModulesFileNameAndQuittingNamesIt)
{
    for (auto [path, help] : {std::pair{"C:\\Program Files\\Velmora\\intonara.ax", "C:\\Program Files\\Velmora\\"},
                              std::pair{"C:intonara.ax", "C:"}, std::pair{"intonara.ax", ""},
                              std::pair{"/usr/lib/intonara/intonara-filter.so", "/usr/lib/intonara/"}}) {
        EXPECT_EQ(ReplaceFileName(path, kHelpFileName), std::string(help) + "INTONARA.HLP") << path;
    }
    // 247 characters of folder leave room for the 12 of the name, 248 do not.
    EXPECT_EQ(ReplaceFileName(std::string(246, 'd') + "/x.ax", kHelpFileName).size(), 259u);
    EXPECT_EQ(ReplaceFileName(std::string(247, 'd') + "/x.ax", kHelpFileName), "");
    CModule module;
    ASSERT_EQ(module.Load(INTONARA_MODULE_PATH), S_OK) << module.LastError();
    const fs::path path = GetHelpFilePath(module.Handle());
    EXPECT_EQ(path.parent_path(), fs::path(INTONARA_MODULE_PATH).parent_path());
    EXPECT_EQ(path.filename(), "INTONARA.HLP");
    EXPECT_TRUE(fs::is_regular_file(path)) << path << " is installed with the module";

    // With no viewer there is no help window to close, nor one to open.
    EXPECT_TRUE(QuitHelp(nullptr, nullptr));
    EXPECT_FALSE(WinHelpA(nullptr, "INTONARA.HLP", HELP_FINDER, 0));
    platform::ui::SetHelpViewer([](HWND, LPCSTR file, UINT command, std::uintptr_t) {
        g_strQuitFile = file;
        g_nCommand = command;
        return TRUE;
    });
    EXPECT_TRUE(QuitHelp(nullptr, nullptr));
    platform::ui::SetHelpViewer(nullptr);
    EXPECT_EQ(g_nCommand, HELP_QUIT);
    EXPECT_EQ(g_strQuitFile, GetHelpFilePath(nullptr));
    EXPECT_EQ(fs::path(g_strQuitFile).filename(), "INTONARA.HLP");
}

}  // namespace
