// Message boxes on the display's thread are modal windows that show their
// text as given and hold their owner until answered; elsewhere they go to
// the sink.

#include "support/MessageBoxRecorder.h"
#include "../UiFixture.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

#include <string>
#include <thread>

namespace {

std::string BoxText(HWND box)
{
    char text[512] = {};
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    return text;
}

POINT Centre(HWND hwnd)
{
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

using MessageBoxes = uitest::COwnerTest;

TEST_F(MessageBoxes, TheTextShowsExactlyAndTheOwnerIsHeldUntilOK)
{
    const std::uint64_t beeps = platform::ui::BeepCount();
    m_ui.WhenIdle([&] {
        HWND box = GetActiveWindow();
        ASSERT_NE(box, m_hOwner);
        EXPECT_EQ(BoxText(box), "Cannot draw curve!");
        EXPECT_EQ(platform::ui::WindowTitle(box), "Intonara");
        EXPECT_FALSE(IsWindowEnabled(m_hOwner));
        EXPECT_EQ(Centre(box).x, Centre(m_hOwner).x);
        EXPECT_NEAR(Centre(box).y, Centre(m_hOwner).y, 1);
        m_ui.Click(m_hOwner, 20, 20);  // refused
    });
    m_ui.WhenIdle([&] {
        HWND box = GetActiveWindow();
        ASSERT_NE(GetDlgItem(box, IDOK), nullptr);
        m_ui.Click(GetDlgItem(box, IDOK), 10, 10);
    });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Cannot draw curve!", "Intonara", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
    EXPECT_EQ(GetActiveWindow(), m_hOwner);
    EXPECT_TRUE(m_recorder.Of(m_hOwner, {WM_LBUTTONDOWN}).empty());
    EXPECT_GT(platform::ui::BeepCount(), beeps);
}

TEST_F(MessageBoxes, EnterAndEscapeAnswerWithTheBoxsOwnButtons)
{
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Discard?", nullptr, MB_OKCANCEL), IDCANCEL);
    m_ui.WhenIdle([&] { m_ui.Key(VK_RETURN); });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Discard?", nullptr, MB_OKCANCEL), IDOK);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Done.", nullptr, MB_OK), IDOK);
    // Yes/No has no Cancel: Escape does nothing; Enter takes the second
    // button when it is the default; Tab and the letter move and answer.
    m_ui.WhenIdle([&] {
        m_ui.Key(VK_ESCAPE);
        m_ui.Key(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Keep it?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
    m_ui.WhenIdle([&] { m_ui.Type("y"); });
    EXPECT_EQ(MessageBoxA(m_hOwner, "Keep it?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDYES);
}

TEST_F(MessageBoxes, LongTextIsWrappedWithinTheBox)
{
    const std::string text = "Cannot remove all notes.  Must leave at least one note for processing.  "
                             "Add another note first, then remove this one, or keep it and mark it "
                             "Do Not Track instead.";
    m_ui.WhenIdle([&] {
        HWND box = GetActiveWindow();
        HWND label = GetDlgItem(box, kMessageBoxTextId);
        EXPECT_EQ(BoxText(box), text);
        RECT rc{};
        GetClientRect(label, &rc);
        RECT boxClient{};
        GetClientRect(box, &boxClient);
        EXPECT_LE(rc.right, 400);
        EXPECT_GE(rc.bottom, 3 * 14);  // several lines
        EXPECT_LT(rc.right, boxClient.right);
        m_ui.Key(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK), IDOK);
}

TEST_F(MessageBoxes, AfxMessageBoxIsOwnedByTheActiveWindowAndASinkTakesBoxesFirst)
{
    SetActiveWindow(m_hOwner);
    m_ui.WhenIdle([&] {
        EXPECT_FALSE(IsWindowEnabled(m_hOwner));
        m_ui.Key(VK_RETURN);
    });
    EXPECT_EQ(AfxMessageBox("Intonara: Timer not available.  Unable to insert."), IDOK);

    CMessageBoxRecorder recorder(IDCANCEL);
    EXPECT_EQ(AfxMessageBox("An unknown DirectX error occurred in Intonara Plugin in Stop.", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Boxes()[0].m_strCaption, "Intonara");
    EXPECT_EQ(recorder.Boxes()[0].m_hOwner, m_hOwner);
}

TEST_F(MessageBoxes, AnotherThreadsBoxGoesToTheDefaultSinkWithoutWaiting)
{
    int answer = 0;
    testing::internal::CaptureStderr();
    std::thread([&] { answer = MessageBoxA(nullptr, "in Stop.", "Error", MB_OKCANCEL); }).join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: in Stop.\n");
    EXPECT_EQ(answer, IDCANCEL);
}

}  // namespace
