#include "ControlsDialog.h"

#include <cstdio>

namespace {

const char* const kScales[] = {
    "Major", "Minor", "Equal Tempered Chrom.", "Ling Lin", "Scholar's Lute", "Greek Diatonic Genus",
    "Greek Chromatic Genus", "Greek Enharmonic Genus", "Pythagorean", "Just (major chromatic)",
    "Just (minor chromatic)", "Meantone Chromatic", "Werckmeister III Chrom.", "Valloti & Young Chrom.",
    "Barnes-Bach (Chrom)", "Indian", "Slendro", "Pelog", "Arabic 1", "Arabic 2 (Chrom)", "19 Tone", "24 Tone",
    "31 Tone", "53 Tone", "Partch", "Carlos Alpha", "Carlos Beta", "Carlos Gamma", "Harmonic (Chrom)"};
const char* const kKeys[] = {"C", "D-flat", "D", "E-flat", "E", "F", "F-sharp", "G", "A-flat", "A", "B-flat", "B"};
const char* const kIntervals[] = {"min 2nd\t17/16\t105", "maj 2nd\t9/8\t204", "min 3rd\t19/16\t298",
                                  "maj 3rd\t6/4\t386",   "fourth\t21/16\t471", "tritone\t11/8\t551"};

const char* ScrollName(UINT code)
{
    static const char* const kNames[] = {"SB_LINEUP",     "SB_LINEDOWN",   "SB_PAGEUP", "SB_PAGEDOWN",
                                         "SB_THUMBPOSITION", "SB_THUMBTRACK", "SB_TOP",    "SB_BOTTOM",
                                         "SB_ENDSCROLL"};
    return code < 9 ? kNames[code] : "?";
}

}  // namespace

void CSwatchButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    CDC* dc = CDC::FromHandle(item->hDC);
    CRect rc(item->rcItem);
    const bool sunk = m_bDown || (item->itemState & ODS_SELECTED) != 0;
    dc->DrawEdge(&rc, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    rc.DeflateRect(3, 3);
    if (sunk) {
        rc.OffsetRect(1, 1);
    }
    dc->FillSolidRect(&rc, m_bDown ? RGB(200, 40, 40) : RGB(40, 120, 200));
    if ((item->itemState & ODS_FOCUS) != 0) {
        CRect focus(item->rcItem);
        focus.DeflateRect(2, 2);
        dc->DrawFocusRect(&focus);
    }
}

BEGIN_MESSAGE_MAP(CControlsDialog, CDialog)
    ON_BN_CLICKED(1300, &CControlsDialog::OnMessageButton)
    ON_BN_CLICKED(1092, &CControlsDialog::OnSwatch)
    ON_WM_RBUTTONDOWN()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

