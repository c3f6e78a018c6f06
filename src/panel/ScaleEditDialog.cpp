#include "panel/ScaleEditDialog.h"

#include "platform/Messages.h"
#include "platform/ui/AfxCtrl.h"
#include "settings/ScaleSet.h"

namespace {

// Notes per octave from which the microtonal reference table is shown.
constexpr int kTallFromNotes = 13;
constexpr int kDialogWidthDlu = 299;
constexpr int kShortHeightDlu = 160;
constexpr int kTallHeightDlu = 250;

constexpr const char* kIntervals[3][4] = {
    {"min 2nd\t17/16\t105", "maj 2nd\t9/8\t204", "min 3rd\t19/16\t298", "maj 3rd\t6/4\t386"},
    {"fourth\t21/16\t471", "tritone\t11/8\t551", "fifth\t3/2\t702", "min 6th\t13/8\t841"},
    {"maj 6th\t27/16\t906", "min 7th\t7/4\t969", "maj 7th\t15/8\t1088", nullptr},
};

struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {{"Note", 45}, {"Frequency", 65}, {"Track", 103}, {"Remove", 85}};

constexpr char kDoNotTrackText[] = "Do Not Track";
constexpr char kRemovedText[] = "Removed";

// Where the note menu opens, from the click's point in the list.
constexpr int kMenuOffsetX = 25;
constexpr int kMenuOffsetY = 70;

}  // namespace

BEGIN_MESSAGE_MAP(CScaleEditDialog, CDialog)
    ON_NOTIFY(NM_CLICK, CScaleEditDialog::kNoteList, &CScaleEditDialog::OnNoteClick)
    ON_NOTIFY(NM_RCLICK, CScaleEditDialog::kNoteList, &CScaleEditDialog::OnNoteClick)
    ON_BN_CLICKED(CScaleEditDialog::kMajorPreset, &CScaleEditDialog::OnMajorPreset)
    ON_BN_CLICKED(CScaleEditDialog::kMinorPreset, &CScaleEditDialog::OnMinorPreset)
END_MESSAGE_MAP()

CScaleEditDialog::CScaleEditDialog(CScaleSet* scaleSet, short key, short scale, int* doNotTrack, int* remove,
                                   CWnd* parent)
    : CDialog(kTemplateId, parent),
      m_pScaleSet(scaleSet),
      m_nKey(key),
      m_nScale(scale),
      m_pDoNotTrack(doNotTrack),
      m_pRemove(remove)
{
}

BOOL CScaleEditDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nNotes = m_pScaleSet->GetNoteCount(m_nScale) - 1;
    if (m_nNotes == 7) {
        // A seven-note scale is its own major or minor already.
        ::EnableWindow(::GetDlgItem(m_hWnd, kMajorPreset), FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, kMinorPreset), FALSE);
    }

    const bool tall = m_nNotes >= kTallFromNotes;
    RECT size{0, 0, kDialogWidthDlu, tall ? kTallHeightDlu : kShortHeightDlu};
    MapDialogRect(&size);
    RECT window{};
    RECT client{};
    GetWindowRect(&window);
    GetClientRect(&client);
    const int frameX = (window.right - window.left) - client.right;
    const int frameY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(nullptr, 0, 0, size.right + frameX, size.bottom + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (tall) {
        FillIntervalTable();
    }

    SetDlgItemText(kScaleName, m_pScaleSet->GetScaleNameText(m_nScale));
    SetDlgItemText(kKeyName, m_pScaleSet->GetNoteName(m_nKey, m_nScale, 0));

    auto* list = GetDlgItemAs<CListCtrl>(kNoteList);
    int column = 0;
    for (const Column& c : kColumns) {
        list->InsertColumn(column, c.heading, LVCFMT_LEFT, c.width, column);
        ++column;
    }
    for (int note = 0; note < m_nNotes; ++note) {
        const short degree = static_cast<short>(note);
        list->InsertItem(note, m_pScaleSet->GetNoteName(m_nKey, m_nScale, degree));
        list->SetItemText(note, kFrequencyColumn, m_pScaleSet->GetDegreeCentsText(m_nScale, note));
        ShowFlags(note);
    }
    return TRUE;
}

