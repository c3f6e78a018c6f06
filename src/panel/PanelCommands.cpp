// What the panel's controls do: each writes through the store. A handler
// that throws gives up quietly and leaves the panel usable.

#include "panel/IntonaraDialog.h"

#include "settings/ParameterStore.h"
#include "shell/ValueEntryDialog.h"

#include <cstdio>

using panel::kScaleList, panel::kKeyList, panel::kVibratoList, panel::kAllBox, panel::kTieBox;

namespace {

constexpr int kTrackPitch = 1058;
constexpr int kCorrectPitch = 1060;
constexpr int kBufferField = 1127;

template <class F>
void Guarded(F&& f)
{
    try {
        f();
    } catch (...) {
        // Dropped on purpose: the user can simply try again.
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CIntonaraDialog, CDialog)
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_DRAWITEM()
    ON_CBN_SELCHANGE(1023, &CIntonaraDialog::OnScaleSelected)
    ON_CBN_SELCHANGE(1024, &CIntonaraDialog::OnKeySelected)
    ON_CBN_SELCHANGE(1027, &CIntonaraDialog::OnVibratoSelected)
    ON_CBN_DROPDOWN(1027, &CIntonaraDialog::OnVibratoDropDown)
    ON_BN_CLICKED(1026, &CIntonaraDialog::OnEditScale)
    ON_BN_CLICKED(1121, &CIntonaraDialog::OnAutomaticClicked)
    ON_BN_CLICKED(1122, &CIntonaraDialog::OnGraphicalClicked)
    ON_BN_CLICKED(1155, &CIntonaraDialog::OnBypassClicked)
    ON_BN_CLICKED(1058, &CIntonaraDialog::OnTrackPitchClicked)
    ON_BN_CLICKED(1060, &CIntonaraDialog::OnCorrectPitchClicked)
    ON_CONTROL_RANGE(BN_CLICKED, 1071, 1079, &CIntonaraDialog::OnGraphCommand)
    ON_BN_CLICKED(1080, &CIntonaraDialog::OnEnvelopeAll)
    ON_BN_CLICKED(1081, &CIntonaraDialog::OnEnvelopeTie)
    ON_CONTROL_RANGE(BN_CLICKED, 1086, 1091, &CIntonaraDialog::OnZoomButton)
    ON_CONTROL_RANGE(BN_CLICKED, 1092, 1096, &CIntonaraDialog::OnToolButton)
    ON_EN_SETFOCUS(1127, &CIntonaraDialog::OnBufferFocus)
    ON_COMMAND(panel::kShowModeCommand, &CIntonaraDialog::OnShowMode)
    ON_COMMAND(panel::kBufferBoxCommand, &CIntonaraDialog::OnBufferBox)
END_MESSAGE_MAP()

void CIntonaraDialog::OnScaleSelected()
{
    Guarded([&] {
        auto* list = GetDlgItemAs<CComboBox>(kScaleList);
        const int at = list->GetCurSel();
        if (at >= 0) {
            m_pStore->SetParameter(2, static_cast<int>(list->GetItemData(at)));
        }
    });
}

void CIntonaraDialog::OnKeySelected()
{
    Guarded([&] {
        auto* list = GetDlgItemAs<CComboBox>(kKeyList);
        const int at = list->GetCurSel();
        if (at >= 0) {
            m_pStore->SetParameter(3, static_cast<int>(list->GetItemData(at)));
        }
    });
}

void CIntonaraDialog::OnVibratoSelected()
{
    Guarded([&] {
        const int at = GetDlgItemAs<CComboBox>(kVibratoList)->GetCurSel();
        if (at >= 0) {
            m_pStore->SetParameter(6, at);
        }
    });
}

void CIntonaraDialog::OnVibratoDropDown()
{
    Guarded([&] {
        auto* list = GetDlgItemAs<CComboBox>(kVibratoList);
        const int selected = list->GetCurSel();
        FillVibratoList();
        list->SetCurSel(selected);
    });
}

void CIntonaraDialog::OnEditScale()
{
    Guarded([&] { m_pStore->SetParameter(11, 0); });
}

void CIntonaraDialog::OnAutomaticClicked()
{
    Guarded([&] {
        if (IsDlgButtonChecked(1121) == BST_CHECKED) {
            m_pStore->SetParameter(1, 0);
            SwitchToAutomatic(false);
        }
    });
}

void CIntonaraDialog::OnGraphicalClicked()
{
    Guarded([&] {
        if (IsDlgButtonChecked(1122) == BST_CHECKED) {
            m_pStore->SetParameter(1, 1);
            SwitchToGraphical(false);
        }
    });
}

void CIntonaraDialog::OnBypassClicked()
{
    Guarded([&] { OnBypass(IsDlgButtonChecked(1155) == BST_CHECKED ? TRUE : FALSE); });
}

void CIntonaraDialog::OnBypass(BOOL on)
{
    m_pStore->SetControlValue(0, on);
}

void CIntonaraDialog::PassSwitch(int clicked, int clickedId, int other, int otherId)
{
    int& otherState = other == kTrackPitch ? m_bTrackPitch : m_bCorrectPitch;
    int& clickedState = clicked == kTrackPitch ? m_bTrackPitch : m_bCorrectPitch;
    if (otherState != 0 || IsDlgButtonChecked(other) == BST_CHECKED) {
        CheckDlgButton(other, BST_UNCHECKED);
        m_pStore->SetParameter(otherId, 0);
        otherState = 0;
    }
    const int on = IsDlgButtonChecked(clicked) == BST_CHECKED ? 1 : 0;
    m_pStore->SetParameter(clickedId, on);
    clickedState = on;
    // While a pass is asked for, the buffer cannot change under it.
    ::EnableWindow(::GetDlgItem(m_hWnd, kBufferField), on == 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, kAllBox), on == 0);
}

void CIntonaraDialog::OnTrackPitchClicked()
{
    Guarded([&] { PassSwitch(kTrackPitch, 29, kCorrectPitch, 30); });
}

void CIntonaraDialog::OnCorrectPitchClicked()
{
    Guarded([&] { PassSwitch(kCorrectPitch, 30, kTrackPitch, 29); });
}

void CIntonaraDialog::OnGraphCommand(UINT id)
{
    Guarded([&] {
        int parameter = 0;
        switch (id) {
        case 1071: parameter = 23; break;
        case 1073: parameter = 20; break;
        case 1075: parameter = 21; break;
        case 1074: parameter = 22; break;
        case 1077: parameter = 24; break;
        case 1078: parameter = 18; break;
        case 1079: parameter = 19; break;
        default: return;
        }
        m_pStore->SetParameter(parameter, 1);
        RunViewCommand(parameter);
    });
}

void CIntonaraDialog::OnEnvelopeAll()
{
    Guarded([&] {
        m_pStore->SetParameter(25, 1);
        CheckDlgButton(kTieBox, BST_UNCHECKED);
    });
}

void CIntonaraDialog::OnEnvelopeTie()
{
    Guarded([&] {
        m_pStore->SetParameter(28, 1);
        CheckDlgButton(kAllBox, BST_UNCHECKED);
    });
}

void CIntonaraDialog::OnZoomButton(UINT id)
{
    Guarded([&] {
        switch (id) {
        case 1086: m_pStore->SetParameter(26, 1); break;
        case 1087: m_pStore->SetParameter(27, 1); break;
        case 1088: m_pStore->SetParameter(13, 1); break;
        case 1090: m_pStore->SetParameter(14, 1); break;
        case 1091: m_pStore->SetParameter(15, 1); break;
        case 1089: m_pStore->SetParameter(16, 1); break;
        default: break;
        }
    });
}

void CIntonaraDialog::OnToolButton(UINT id)
{
    Guarded([&] {
        int tool = -1;
        for (int t = 0; t < 4; ++t) {
            if (panel::kToolButtons[t] == static_cast<int>(id)) {
                tool = t;
            }
        }
        if (tool < 0) {
            return;
        }
        // The button flipped itself on the press; the others come up.
        for (int t = 0; t < 4; ++t) {
            if (t != tool) {
                GetButton(panel::kToolButtons[t])->Reset();
            }
        }
        m_nTool = GetButton(static_cast<int>(id))->GetState() != 0 ? tool : -1;
    });
}

void CIntonaraDialog::OnBufferFocus()
{
    Guarded([&] {
        if (m_nPanelMode != 2) {
            return;
        }
        // The field must not keep the focus, or closing the box would open
        // it again.
        if (m_pMainGraphView != nullptr) {
            m_pMainGraphView->SetFocus();
        } else {
            ::SetFocus(::GetDlgItem(m_hWnd, kTrackPitch));
        }
        // The box opens once the click that brought the focus is over, so
        // the field is not left holding the mouse.
        PostMessage(WM_COMMAND, MAKEWPARAM(panel::kBufferBoxCommand, 0), 0);
    });
}

void CIntonaraDialog::OnBufferBox()
{
    Guarded([&] {
        if (m_nPanelMode != 2) {
            return;
        }
        RECT rc{};
        ::GetWindowRect(::GetDlgItem(m_hWnd, kBufferField), &rc);
        rc.left -= 1;
        rc.top -= 1;
        // The store reads and writes the buffer length minus one second and
        // hands it to the main view, which keeps what it can hold.
        int held = 0;
        m_pStore->GetParameter(33, &held);
        CValueEntryDialog entry(held + 1, rc, this);
        if (entry.DoModal() == IDOK) {
            m_pStore->SetParameter(33, entry.GetValue() - 1);
            int kept = 0;
            m_pStore->GetParameter(33, &kept);
            ShowBufferSeconds(kept + 1);
        }
    });
}

void CIntonaraDialog::ShowBufferSeconds(int seconds)
{
    SetDlgItemInt(kBufferField, static_cast<UINT>(seconds), FALSE);
}

void CIntonaraDialog::OnHScroll(UINT code, UINT pos, CScrollBar* bar)
{
    Guarded([&] { ScrollView(true, code, pos, bar); });
}

void CIntonaraDialog::OnVScroll(UINT code, UINT pos, CScrollBar* bar)
{
    Guarded([&] { ScrollView(false, code, pos, bar); });
}

int CIntonaraDialog::ParameterFor(int sliderIndex) const
{
    return sliderIndex >= 0 && sliderIndex < panel::kSliderCount ? panel::kSliders[sliderIndex].parameterId : 0;
}

void CIntonaraDialog::OnSliderChanged(int sliderIndex, int value)
{
    const int id = ParameterFor(sliderIndex);
    if (id == 0) {
        return;
    }
    Guarded([&] { m_pStore->SetParameter(id, sliderIndex == 0 ? value + 100 : value); });
}

// ---------------------------------------------------------------------------
// What the host side and the controller ask of the panel

void CIntonaraDialog::EnableControl(int controlId, bool enable)
{
    if (m_hWnd != nullptr) {
        ::EnableWindow(::GetDlgItem(m_hWnd, controlId), enable ? TRUE : FALSE);
    }
}

void CIntonaraDialog::CheckControl(int controlId, bool checked)
{
    if (m_hWnd != nullptr) {
        // May come from the filter graph's thread: it must not wait for ours.
        ::SendNotifyMessageA(::GetDlgItem(m_hWnd, controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                             0);
    }
}

bool CIntonaraDialog::IsControlChecked(int controlId)
{
    return m_hWnd != nullptr && IsDlgButtonChecked(controlId) == BST_CHECKED;
}

bool CIntonaraDialog::IsPointerOverGraph()
{
    if (m_hWnd == nullptr || m_nPanelMode != 2) {
        return false;
    }
    POINT pt{};
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    const RECT graph{panel::kMainViewRect.left, panel::kMainViewRect.top, panel::kEnvelopeViewRect.right,
                     panel::kEnvelopeViewRect.bottom};
    return ::PtInRect(&graph, pt) != FALSE;
}

bool CIntonaraDialog::IsActive()
{
    HWND active = ::GetActiveWindow();
    return m_hWnd != nullptr && active != nullptr && (active == m_hWnd || ::IsChild(active, m_hWnd));
}
