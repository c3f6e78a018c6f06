// The app's file chooser: what a folder lists, how typed names are read,
// and the dialog itself on the headless display, worked with the keyboard.

#include "FileDialog.h"

#include "support/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class FileChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "intonara-chooser-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        for (const char* name : {"b.wav", "a.FLAC", "notes.txt", ".hidden.wav", "take.isn", "song.mp3"})
            std::ofstream(m_dir + "/" + name) << "x";
        fs::create_directory(m_dir + "/zeta");
        fs::create_directory(m_dir + "/alpha");
        std::ofstream(m_dir + "/alpha/inner.aiff") << "x";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the chooser modally; `steps` are what the user does meanwhile.
    INT_PTR Run(CFileChooser& chooser, std::initializer_list<std::function<void()>> steps)
    {
        for (const auto& step : steps)
            m_ui.Display().WhenIdle(step);
        return chooser.DoModal();
    }
    void Type(CFileChooser& chooser, const std::string& text)
    {
        chooser.SetDlgItemText(903, text.c_str());
        m_ui.Display().KeyDown(VK_RETURN);
        m_ui.Display().KeyUp(VK_RETURN);
    }
    std::vector<std::string> Listed(CFileChooser& chooser)
    {
        auto* list = chooser.GetDlgItemAs<CListBox>(902);
        std::vector<std::string> out;
        for (int i = 0; i < list->GetCount(); ++i) {
            char text[512] = {};
            list->GetText(i, text);
            out.push_back(text);
        }
        return out;
    }

    uitest::CUi m_ui;
    std::string m_dir;
};

TEST_F(FileChooserTest, AFolderListsItsFoldersThenTheSoundFilesAndSessionsInOrder)
{
    EXPECT_EQ(CFileChooser::ListFolder(m_dir),
              (std::vector<std::string>{"../", "alpha/", "zeta/", "a.FLAC", "b.wav", "song.mp3", "take.isn"}));
    EXPECT_EQ(CFileChooser::ListFolder("/").front().back(), '/');
    EXPECT_NE(CFileChooser::ListFolder("/").front(), "../");
    EXPECT_TRUE(CFileChooser::IsOpenable("x.AIFF"));
    EXPECT_FALSE(CFileChooser::IsOpenable("x.wav.txt"));
    EXPECT_FALSE(CFileChooser::IsOpenable("wav"));
}

TEST_F(FileChooserTest, TypedNamesArePathsOfTheirOwnOrNamesInTheFolder)
{
    EXPECT_EQ(CFileChooser::Resolve("/music/takes", "/tmp/x.wav"), "/tmp/x.wav");
    EXPECT_EQ(CFileChooser::Resolve("/music/takes", "x.wav"), "/music/takes/x.wav");
    EXPECT_EQ(CFileChooser::Resolve("/music/takes", "../mix/x.wav"), "/music/mix/x.wav");
    EXPECT_EQ(CFileChooser::Resolve("/music/takes", ".."), "/music");
    EXPECT_EQ(CFileChooser::Resolve("/music/takes", "old/"), "/music/takes/old");
    setenv("HOME", "/home/singer", 1);
    EXPECT_EQ(CFileChooser::Resolve("/music", "~/a.wav"), "/home/singer/a.wav");
}

TEST_F(FileChooserTest, TypingAFolderGoesIntoItAndTypingAFileChoosesIt)
{
    CFileChooser chooser(nullptr, CFileChooser::Purpose::Open, "Open", m_dir);
    std::vector<std::string> inAlpha;
    const INT_PTR result = Run(chooser, {[&] { Type(chooser, "alpha"); },
                                         [&] {
                                             inAlpha = Listed(chooser);
                                             Type(chooser, "inner.aiff");
                                         }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(inAlpha, (std::vector<std::string>{"../", "inner.aiff"}));
    EXPECT_EQ(chooser.Path(), m_dir + "/alpha/inner.aiff");
}

TEST_F(FileChooserTest, OpeningRefusesAMissingFileWhileSavingTakesANewName)
{
    CFileChooser open(nullptr, CFileChooser::Purpose::Open, "Open", m_dir + "/b.wav");
    char message[128] = {};
    char proposed[128] = {};
    const INT_PTR opened = Run(open, {[&] {
                                          open.GetDlgItemText(903, proposed, sizeof proposed);
                                          Type(open, "missing.wav");
                                      },
                                      [&] {
                                          open.GetDlgItemText(904, message, sizeof message);
                                          m_ui.Display().KeyDown(VK_ESCAPE);
                                      }});
    EXPECT_EQ(opened, IDCANCEL);
    EXPECT_STREQ(proposed, "b.wav");
    EXPECT_STREQ(message, "There is no such file.");

    CFileChooser save(nullptr, CFileChooser::Purpose::Save, "Export", m_dir + "/b-corrected.wav");
    const INT_PTR saved = Run(save, {[&] { Type(save, m_dir + "/zeta/new.wav"); }});
    EXPECT_EQ(saved, IDOK);
    EXPECT_EQ(save.Path(), m_dir + "/zeta/new.wav");
    CFileChooser nowhere(nullptr, CFileChooser::Purpose::Save, "Export", m_dir);
    const INT_PTR refused = Run(nowhere, {[&] { Type(nowhere, "no/such/folder/x.wav"); },
                                          [&] {
                                              nowhere.GetDlgItemText(904, message, sizeof message);
                                              m_ui.Display().KeyDown(VK_ESCAPE);
                                          }});
    EXPECT_EQ(refused, IDCANCEL);
    EXPECT_STREQ(message, "There is no such folder.");
}
