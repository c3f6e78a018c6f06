#pragma once

// "Edit Scales": note by note, whether a note of the current scale is a
// correction target (tracked), keeps its range without pulling pitch to it
// (not tracked), or gives its range to its neighbours (removed). Changes go
// straight into the scale set's two flag arrays; OK and Cancel both only
// close, and the caller recomputes the target table from the flags.

#include "platform/ui/AfxDialog.h"
#include "settings/ScaleEditorLink.h"

class CScaleSet;

class CScaleEditDialog : public CDialog {
public:
    static constexpr UINT kTemplateId = 105;
    static constexpr int kNoteList = 1053;
    static constexpr int kScaleName = 1051;
    static constexpr int kKeyName = 1052;
    static constexpr int kMajorPreset = 1049;
    static constexpr int kMinorPreset = 1050;
    static constexpr int kIntervalLists[3] = {1054, 1072, 1076};
    static constexpr UINT kTrack = 2000;
    static constexpr UINT kDoNotTrack = 2001;
    static constexpr UINT kRemove = 2002;
    static constexpr UINT kAdd = 2003;
    // Column numbers of the note list.
    static constexpr int kNoteColumn = 0;
    static constexpr int kFrequencyColumn = 1;
    static constexpr int kTrackColumn = 2;
    static constexpr int kRemoveColumn = 3;

    static constexpr char kLastNoteText[] = "Cannot remove all notes.  Must leave at least one note for processing.";

    CScaleEditDialog(CScaleSet* scaleSet, short key, short scale, int* doNotTrack, int* remove, CWnd* parent);

    int GetNoteCount() const { return m_nNotes; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnNoteClick(NMHDR* header, LRESULT* result);
    void OnMajorPreset();
    void OnMinorPreset();

    DECLARE_MESSAGE_MAP()

private:
    void FillIntervalTable();
    void ShowFlags(int note);
    void ApplyPreset(bool major);
    int CountNotRemoved() const;

    CScaleSet* m_pScaleSet;
    short m_nKey;
    short m_nScale;
    int* m_pDoNotTrack;
    int* m_pRemove;
    int m_nNotes = 0;
    int m_nSelected = -1;
};

// What the scale set runs when "Edit Scale" is pressed: the dialog above,
// modally, owned by the panel window.
class CPanelScaleEditor : public IScaleEditor {
public:
    void SetOwner(CWnd* owner) { m_pOwner = owner; }
    void RunScaleEditor(CScaleSet& scales, short key, short scale, int* doNotTrack, int* remove,
                        int notes) override;

private:
    CWnd* m_pOwner = nullptr;
};
