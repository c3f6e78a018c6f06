#pragma once
// The two graph views in a window of their own, holding the panel's
// controls the views talk to (editing buttons, Track/Correct switches,
// readouts, the buffer field, the envelope switches and the main view's
// scroll bars) at the panel's IDs and answering for the panel. The command
// line runs graphical mode in it on the headless display; tests drive it.

#include <memory>

#include "graph/EnvelopeGraphView.h"
#include "graph/MainGraphView.h"

class CParameterStore;

class CGraphHostWindow : public IIntonaraDialog
{
public:
    // A top-level window whose client holds the views at the panel's
    // rectangles, scaled to a main view of mainWidth x mainHeight pixels
    // (the panel's 380 x 230 by default). Hidden windows draw nothing.
    CGraphHostWindow(int mainWidth = 380, int mainHeight = 230, bool visible = true);
    ~CGraphHostWindow() override;
    CGraphHostWindow(const CGraphHostWindow&) = delete;
    CGraphHostWindow& operator=(const CGraphHostWindow&) = delete;

    // Links the views with the controller as the panel does: frame rate,
    // the store's AttachDialog, Initialize, ResetGraph. Detach before the
    // store goes.
    void Attach(CParameterStore* pStore);
    void Detach();

    HWND Window() const { return m_hWnd; }
    HWND Control(int id) const { return ::GetDlgItem(m_hWnd, id); }
    CMainGraphView& Main() { return *m_pMain; }
    CEnvelopeGraphView& Envelope() { return *m_pEnvelope; }
    void SetTool(int tool) { m_nTool = tool; }

    // IIntonaraDialog
    IMainGraphView* GetMainGraphView() override { return m_pMain.get(); }
    IEnvelopeView* GetEnvelopeView() override { return m_pEnvelope.get(); }
    void SetChangeMeter(int /*cents*/) override {}
    void EnableControl(int controlId, bool enable) override;
    bool IsVisible() override { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsPointerOverGraph() override;
    int GetTool() override { return m_nTool; }
    bool IsActive() override { return true; }
    void SetCursor(CursorHandle cursor) override { ::SetCursor(static_cast<HCURSOR>(cursor)); }
    void CheckControl(int controlId, bool checked) override;
    bool IsControlChecked(int controlId) override;
    void SetTrackPitchState(int on) override { m_bTrackPitch = on; }
    void SetCorrectPitchState(int on) override { m_bCorrectPitch = on; }
    int TrackPitchState() const { return m_bTrackPitch; }
    int CorrectPitchState() const { return m_bCorrectPitch; }

private:
    static LRESULT HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::unique_ptr<CMainGraphView> m_pMain;
    std::unique_ptr<CEnvelopeGraphView> m_pEnvelope;
    CParameterStore* m_pStore = nullptr;
    int m_nTool = -1;
    int m_bTrackPitch = 0;
    int m_bCorrectPitch = 0;
};
