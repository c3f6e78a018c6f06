#pragma once
// The common base of the two graph views: a child window of the control
// panel that shows frames along its width. It keeps the time axis (zoom,
// centre, frame rate, total length), the time-range selection and the play
// cursor, draws the time ruler, and runs the modal mouse loop of the
// editing tools, whose steps the derived views supply.
//
// The virtual operations are declared in the order the panel and the
// processing controller were built against; keep it.
//
// Threads: everything runs on the panel's user-interface thread.

#include <cstdint>

#include "platform/ui/AfxWin.h"
#include "settings/ViewLinks.h"

class CParameterStore;

class CGraphView : public CWnd
{
public:
    // pDialog answers for the panel (tool, switches); hDialog is the window
    // whose child controls the view fetches by ID. Both outlive the view.
    CGraphView(IIntonaraDialog* pDialog, HWND hDialog);
    ~CGraphView() override;

    // A visible bordered child of the panel at rc, of the view's window
    // class (registered on first use).
    BOOL CreateView(const RECT& rc, int nId);

    // --- Virtual operations, in table order --------------------------------
    virtual void SetController(CParameterStore* pController);
    // Bar IDs of the panel's horizontal and vertical scroll bars; reads the
    // client size and re-centres time.
    virtual void Initialize(int nHorizontalBarId, int nVerticalBarId);
    virtual void SetFrameRate(float framesPerSecond);
    // The cursor ChooseCursor offers while the pointer is over the client
    // area, else null.
    virtual CursorHandle UpdateCursor();
    virtual HCURSOR ChooseCursor();
    // The modal mouse loop: capture, BeginDrag, TrackDrag while it returns
    // non-zero, EndDrag, release.
    virtual void OnLeftButtonDown(CPoint point);
    virtual int BeginDrag();
    virtual int TrackDrag();
    virtual void EndDrag();
    // Inverts only the columns that change between the old and new range.
    virtual void SetTimeSelection(int nStart, int nEnd);
    virtual void InvertColumns(int x1, int x2, CDC* pDC);
    // Null rectangle: the client area; null context: the window's own.
    virtual void Redraw(const RECT* pRect, CDC* pDC);
    virtual void PaintBackground(const RECT& rc, CDC* pDC);
    virtual void PaintGrid(CDC* pDC);
    virtual void PaintLabels(CDC* pDC);
    virtual void PaintContent(CDC* pDC);
    virtual void DrawSelection(CDC* pDC);
    virtual void DrawTimeRuler(bool bLines, bool bLabels, CDC* pDC);
    // Frame -1: the frame now playing.
    virtual void DrawPlayCursor(int nFrame, CDC* pDC);
    virtual int GetTotalFrames();
    virtual int ColumnToFrame(int x);
    virtual short FrameToColumn(int nFrame);
    virtual bool IsTimeZoomed();
    virtual void ZoomTimeIn();
    virtual void ZoomTimeOut();
    virtual void FitTime(bool bRedraw);
    // Both return how far the picture moved, in pixels (positive: the
    // content moved right or down).
    virtual int ScrollLeft(int nPixels);
    virtual int ScrollRight(int nPixels);
    virtual int ScrollUp(int nPixels);
    virtual int ScrollDown(int nPixels);
    virtual void LineUp();
    virtual void LineLeft();
    virtual void LineDown();
    virtual void LineRight();
    virtual void PageUp();
    virtual void PageLeft();
    virtual void PageDown();
    virtual void PageRight();
    virtual void IdleUpdate();

    // --- Read-outs for the panel and tests ---------------------------------
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int FramesPerPixel() const { return m_nFramesPerPixel; }
    int TimeCenter() const { return m_nTimeCenter; }
    float FrameRate() const { return m_fFrameRate; }
    int SelectionStart() const { return m_nSelStart; }
    int SelectionEnd() const { return m_nSelEnd; }
    int PlayColumn() const { return m_nPlayColumn; }
    // The time-axis state as a whole, for saving and restoring a view.
    void SetTimeAxis(int nFramesPerPixel, int nTimeCenter);

protected:
    void OnLButtonDown(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

    // The window class name; registered with CS_DBLCLKS on first use.
    virtual const char* ClassName() const = 0;
    // The time zoom that shows the whole length, nothing redrawn.
    void FitWholeLength();
    // Keeps the time axis within the passage after a coarser zoom: no frame
    // before 0 at the left edge, none past the end at the right unless the
    // whole length fits.
    void ApplyTimeLimits();
    // Whether the pointer lies over the window's rectangle.
    bool PointerOverWindow() const;
    // T(x) and X(t).
    int T(int x) const;
    int X(int t) const;

    // A context for drawing outside a paint; null when the window is gone.
    class CViewDC
    {
    public:
        CViewDC(CGraphView* pView, CDC* pGiven);
        ~CViewDC();
        CViewDC(const CViewDC&) = delete;
        CViewDC& operator=(const CViewDC&) = delete;
        CDC* operator->() const { return m_pDC; }
        CDC* Get() const { return m_pDC; }
        explicit operator bool() const { return m_pDC != nullptr; }

    private:
        CGraphView* m_pView;
        CDC* m_pDC;
        bool m_bOwned;
    };

    // The drag loop's message pumps. Each takes one message off the queue
    // (waiting when there is none) and dispatches it; true when the drag
    // ends: on left-button-up, on Escape for the escapable one, or when the
    // window has gone.
    bool PumpPlain() { return Pump(false); }
    bool PumpEscapable() { return Pump(true); }
    // Waits for the next message and takes it; false when the window has
    // gone or the application is quitting (WM_QUIT stays queued).
    bool TakeMessage(MSG* pMsg);
    // The pointer in client coordinates, as of the last mouse message taken.
    CPoint MousePosition() const;
    static bool IsKeyDown(int vk) { return ::GetKeyState(vk) < 0; }
    bool IsDragging() const { return m_bInDrag; }

    // Takes the play cursor off the view.
    void HidePlayCursor();
    // Draws a full-height vertical line in XOR.
    void DrawVerticalXor(int x, COLORREF color, CDC* pDC);
    // Drawing is skipped while the view cannot be seen.
    bool IsShowing() const;
    HWND DialogItem(int nId) const;
    bool IsPanelSwitchDown(int nControlId) const;
    // The panel's current tool, -1 for none.
    int CurrentTool() const;

    IIntonaraDialog* const m_pDialog;
    const HWND m_hDialog;
    CParameterStore* m_pController = nullptr;
    int m_nHorizontalBarId = 0;
    int m_nVerticalBarId = 0;

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nFramesPerPixel = 1;
    int m_nTimeCenter = 0;
    float m_fFrameRate = 220.5f;
    int m_nTotalFrames = 0;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
    int m_nPlayColumn = -1;

    // Position at button-down, client coordinates.
    CPoint m_ptDown;

    HCURSOR m_hArrow = nullptr;
    HCURSOR m_hWait = nullptr;
    HCURSOR m_hIBeam = nullptr;
    HCURSOR m_hCross = nullptr;
    HCURSOR m_hSizeWE = nullptr;
    HCURSOR m_hModuleCursors[4] = {};  // resources 149..152
    HCURSOR ModuleCursor(int nResource) const;

    // The ruler's and the labels' font, made once.
    CFont m_LabelFont;
    CFont* LabelFont();

private:
    bool Pump(bool bEscapable);
    bool m_bInDrag = false;
};
