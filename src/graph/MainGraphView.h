#pragma once
// The main graph view: tracked pitch against time, the correction curves
// drawn over it, note lines and a time ruler. It owns the curves (with a
// one-level undo copy and a private clipboard), runs the four editing tools
// and the editing commands, keeps the pitch axis and the panel's editing
// buttons current, and drives the track-and-correct passes: it allocates
// the track buffer, arms the passes through the processing controller,
// writes the correction targets and follows the play position.
//
// The panel creates it (CreateView with ID 2005), links the envelope view,
// attaches the controller through the store (AttachDialog), then calls
// Initialize and ResetGraph; its 50 ms timer reaches IdleUpdate through the
// controller's OnTimer.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/TrackRecord.h"
#include "graph/CurveTypes.h"
#include "graph/GraphView.h"

class CEnvelopeGraphView;

class CMainGraphView : public CGraphView, public IMainGraphView
{
public:
    // Thrown by the target fill when it reaches the end of the buffer.
    class finished_init
    {
    };

    // The panel's editing buttons, Track/Correct switches, readouts and the
    // buffer-length field are fetched from hDialog here, so they must exist.
    CMainGraphView(IIntonaraDialog* pDialog, HWND hDialog);
    ~CMainGraphView() override;

    // --- Overrides of the base's table ---------------------------------------
    void SetController(CParameterStore* pController) override;
    void Initialize(int nHorizontalBarId, int nVerticalBarId) override;
    void SetFrameRate(float framesPerSecond) override;
    CursorHandle UpdateCursor() override;
    HCURSOR ChooseCursor() override;
    int BeginDrag() override;
    int TrackDrag() override;
    void EndDrag() override;
    void Redraw(const RECT* pRect, CDC* pDC) override;
    void PaintGrid(CDC* pDC) override;
    void PaintLabels(CDC* pDC) override;
    void PaintContent(CDC* pDC) override;
    void ZoomTimeIn() override;
    void ZoomTimeOut() override;
    void FitTime(bool bRedraw) override;
    int ScrollLeft(int nPixels) override;
    int ScrollRight(int nPixels) override;
    int ScrollUp(int nPixels) override;
    int ScrollDown(int nPixels) override;
    void IdleUpdate() override;

    // --- Added operations, in table order ------------------------------------
    virtual void ResetGraph();
    // The editable state (curves, undo copy, clipboard, both zooms and the
    // selection) as bytes, and back; LoadState refuses what SaveState
    // cannot have written and then changes nothing.
    virtual int GetStateSize();
    virtual void SaveState(void* pBuffer);
    virtual bool LoadState(const void* pBuffer, int nBytes);
    virtual void SetEnvelopeView(CEnvelopeGraphView* pEnvelope);
    virtual int BeginLine();
    virtual int TrackLine();
    virtual void EndLine();
    virtual int BeginFreehand();
    virtual int TrackFreehand();
    virtual void EndFreehand();
    virtual int BeginMove();
    virtual int TrackMove();
    virtual void EndMove();
    virtual int BeginSelect();
    virtual int TrackSelect();
    virtual void EndSelect();
    virtual int BeginZoomBox();
    virtual int TrackZoomBox();
    virtual void EndZoomBox();
    int SetBufferSeconds(int nSeconds) override;
    virtual void ClearTrackRecords(int nFirst, int nEnd);
    void SetTracking(int on) override;
    void SetCorrecting(int on) override;
    virtual void FreeCurveList(CurveNode* pList);
    virtual CurveNode* CopyNodeRange(const CurveNode* pList, int a, int b);
    virtual void SaveUndo();
    virtual void GetSelectionRange(int* pFirst, int* pLast);
    virtual CurveNode* DeleteNodeRange(CurveNode* pList, int a, int b);
    // Scrolls one step when the point lies outside the client area; returns
    // how far the picture moved.
    virtual CSize AutoScroll(CPoint point);
    virtual int HitTestCurves(int x, int y, CurveNode* pList, bool bSelect, int* pKind);
    virtual bool IsNearSegment(int dx, int dy, int px, int py);
    virtual CurveNode* CopySelectedSpan(const CurveNode* pList);
    virtual void FindSelectedSpan(const CurveNode* pList, int nCount, int* pFirst, int* pLast);
    virtual void RestoreSpan(const CurveNode* pSpan, CurveNode* pList);
    virtual void GetMoveLimits(const CurveNode* pSpan, int* pMinOffset, int* pMaxOffset);
    virtual void GetCurveBounds(const CurveNode* pList, int* pLastTime, int* pFirstTime, int* pHighest,
                                int* pLowest);
    virtual void OffsetCurveList(CurveNode* pList, int dt, int dp);
    virtual void ApplyMove(const CurveNode* pSaved, CurveNode* pWorking, int dt, int dp);
    virtual FreehandData* ResampleFreehand(FreehandData* pData, int nSpan, int nEnd);
    virtual void MakeLineCurve(const POINT* pPoints, int nCount);
    virtual void MakeFreehandCurve(FreehandData* pData, int nStartPitch, int nEndPitch, int nStartTime,
                                   int nEndTime);
    virtual CurveNode* MergeCurves(const CurveNode* pNew, CurveNode* pExisting);
    virtual void SelectAllNodes(CurveNode* pList, int flag);
    virtual int ExtendSelectionTo(int t);
    virtual void SelectTimeRange(int t1, int t2, int flag);
    virtual void ToggleTimeRange(int t1, int t2);
    virtual void SetNodeSelected(CurveNode* pNode, int flag);
    virtual void DrawNodeMarker(const CurveNode* pNode, CDC* pDC);
    virtual void ShowNoteReadout(int nRow);
    virtual void BeginTrackPass();
    virtual void TrackPassTick();
    virtual void EndTrackPass();
    virtual void BeginCorrectPass();
    virtual void CorrectPassTick();
    virtual void EndCorrectPass();
    virtual void UpdateTotalLength();
    virtual void DrawTitle(CDC* pDC);
    virtual void DrawNoteLines(bool bLines, bool bLabels, CDC* pDC);
    virtual void DrawCurveList(const CurveNode* pList, COLORREF color, COLORREF selectedColor, CDC* pDC);
    virtual void DrawTrackedPitch(CDC* pDC);
    virtual int RowToCents(int y);
    virtual int CentsToRow(int cents);
    int PeriodToCents(float period) override;
    virtual float CentsToPeriod(double cents);
    void ZoomPitchIn() override;
    void ZoomPitchOut() override;
    virtual void FitPitchToTrack(bool bRedrawEnvelope);
    virtual void UpdateVScrollBar();
    virtual void UpdateVScrollPos();
    virtual void UpdateHScrollBar();
    virtual void UpdateHScrollPos();
    virtual void OnScrollThumb(int nPosition, int nBarId);
    virtual void Undo();
    virtual void Paste();
    virtual void Copy();
    virtual void Cut();
    virtual void SelectAll();
    virtual void MakeCurveFromTrack();
    virtual void MakeAutoCurve();
    struct AutoTarget;
    virtual int AutoTargetFrame(AutoTarget& state, int cents);
    virtual float VibratoFactor(AutoTarget& state);
    virtual void UpdateSelectionButtons();

