#include "graph/GraphHost.h"

#include <algorithm>

#include "graph/GraphIds.h"
#include "platform/ui/Controls.h"
#include "settings/ParameterStore.h"

namespace {

constexpr char kHostClass[] = "IntonaraGraphHost";
constexpr char kItemClass[] = "IntonaraGraphHostItem";
constexpr int kMargin = 5;
constexpr int kBar = 15;
constexpr int kEnvTieCheckBox = 1081;

// The panel's controls the views fetch, with the texts they start with.
struct HostItem
{
    int nId;
    const char* pClass;
    DWORD nStyle;
    const char* pText;
};
constexpr DWORD kSwitch = BS_AUTOCHECKBOX | BS_PUSHLIKE;
constexpr HostItem kItems[] = {
    {graph::kUndoButton, WC_BUTTONA, BS_PUSHBUTTON, "undo"},
    {graph::kCutButton, WC_BUTTONA, BS_PUSHBUTTON, "cut"},
    {graph::kCopyButton, WC_BUTTONA, BS_PUSHBUTTON, "copy"},
    {graph::kPasteButton, WC_BUTTONA, BS_PUSHBUTTON, "paste"},
    {graph::kSelectAllButton, WC_BUTTONA, BS_PUSHBUTTON, "select all"},
    {graph::kMakeCurveButton, WC_BUTTONA, BS_PUSHBUTTON, "make curve"},
    {graph::kMakeAutoButton, WC_BUTTONA, BS_PUSHBUTTON, "make auto"},
    {graph::kEnvAllCheckBox, WC_BUTTONA, kSwitch, "All"},
    {kEnvTieCheckBox, WC_BUTTONA, kSwitch, "Tie"},
    {graph::kTrackPitchButton, WC_BUTTONA, kSwitch, "&Track Pitch"},
    {graph::kCorrectPitchButton, WC_BUTTONA, kSwitch, "&Correct Pitch"},
    {graph::kBufferSecondsField, kItemClass, 0, ""},
    {graph::kNoteReadout, kItemClass, 0, ""},
    {graph::kDeviationReadout, kItemClass, 0, ""},
};

} // namespace

LRESULT CGraphHostWindow::HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* host = reinterpret_cast<CGraphHostWindow*>(::GetWindowLongPtrA(hwnd, GWL_USERDATA));
    if (host != nullptr && host->m_pMain && (message == WM_HSCROLL || message == WM_VSCROLL) && lParam != 0) {
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        host->m_pMain->HandleScrollRequest(id, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

CGraphHostWindow::CGraphHostWindow(int mainWidth, int mainHeight, bool visible)
{
    WNDCLASSA wc{};
    if (!::GetClassInfoA(nullptr, kHostClass, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = &CGraphHostWindow::HostProc;
        wc.lpszClassName = kHostClass;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        ::RegisterClassA(&wc);
    }
    if (!::GetClassInfoA(nullptr, kItemClass, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.lpszClassName = kItemClass;
        ::RegisterClassA(&wc);
    }

    const int envHeight = std::max(20, (mainHeight * 66 + 115) / 230);
    // The views are bordered: their outer size is the client size plus 2.
    const int outerW = mainWidth + 2;
    const int outerH = mainHeight + 2;
    const int width = kMargin + outerW + kBar + kMargin;
    const int height = kMargin + outerH + kBar + envHeight + 2 + kMargin;
    m_hWnd = ::CreateWindowExA(0, kHostClass, "Intonara graph", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, width,
                               height, nullptr, nullptr, nullptr, nullptr);
    ::SetWindowLongPtrA(m_hWnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The editing buttons and switches are there to be enabled, checked and
    // relabelled; nobody needs to see them.
    for (const HostItem& item : kItems)
        ::CreateWindowExA(0, item.pClass, item.pText, WS_CHILD | item.nStyle, 0, 0, 60, 20, m_hWnd,
                          ControlId(item.nId), nullptr, nullptr);
    ::CreateWindowExA(0, WC_SCROLLBARA, "", WS_CHILD | WS_VISIBLE | SBS_HORZ, kMargin, kMargin + outerH, outerW, kBar,
                      m_hWnd, ControlId(graph::kHorizontalScrollBarId), nullptr, nullptr);
    ::CreateWindowExA(0, WC_SCROLLBARA, "", WS_CHILD | WS_VISIBLE | SBS_VERT, kMargin + outerW, kMargin, kBar, outerH,
                      m_hWnd, ControlId(graph::kVerticalScrollBarId), nullptr, nullptr);

    m_pMain = std::make_unique<CMainGraphView>(this, m_hWnd);
    m_pEnvelope = std::make_unique<CEnvelopeGraphView>(this, m_hWnd);
    m_pMain->CreateView(CRect(kMargin, kMargin, kMargin + outerW, kMargin + outerH), graph::kMainGraphViewId);
    const int envTop = kMargin + outerH + kBar;
    m_pEnvelope->CreateView(CRect(kMargin, envTop, kMargin + outerW, envTop + envHeight + 2), graph::kEnvelopeViewId);
    m_pMain->SetEnvelopeView(m_pEnvelope.get());
    m_pEnvelope->SetMainView(m_pMain.get());
}

CGraphHostWindow::~CGraphHostWindow()
{
    Detach();
    if (::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CGraphHostWindow::Attach(CParameterStore* pStore)
{
    m_pStore = pStore;
    const float frameRate = pStore->GetSampleRate() / 200.0f;
    m_pMain->SetFrameRate(frameRate);
    m_pEnvelope->SetFrameRate(frameRate);
    pStore->AttachDialog(this);
    m_pMain->Initialize(graph::kHorizontalScrollBarId, graph::kVerticalScrollBarId);
    m_pEnvelope->Initialize(graph::kHorizontalScrollBarId, graph::kVerticalScrollBarId);
    m_pMain->ResetGraph();
}

void CGraphHostWindow::Detach()
{
    if (m_pStore != nullptr)
        m_pStore->AttachDialog(nullptr);
    m_pStore = nullptr;
}

void CGraphHostWindow::EnableControl(int controlId, bool enable)
{
    if (HWND control = Control(controlId))
        ::EnableWindow(control, enable ? TRUE : FALSE);
}

bool CGraphHostWindow::IsPointerOverGraph()
{
    return m_pMain->ContainsPointer() || m_pEnvelope->ContainsPointer();
}

void CGraphHostWindow::CheckControl(int controlId, bool checked)
{
    ::SendMessageA(Control(controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CGraphHostWindow::IsControlChecked(int controlId)
{
    return ::SendMessageA(Control(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
