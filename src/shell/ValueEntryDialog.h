#pragma once

// The little number box the panel opens over its buffer-length field
// (dialog 158): one edit field, Enter keeps a non-zero number, Escape keeps
// what was there.

#include "platform/ui/AfxDialog.h"

class CValueEntryDialog : public CDialog {
public:
    static constexpr UINT kTemplateId = 158;
    static constexpr int kFieldId = 1178;

    // `screenRect`'s top-left is where the box opens; it keeps its own size.
    CValueEntryDialog(int initialValue, const RECT& screenRect, CWnd* parent);

    // The number typed, or the initial value when nothing but 0 or text
    // that is not a number was confirmed (or the box was cancelled).
    int GetValue() const { return m_nValue; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int m_nValue;
    RECT m_rcPlace;
};