    // --- The rest of the store's link ----------------------------------------
    bool IsLive() override { return ::IsWindow(m_hWnd) != FALSE; }
    bool IsEnvScaleAvailable() override { return IsTimeZoomed(); }
    bool ContainsPointer() override;

    // --- For the panel ---------------------------------------------------------
    // A scroll request of one of the panel's bars (its WM_HSCROLL or
    // WM_VSCROLL): line and page steps, or a thumb position.
    void HandleScrollRequest(int nBarId, int nCode, int nPosition);
    // Runs one command of the context menu's numbering (0..6).
    void RunCommand(int nCommand);
    // A line through (time, pitch) nodes in increasing time, merged into the
    // curves as the line tool's are, all its nodes selected.
    void MakeLineCurveAt(const int* pTimes, const int* pPitches, int nCount);
    // Writes the target period of every buffer frame from the curves (0
    // where no curve runs); stops quietly at the end of the buffer.
    void FillCorrectionTargets();
    // The buffer length the user last asked for, in seconds.
    int BufferSeconds() const { return m_nBufferSecs; }

    // --- Read-outs -------------------------------------------------------------
    const CurveNode* Curves() const { return m_pCurves; }
    const CurveNode* UndoCurves() const { return m_pUndoCurves; }
    const CurveNode* Clipboard() const { return m_pClipboard; }
    int TrackedFrames() const { return m_nTrackedFrames; }
    int BufferFrames() const { return m_nBufferFrames; }
    TrackRecord* TrackBuffer() const;
    int CentsPerPixel() const { return m_nCentsPerPixel; }
    int PitchCenter() const { return m_nPitchCenter; }
    bool IsTracking() const { return m_bTracking != 0; }
    bool IsCorrecting() const { return m_bCorrecting != 0; }
    // Scroll-bar values as last set (minimum, maximum, position).
    struct BarState
    {
        int nMin = 0;
        int nMax = 0;
        int nPos = 0;
    };
    BarState HorizontalBar() const { return m_HBar; }
    BarState VerticalBar() const { return m_VBar; }
    int ScrollUnit() const { return m_nScrollUnit; }
    // The pitch zoom and centre, as a saved view had them.
    void SetPitchAxis(int nCentsPerPixel, int nPitchCenter);
    // The frames a tracking pass left in the buffer, when the buffer was
    // filled from elsewhere (a saved session); at most the capacity.
    void SetTrackedFrames(int nFrames);

