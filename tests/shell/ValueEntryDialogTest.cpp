// The number box over the buffer-length field: where it opens, what Enter
// keeps and what Escape leaves.

#include "ShellTestSupport.h"

#include "shell/ValueEntryDialog.h"
#include "support/ui/UiTestSupport.h"

#include <string>

namespace {

class ValueEntry : public ::testing::Test {
protected:
    void SetUp() override { m_owner = m_recorder.Create(100, 100, 400, 300); }

    // Runs the box at screen (541, 137) holding 200, types `text` and ends
    // with `key`; returns GetValue().
    int Run(const std::string& text, UINT key, RECT* placed = nullptr)
    {
        CValueEntryDialog box(200, RECT{541, 137, 581, 154}, CWnd::FromHandle(m_owner));
        m_ui.WhenIdle([&] {
            HWND window = GetActiveWindow();
            if (placed != nullptr) {
                GetWindowRect(window, placed);
            }
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), CValueEntryDialog::kFieldId) << "typing goes to the field";
            m_ui.Type(text);
            m_ui.Key(key);
        });
        EXPECT_EQ(box.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
        return box.GetValue();
    }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    HWND m_owner = nullptr;
};

TEST_F(ValueEntry, EnterKeepsANumberAndOpensAtTheFieldsCorner)
{
    RECT placed{};
    EXPECT_EQ(Run("45", VK_RETURN, &placed), 45);
    EXPECT_EQ(placed.left, 541);
    EXPECT_EQ(placed.top, 137);
    // Its own size covers the buffer field (541, 137, 581, 154) taken one
    // pixel larger at the left and top.
    EXPECT_EQ(placed.right - placed.left, 581 - 540);
    EXPECT_EQ(placed.bottom - placed.top, 154 - 136);
    EXPECT_EQ(Run("-3", VK_RETURN), -3);
}

TEST_F(ValueEntry, ZeroTextOrEscapeKeepTheInitialValue)
{
    EXPECT_EQ(Run("0", VK_RETURN), 200);
    EXPECT_EQ(Run("many", VK_RETURN), 200);
    EXPECT_EQ(Run("", VK_RETURN), 200);
    EXPECT_EQ(Run("60", VK_ESCAPE), 200);
}

}  // namespace
