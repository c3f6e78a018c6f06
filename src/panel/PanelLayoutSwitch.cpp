// Switching the panel between its two layouts, and the title that names the
// mode.

#include "panel/IntonaraDialog.h"

namespace {

// Shows or hides one control, moving it to its place first.
void Place(HWND dialog, const panel::PlacedControl& control, bool show, bool move, HFONT font)
{
    HWND hwnd = ::GetDlgItem(dialog, control.id);
    if (hwnd == nullptr) {
        return;
    }
    if (move) {
        const RECT& rc = control.rect;
        ::MoveWindow(hwnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        if (font != nullptr) {
            ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    ::ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

bool IsListed(const panel::PlacedControl* controls, int count, int id)
{
    for (int i = 0; i < count; ++i) {
        if (controls[i].id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CIntonaraDialog::ShowControls(const panel::PlacedControl* controls, int count, HFONT font)
{
    for (int i = 0; i < count; ++i) {
        Place(m_hWnd, controls[i], true, true, font);
    }
}

void CIntonaraDialog::SwitchToAutomatic(bool force)
{
    if (m_nPanelMode == 1 && !force) {
        return;
    }
    m_nPanelMode = 1;
    Invalidate();
    // Hide what only graphical mode shows; the shared controls are moved
    // and shown with the automatic ones.
    for (int i = 0; i < panel::kGraphicalControlCount; ++i) {
        const panel::PlacedControl& c = panel::kGraphicalControls[i];
        if (!IsListed(panel::kAutomaticControls, panel::kAutomaticControlCount, c.id)) {
            Place(m_hWnd, c, false, false, nullptr);
        }
    }
    for (auto& button : m_buttons) {
        if (button.m_hWnd != nullptr) {
            button.ShowWindow(SW_HIDE);
        }
    }
    for (int i = 6; i < panel::kSliderCount; ++i) {
        if (m_sliders[i] != nullptr) {
            m_sliders[i]->ShowWindow(SW_HIDE);
        }
    }
    ShowGraphViews(false);
    ShowControls(panel::kAutomaticControls, panel::kAutomaticControlCount, m_hLargeFont);
    for (int i = 0; i < 6; ++i) {
        if (m_sliders[i] != nullptr) {
            const RECT& rc = panel::kSliders[i].rect;
            m_sliders[i]->MoveWindow(&rc);
            m_sliders[i]->ShowWindow(SW_SHOW);
        }
    }
    CheckDlgButton(1122, BST_UNCHECKED);
    ShowTitle();
}

void CIntonaraDialog::SwitchToGraphical(bool force)
{
    if (m_nPanelMode == 2 && !force) {
        return;
    }
    m_nPanelMode = 2;
    Invalidate();
    for (int i = 0; i < panel::kAutomaticControlCount; ++i) {
        const panel::PlacedControl& c = panel::kAutomaticControls[i];
        if (!IsListed(panel::kGraphicalControls, panel::kGraphicalControlCount, c.id)) {
            Place(m_hWnd, c, false, false, nullptr);
        }
    }
    for (int i = 0; i < 6; ++i) {
        if (m_sliders[i] != nullptr) {
            m_sliders[i]->ShowWindow(SW_HIDE);
        }
    }
    ShowControls(panel::kGraphicalControls, panel::kGraphicalControlCount, nullptr);
    for (auto& button : m_buttons) {
        if (button.m_hWnd != nullptr) {
            button.ShowWindow(SW_SHOW);
        }
    }
    for (int i = 6; i < panel::kSliderCount; ++i) {
        if (m_sliders[i] != nullptr) {
            const RECT& rc = panel::kSliders[i].rect;
            m_sliders[i]->MoveWindow(&rc);
            m_sliders[i]->ShowWindow(SW_SHOW);
        }
    }
    ShowGraphViews(true);
    CheckDlgButton(1121, BST_UNCHECKED);
    ShowTitle();
}

void CIntonaraDialog::ShowTitle()
{
    m_strTitle = m_nPanelMode == 2 ? panel::kGraphicalTitle : panel::kAutomaticTitle;
    // The title goes where the user sees it: the caption of the window the
    // panel sits in, when that has one.
    HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
    if (root != nullptr && (::GetWindowLongA(root, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        ::SetWindowTextA(root, m_strTitle.c_str());
    }
}
