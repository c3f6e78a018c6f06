#pragma once

// The sampler's one window: every drawing primitive and text style the
// user interface draws with, and a line that reports the mouse and the last
// input message, so that a person can judge both.

#include "platform/ui/AfxWin.h"

#include <string>

class CSamplerWnd : public CWnd {
public:
    CSamplerWnd();
    ~CSamplerWnd() override;

    static constexpr int kWidth = 720;
    static constexpr int kHeight = 520;

    // A framed top-level window at (x, y) of the screen.
    BOOL CreateSampler(int x, int y);

protected:
    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnDestroy();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void Report(const char* message, UINT flags, CPoint point);
    void DrawPanel(CDC& dc, const CRect& rc, const char* title);
    void DrawLines(CDC& dc, const CRect& rc);
    void DrawXorLines(CDC& dc, const CRect& rc);
    void DrawShapes(CDC& dc, const CRect& rc);
    void DrawPatterns(CDC& dc, const CRect& rc);
    void DrawBlits(CDC& dc, const CRect& rc);
    void DrawDibs(CDC& dc, const CRect& rc);
    void DrawText(CDC& dc, const CRect& rc);
    void DrawStatus(CDC& dc);

    CFont m_dialogFont;  // Arial 8 points, the dialogs' text
    CFont m_boldFont;
    CFont m_fontSmall;   // Times New Roman 14, 16 and 28: the brand panel
    CFont m_fontMedium;
    CFont m_fontLarge;
    CFont m_arial14;
    std::string m_strPointer;
    std::string m_strLast;
    CRect m_rcStatus;
};