void CScaleEditDialog::FillIntervalTable()
{
    for (int box = 0; box < 3; ++box) {
        auto* list = GetDlgItemAs<CListBox>(kIntervalLists[box]);
        RECT rc{};
        list->GetClientRect(&rc);
        list->SetColumnWidth(rc.right - rc.left);
        for (const char* entry : kIntervals[box]) {
            if (entry != nullptr) {
                list->AddString(entry);
            }
        }
    }
}

void CScaleEditDialog::ShowFlags(int note)
{
    auto* list = GetDlgItemAs<CListCtrl>(kNoteList);
    list->SetItemText(note, kTrackColumn, m_pDoNotTrack[note] != 0 ? kDoNotTrackText : "");
    list->SetItemText(note, kRemoveColumn, m_pRemove[note] != 0 ? kRemovedText : "");
}

void CScaleEditDialog::OnNoteClick(NMHDR* /*header*/, LRESULT* result)
{
    *result = 0;
    auto* list = GetDlgItemAs<CListCtrl>(kNoteList);
    POINT pt{};
    ::GetCursorPos(&pt);
    list->ScreenToClient(&pt);
    const int note = list->HitTest(pt);
    m_nSelected = note;
    if (note < 0 || note >= m_nNotes) {
        m_nSelected = -1;
        return;
    }

    CMenu menu;
    menu.CreatePopupMenu();
    // Each item offers what the note is not now.
    if (m_pDoNotTrack[note] != 0) {
        menu.AppendMenu(MF_STRING, kTrack, "&Track");
    } else {
        menu.AppendMenu(MF_STRING, kDoNotTrack, "Do &Not Track");
    }
    if (m_pRemove[note] != 0) {
        menu.AppendMenu(MF_STRING, kAdd, "&Add");
    } else {
        menu.AppendMenu(MF_STRING, kRemove, "&Remove");
    }
    // The list's point read as a point of the dialog: the menu opens to the
    // lower right of the row, clear of the pointer.
    POINT at{pt.x + kMenuOffsetX, pt.y + kMenuOffsetY};
    ClientToScreen(&at);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, this);
    menu.DestroyMenu();
}

BOOL CScaleEditDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT command = LOWORD(wParam);
    const int note = m_nSelected;
    if (command >= kTrack && command <= kAdd && note >= 0 && note < m_nNotes) {
        switch (command) {
        case kTrack:
            m_pDoNotTrack[note] = 0;
            break;
        case kDoNotTrack:
            m_pDoNotTrack[note] = 1;
            m_pRemove[note] = 0;
            break;
        case kRemove:
            if (CountNotRemoved() == 1) {
                MessageBoxA(m_hWnd, kLastNoteText, "Edit Scales", MB_OK);
                break;
            }
            m_pRemove[note] = 1;
            m_pDoNotTrack[note] = 0;
            break;
        case kAdd:
            m_pRemove[note] = 0;
            break;
        default:
            break;
        }
        ShowFlags(note);
        m_nSelected = -1;
    }
    return CDialog::OnCommand(wParam, lParam);
}

int CScaleEditDialog::CountNotRemoved() const
{
    int count = 0;
    for (int note = 0; note < m_nNotes; ++note) {
        count += m_pRemove[note] == 0 ? 1 : 0;
    }
    return count;
}

void CScaleEditDialog::ApplyPreset(bool major)
{
    for (int note = 0; note < m_nNotes; ++note) {
        const int inScale =
            major ? m_pScaleSet->IsMajorDegree(m_nScale, note) : m_pScaleSet->IsMinorDegree(m_nScale, note);
        m_pRemove[note] = inScale != 0 ? 0 : 1;
        ShowFlags(note);
    }
}

void CScaleEditDialog::OnMajorPreset()
{
    ApplyPreset(true);
}

void CScaleEditDialog::OnMinorPreset()
{
    ApplyPreset(false);
}

void CPanelScaleEditor::RunScaleEditor(CScaleSet& scales, short key, short scale, int* doNotTrack, int* remove,
                                       int /*notes*/)
{
    CScaleEditDialog dialog(&scales, key, scale, doNotTrack, remove, m_pOwner);
    dialog.DoModal();
}