    struct AutoTarget
    {
        // Per command.
        short nNotes = 0;
        const int* pTargets = nullptr;
        const int* pBounds = nullptr;
        bool bStarted = false;
        double dDetune = 1.0;
        float fCoefficient = 0.0f;
        double dOctave = 1.0;
        int nNote = 0;
        // Vibrato, read at the first frame with a target.
        bool bVibratoRead = false;
        int nVibratoType = 0;
        int nVibratoDepth = 0;
        int nDelayFrames = 0;
        int nCycleFrames = 1;
        int nCounter = 0;
        // Per voiced run.
        float fSmoothed = 0.0f;
    };

protected:
    void OnPaint();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnDestroy();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

    const char* ClassName() const override;

private:
    void EnableButton(HWND hButton, bool bEnable);
    bool IsButtonEnabled(HWND hButton) const;
    void SetButtonText(HWND hButton, const char* text);
    void RedrawBoth();
    void DrawRubberBand(CPoint from, CPoint to, CDC* pDC);
    void DrawZoomFrame(const RECT& rc, CDC* pDC);
    // The frame at a time as the ruler-free pitch mapping needs it.
    int RecordCents(const TrackRecord& rec, bool bHigh) const;
    bool IsVoiced(int frame) const;
    // Make curve and make auto share everything but the pitch of a frame.
    void MakeCurvesFromRuns(bool bAuto);
    void SetScrollBar(int nBarId, BarState& state, int nMin, int nMax, int nPos);
    void SetScrollPosition(int nBarId, BarState& state, int nPos);
    void RebuildNoteTable();
    void CommitToolCurve();
    void ReleaseDragBuffers();
    void ShowReadouts(const char* note, const char* deviation);
    void ApplyZoomLimits();
    void UpdatePeriodCache();

    // Curves (Part of the model).
    CurveNode* m_pCurves = nullptr;
    CurveNode* m_pUndoCurves = nullptr;
    CurveNode* m_pClipboard = nullptr;

    // Pitch axis.
    int m_nCentsPerPixel = 8;
    int m_nPitchCenter = 0;
    int m_nScrollUnit = 1;
    BarState m_HBar;
    BarState m_VBar;

    // Drag state of the tools.
    CPoint m_ptLast;
    void* m_pToolBuffer = nullptr;
    int16_t m_nVertexCapacity = 0;
    int16_t m_nVertexCount = 0;
    int16_t m_nDrawDirection = 0;
    int m_bSelecting = 0;
    CurveNode* m_pMoveSaved = nullptr;
    CurveNode* m_pMoveWork = nullptr;
    int m_nMoveMin = 0;
    int m_nMoveMax = 0;
    int m_nMoveStartFrame = 0;
    int m_nMoveStartPitch = 0;
    int m_nSelAnchor = 0;
    CRect m_rcZoom;
    int m_nDragTool = -1;
    int m_nLastSweepFrame = 0;
    int m_nSweepColumn = -1;
    bool m_bBandShown = false;

    // The panel's controls.
    CEnvelopeGraphView* m_pEnvelope = nullptr;
    HWND m_hUndo = nullptr;
    HWND m_hSelectAll = nullptr;
    HWND m_hCut = nullptr;
    HWND m_hPaste = nullptr;
    HWND m_hCopy = nullptr;
    HWND m_hMakeCurve = nullptr;
    HWND m_hMakeAuto = nullptr;
    HWND m_hTrackPitch = nullptr;
    HWND m_hCorrectPitch = nullptr;
    HWND m_hNoteReadout = nullptr;
    HWND m_hDeviationReadout = nullptr;
    HWND m_hBufferField = nullptr;
    HWND m_hEnvAll = nullptr;
    int m_nReadoutRow = -1;
    bool m_bRescalePending = false;
    int m_nVisibleStart = 0;
    int m_nVisibleEnd = 0;

    // The note table of the readout, in whole cents, and what it was built for.
    std::vector<int> m_ReadoutNotes;
    int m_nReadoutLowest = 0;
    int m_nReadoutScale = -1;
    int m_nReadoutKey = -1;
    int m_nReadoutDetune = 0;

    // Track and correct.
    int m_nBufferSecs = 0;
    int m_nBufferFrames = 0;
    int m_nTrackedFrames = 0;
    int m_bTracking = 0;
    int m_bCorrecting = 0;
    unsigned m_nTrackBlinkTime = 0;
    short m_nTrackBlink = 0;
    unsigned m_nCorrectBlinkTime = 0;
    short m_nCorrectBlink = 0;
    int m_nCorrectPosition = 0;

    // CentsToPeriod of whole cents across the edit range, for the rate it
    // was made at: the target fill meets mostly whole cents.
    std::vector<float> m_PeriodCache;
    float m_fPeriodCacheRate = 0.0f;

    // The mask curves are drawn into before they reach the screen, so that
    // every pixel of a curve flips once however its segments meet.
    CDC m_MaskDC;
    CBitmap m_MaskBitmap;
    HGDIOBJ m_hOldMaskBitmap = nullptr;

    friend class CEnvelopeGraphView;
};
