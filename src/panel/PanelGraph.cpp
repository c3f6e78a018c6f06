// The graph area of graphical mode: the main view's scroll bars, and the
// views' part of the editing commands.

#include "panel/IntonaraDialog.h"

void CIntonaraDialog::ShowGraphViews(bool show)
{
    const int command = show ? SW_SHOW : SW_HIDE;
    for (CWnd* view : {m_pMainGraphWnd, m_pEnvelopeWnd}) {
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
    m_pMainGraphView = nullptr;
    m_pEnvelopeView = nullptr;
    m_pMainGraphWnd = nullptr;
    m_pEnvelopeWnd = nullptr;
}

void CIntonaraDialog::RunViewCommand(int /*parameterId*/)
{
}

void CIntonaraDialog::ScrollView(bool /*horizontal*/, UINT /*code*/, UINT /*pos*/, CScrollBar* /*bar*/)
{
}