BOOL CControlsDialog::CreateAt(int x, int y)
{
    if (!Create(kTemplate, nullptr)) {
        return FALSE;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(SW_SHOWNA);
    return TRUE;
}

BOOL CControlsDialog::OnInitDialog()
{
    auto* scale = GetDlgItemAs<CComboBox>(1023);
    for (int i = 0; i < 29; ++i) {
        scale->SetItemData(scale->AddString(kScales[i]), static_cast<std::uintptr_t>(i));
    }
    scale->SetCurSel(2);
    auto* key = GetDlgItemAs<CComboBox>(1024);
    for (const char* name : kKeys) {
        key->AddString(name);
    }
    key->SetCurSel(3);

    auto* notes = GetDlgItemAs<CListCtrl>(1053);
    notes->InsertColumn(0, "Note", LVCFMT_LEFT, 45);
    notes->InsertColumn(1, "Frequency", LVCFMT_LEFT, 65);
    notes->InsertColumn(2, "Track", LVCFMT_LEFT, 103);
    static const char* const kNames[] = {"D#", "E", "F", "F#", "G", "G#", "A", "A#", "B", "C", "C#", "D"};
    for (int i = 0; i < 12; ++i) {
        notes->InsertItem(i, kNames[i]);
        notes->SetItemText(i, 1, std::to_string(i * 100).c_str());
    }
    notes->SetItemText(3, 2, "Do Not Track");
    notes->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    auto* intervals = GetDlgItemAs<CListBox>(1054);
    const int stops[] = {40, 70};
    intervals->SetTabStops(2, stops);
    for (const char* entry : kIntervals) {
        intervals->AddString(entry);
    }
    intervals->SetCurSel(1);

    SCROLLINFO time{sizeof time, SIF_ALL, 0, 3000, 300, 600, 0};
    GetDlgItemAs<CScrollBar>(2007)->SetScrollInfo(&time);
    SCROLLINFO pitch{sizeof pitch, SIF_ALL, -3200, 3600, 700, 0, 0};
    GetDlgItemAs<CScrollBar>(2008)->SetScrollInfo(&pitch);

    CheckRadioButton(1121, 1122, 1121);
    CheckDlgButton(1155, BST_CHECKED);
    CheckDlgButton(1081, BST_CHECKED);
    m_swatch.SubclassDlgItem(1092, this);
    return TRUE;
}

void CControlsDialog::Report(const std::string& text)
{
    SetDlgItemText(1302, text.c_str());
}

BOOL CControlsDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (id != 1302 && lParam != 0) {
        char text[96];
        std::snprintf(text, sizeof text, "WM_COMMAND from %d, code %u", id, static_cast<unsigned>(HIWORD(wParam)));
        Report(text);
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CControlsDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == NM_CLICK || header->code == NM_RCLICK) {
        const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
        char text[96];
        std::snprintf(text, sizeof text, "%s on row %d of the list view",
                      header->code == NM_CLICK ? "NM_CLICK" : "NM_RCLICK", click->iItem);
        Report(text);
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CControlsDialog::OnMessageButton()
{
    AfxMessageBox("Cannot remove all notes.  Must leave at least one note for processing.",
                  MB_OK | MB_ICONEXCLAMATION);
}

void CControlsDialog::OnSwatch()
{
    m_swatch.m_bDown = !m_swatch.m_bDown;
    m_swatch.Invalidate();
}

void CControlsDialog::OnRButtonDown(UINT /*flags*/, CPoint point)
{
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 1, "&Copy Selected");
    menu.AppendMenu(MF_STRING | MF_GRAYED, 2, "Cu&t Selected");
    menu.AppendMenu(MF_STRING, 3, "&Paste");
    menu.AppendMenu(MF_STRING, 4, "&Undo");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_CHECKED, 7, "Select &All\tCtrl+A");
    ClientToScreen(&point);
    const BOOL chosen = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this);
    char text[64];
    std::snprintf(text, sizeof text, chosen != 0 ? "Menu command %d" : "Menu dismissed", chosen);
    Report(text);
}

void CControlsDialog::MoveBar(CScrollBar* bar, UINT code, UINT pos, const char* message)
{
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    bar->GetScrollInfo(&info);
    const int page = static_cast<int>(info.nPage);
    int next = info.nPos;
    switch (code) {
    case SB_LINEUP:
        next -= page / 10;
        break;
    case SB_LINEDOWN:
        next += page / 10;
        break;
    case SB_PAGEUP:
        next -= page;
        break;
    case SB_PAGEDOWN:
        next += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        next = static_cast<short>(pos);
        break;
    case SB_TOP:
        next = info.nMin;
        break;
    case SB_BOTTOM:
        next = info.nMax;
        break;
    default:
        break;
    }
    bar->SetScrollPos(next);
    char text[96];
    std::snprintf(text, sizeof text, "%s %s, position %d", message, ScrollName(code), bar->GetScrollPos());
    Report(text);
}

void CControlsDialog::OnHScroll(UINT code, UINT pos, CScrollBar* bar)
{
    MoveBar(bar, code, pos, "WM_HSCROLL");
}

void CControlsDialog::OnVScroll(UINT code, UINT pos, CScrollBar* bar)
{
    MoveBar(bar, code, pos, "WM_VSCROLL");
}
