#pragma once

// A control of rows that scroll under a bar along its right edge: what the
// list box and the list view share. The bar's requests move the first row
// shown; the derived control says how far it may go and how many rows a
// page holds.

#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/controls/ScrollCore.h"

namespace platform::ui::controls {

class CScrolledRows : public CControl {
public:
    static constexpr int kBarWidth = 16;

protected:
    explicit CScrolledRows(HWND hwnd);

    // The largest first row (or column) there is to show.
    virtual int LastTop() const = 0;
    // How many rows (or columns) a page up or down moves.
    virtual int PageStep() const = 0;
    // After a new font or size.
    virtual void Relayout() = 0;
    virtual void Paint() = 0;

    // The messages of the bar, the wheel, painting, size and font, and the
    // dialog code: true when handled, with `result` set.
    bool RowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Measures the font's line into m_nLineHeight.
    void MeasureLine();
    // The bar's place, the rows it covers and how many show at once.
    void UpdateBar(const RECT& bounds, int count, int shown);
    void SetTop(int top);
    // Makes `row` show, given how many rows (or columns) show at once.
    void Reveal(int row, int shown);

    CScrollCore m_bar;
    int m_nTop = 0;
    int m_nLineHeight = 16;

private:
    void Scroll(WORD code, int pos);
};

}  // namespace platform::ui::controls
