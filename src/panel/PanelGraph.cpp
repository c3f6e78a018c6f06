// The graph area of graphical mode: the two views with the main view's
// scroll bars, and the views' part of the editing commands.

#include "panel/IntonaraDialog.h"

#include "graph/GraphIds.h"
#include "settings/ParameterStore.h"

namespace {

// Frames of 200 samples per second.
constexpr float kSamplesPerFrame = 200.0f;
constexpr int kBar = 15;

// The context menu's commands (graph numbering) and the parameter of the
// panel button that does the same.
constexpr int kCommandParameters[] = {24, 21, 20, 22, 23, 18, 19};

}  // namespace

void CIntonaraDialog::CreateGraphArea()
{
    // The bars run along the main view's bottom and right edges, inside its
    // rectangle; the view takes the rest.
    const RECT& main = panel::kMainViewRect;
    m_horzBar.Create(SBS_HORZ | WS_CHILD, CRect(main.left, main.bottom - kBar, main.right - kBar, main.bottom), this,
                     panel::kHorzBarId);
    m_vertBar.Create(SBS_VERT | WS_CHILD, CRect(main.right - kBar, main.top, main.right, main.bottom - kBar), this,
                     panel::kVertBarId);
    m_pMainGraphView = std::make_unique<CMainGraphView>(this, m_hWnd);
    m_pEnvelopeView = std::make_unique<CEnvelopeGraphView>(this, m_hWnd);
    m_pMainGraphView->CreateView(CRect(main.left, main.top, main.right - kBar, main.bottom - kBar),
                                 panel::kMainViewId);
    m_pEnvelopeView->CreateView(CRect(panel::kEnvelopeViewRect), panel::kEnvelopeViewId);
    m_pMainGraphView->SetEnvelopeView(m_pEnvelopeView.get());
    m_pEnvelopeView->SetMainView(m_pMainGraphView.get());
    const float frameRate = m_pStore->GetSampleRate() / kSamplesPerFrame;
    m_pMainGraphView->SetFrameRate(frameRate);
    m_pEnvelopeView->SetFrameRate(frameRate);
}

void CIntonaraDialog::StartGraphViews()
{
    m_pMainGraphView->Initialize(panel::kHorzBarId, panel::kVertBarId);
    m_pEnvelopeView->Initialize(panel::kHorzBarId, panel::kVertBarId);
    m_pMainGraphView->ResetGraph();
    // The view starts its field at 0; the panel shows the length it holds.
    int held = 0;
    m_pStore->GetParameter(33, &held);
    ShowBufferSeconds(held + 1);
}

void CIntonaraDialog::ShowGraphViews(bool show)
{
    const int command = show ? SW_SHOW : SW_HIDE;
    for (CWnd* view : {static_cast<CWnd*>(m_pMainGraphView.get()), static_cast<CWnd*>(m_pEnvelopeView.get())}) {
        if (view != nullptr && view->m_hWnd != nullptr) {
            view->ShowWindow(command);
        }
    }
    for (CScrollBar* bar : {&m_horzBar, &m_vertBar}) {
        if (bar->m_hWnd != nullptr) {
            bar->ShowWindow(command);
        }
    }
}

void CIntonaraDialog::DestroyGraphViews()
{
    if (m_pMainGraphView != nullptr) {
        m_pMainGraphView->DestroyWindow();
    }
    if (m_pEnvelopeView != nullptr) {
        m_pEnvelopeView->DestroyWindow();
    }
    m_pEnvelopeView.reset();
    m_pMainGraphView.reset();
}

void CIntonaraDialog::RunViewCommand(int parameterId)
{
    CMainGraphView* view = m_pMainGraphView.get();
    if (view == nullptr) {
        return;
    }
    switch (parameterId) {
    case 23: view->Undo(); break;
    case 20: view->Cut(); break;
    case 21: view->Copy(); break;
    case 22: view->Paste(); break;
    case 24: view->SelectAll(); break;
    case 18: view->MakeCurveFromTrack(); break;
    case 19: view->MakeAutoCurve(); break;
    default: break;
    }
}

bool CIntonaraDialog::RunGraphCommand(int command)
{
    if (command < 0 || command >= static_cast<int>(std::size(kCommandParameters))) {
        return false;
    }
    const int parameter = kCommandParameters[command];
    m_pStore->SetParameter(parameter, 1);
    RunViewCommand(parameter);
    return true;
}

void CIntonaraDialog::ScrollView(bool horizontal, UINT code, UINT pos, CScrollBar* bar)
{
    const CScrollBar& own = horizontal ? m_horzBar : m_vertBar;
    if (bar == nullptr || bar->m_hWnd != own.m_hWnd || m_pMainGraphView == nullptr) {
        return;
    }
    m_pMainGraphView->HandleScrollRequest(horizontal ? panel::kHorzBarId : panel::kVertBarId, static_cast<int>(code),
                                          static_cast<short>(pos));
}
