#pragma once
// The envelope view under the main graph: the waveform's outline over the
// tracked passage, on the same time axis as the main view while it is tied
// to it (else fitted to the whole length), and the time-range selection,
// which the zoom-box tool sweeps here and which Make Curve and Make Auto
// work on.

#include "graph/GraphView.h"

class CMainGraphView;

class CEnvelopeGraphView : public CGraphView, public IEnvelopeView
{
public:
    CEnvelopeGraphView(IIntonaraDialog* pDialog, HWND hDialog);
    ~CEnvelopeGraphView() override;

    // --- Overrides of the base's table ---------------------------------------
    void SetController(CParameterStore* pController) override { CGraphView::SetController(pController); }
    void Initialize(int nHorizontalBarId, int nVerticalBarId) override;
    void SetFrameRate(float framesPerSecond) override { CGraphView::SetFrameRate(framesPerSecond); }
    CursorHandle UpdateCursor() override { return CGraphView::UpdateCursor(); }
    HCURSOR ChooseCursor() override;
    int BeginDrag() override;
    int TrackDrag() override;
    void EndDrag() override;
    void PaintGrid(CDC* pDC) override;
    void PaintLabels(CDC* pDC) override;
    void PaintContent(CDC* pDC) override;
    // In place of the time zooms: tie to the main view, untie from it.
    void ZoomTimeIn() override;
    void ZoomTimeOut() override;
    void IdleUpdate() override {}

    // --- Added operations, in table order ------------------------------------
    virtual void SetMainView(CMainGraphView* pMain);
    virtual int SelectBegin();
    virtual int SelectTrack();
    virtual void SelectEnd();
    virtual int AutoScrollMain(CPoint point);
    virtual void SyncTimeAxis();
    virtual void DrawEnvelope(CDC* pDC);
    virtual int RowToAmplitude(int y);
    virtual int AmplitudeToRow(int amplitude);
    void ZoomAmplitudeIn() override;
    void ZoomAmplitudeOut() override;

    // --- The rest of the store's link ----------------------------------------
    void SetTied(int tied) override;
    bool IsLive() override { return ::IsWindow(m_hWnd) != FALSE; }
    bool ContainsPointer() override;

    bool IsTied() const { return m_bTied != 0; }
    int AmplitudePerPixel() const { return m_nAmplitudePerPixel; }

protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()

    const char* ClassName() const override;

private:
    int MaxAmplitudePerPixel() const;

    CMainGraphView* m_pMain = nullptr;
    int m_bTied = 1;
    int16_t m_nAmplitudePerPixel = 1;
    int m_nSelectAnchor = 0;
    CPoint m_ptSelectLast;
    int m_nSelectFrame = 0;

    friend class CMainGraphView;
};
