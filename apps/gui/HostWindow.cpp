#include "HostWindow.h"

#include "FileDialog.h"

#include "graph/MainGraphView.h"
#include "job/CorrectionJob.h"
#include "job/GraphWorkspace.h"
#include "job/GraphCorrection.h"
#include "job/JobError.h"
#include "job/SoundFormat.h"
#include "modes/DspObject.h"
#include "platform/ui/DropFiles.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The page's own size until it tells us (a page of 322 x 210 dialog units
// in the panel's 6 x 13 base units).
constexpr int kPageWidth = 483;
constexpr int kPageHeight = 341;
constexpr int kBarHeight = 34;
constexpr int kStatusHeight = 22;
constexpr int kMinWidth = 600;
constexpr UINT_PTR kPositionTimer = 1;
// The control identifier of the panel's main graph view.
constexpr int kMainGraphViewId = 2005;
// The panel's "Graphical" mode button.
constexpr int kGraphicalButtonId = 1122;

std::string FormatTime(std::int64_t frames, int rate)
{
    if (rate <= 0) {
        return "0:00.0";
    }
    const std::int64_t tenths = frames * 10 / rate;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

bool FocusIsTextField()
{
    char name[64] = {};
    const HWND focus = GetFocus();
    return focus != nullptr && GetClassNameA(focus, name, sizeof name) > 0 && std::string(name) == "Edit";
}

}  // namespace

BEGIN_MESSAGE_MAP(CHostWindow, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_MESSAGE(CHostWindow::WM_STREAM_ENDED, &CHostWindow::OnStreamEndedMessage)
    ON_MESSAGE(WM_DROPFILES, &CHostWindow::OnDropFiles)
    ON_MESSAGE(CHostWindow::WM_EXPORT_PROGRESS, &CHostWindow::OnExportProgressMessage)
    ON_MESSAGE(CHostWindow::WM_EXPORT_DONE, &CHostWindow::OnExportDoneMessage)
END_MESSAGE_MAP()

CHostWindow::CHostWindow(CComPtr<IBaseFilter> filter, CHostOptions options)
    : m_pFilter(std::move(filter)), m_options(options)
{
    m_pFilter->QueryInterface(IID_IIntonaraControl, m_pControl.ReceiveVoid());
    std::string error;
    m_bPage = m_page.Create(m_pFilter, &error);
    if (!m_bPage) {
        m_strMessage = "No control panel: " + error + ".";
    }
    LOGFONT lf{};
    lf.lfHeight = -((9 * platform::gdi::GetLogicalDpi() + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
    m_font.CreateFontIndirect(&lf);
}

CHostWindow::~CHostWindow()
{
    m_bCancelExport.store(true);
    if (m_export.joinable()) {
        m_export.join();
    }
    m_page.Close();
    m_pPlayback.reset();
}

CRect CHostWindow::PageRect() const
{
    if (m_bPage) {
        return CRect(0, 0, m_page.Size().cx, m_page.Size().cy);
    }
    return CRect(0, 0, kPageWidth, kPageHeight);
}

BOOL CHostWindow::CreateHost(int x, int y)
{
    const CRect page = PageRect();
    RECT frame{0, 0, std::max<int>(page.Width(), kMinWidth), page.Height() + kBarHeight + kStatusHeight};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const LPCSTR cls =
        AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    if (!CreateEx(0, cls, "Intonara", style, x, y, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr)) {
        return FALSE;
    }
    // The page at its own pixel coordinates, in the client area's corner.
    if (m_bPage && !m_page.Activate(m_hWnd)) {
        m_bPage = false;
        Say("The control panel could not be shown.");
    }
    // The first button was drawn before its siblings and the page existed;
    // everything once more, now that the window is complete.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return TRUE;
}

int CHostWindow::OnCreate(LPCREATESTRUCT)
{
    m_pPlayback = std::make_unique<CPlayback>(m_hWnd, WM_STREAM_ENDED);
    CRect client;
    GetClientRect(&client);
    const int top = PageRect().bottom + 5;
    int x = 6;
    const auto button = [&](CButton& b, const char* text, UINT id, int width) {
        b.Create(text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(x, top, x + width, top + 24), this, id);
        b.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), FALSE);
        x += width + 6;
    };
    button(m_btnOpen, "Open...", IDC_OPEN, 70);
    button(m_btnPlay, "Play", IDC_PLAY, 60);
    button(m_btnStop, "Stop", IDC_STOP, 60);
    m_position.Create("0:00.0 / 0:00.0", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_SUNKEN,
                      CRect(x, top + 3, x + 120, top + 21), this, IDC_POSITION);
    m_position.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), FALSE);
    x += 126;
    button(m_btnExport, "Export...", IDC_EXPORT, 76);
    button(m_btnSave, "Save Session...", IDC_SAVE_SESSION, 100);
    button(m_btnFastPass, "Fast Pass", IDC_FAST_PASS, 80);
    const int statusTop = top + kBarHeight - 5;
    m_status.Create("", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_SUNKEN | SS_NOPREFIX | SS_ENDELLIPSIS,
                    CRect(2, statusTop, client.right - 2, statusTop + kStatusHeight - 3), this, IDC_STATUS);
    m_status.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), FALSE);
    SetTimer(kPositionTimer, 100);
    DragAcceptFiles(m_hWnd, TRUE);
    if (m_strMessage.empty()) {
        Say("Open a sound file (Ctrl+O) or drop one here.  F1: keys.");
    } else {
        Say(m_strMessage);
    }
    UpdateTransport();
    return 0;
}

void CHostWindow::OnPaint()
{
    CPaintDC dc(this);
    if (m_bPage) {
        return;
    }
    // Where the control panel goes: an etched frame with its name.
    CRect page = PageRect();
    page.DeflateRect(4, 4);
    dc.DrawEdge(&page, EDGE_ETCHED, BF_RECT);
    CFont* old = dc.SelectObject(&m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText("The plug-in's control panel", -1, &page, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(old);
}

BOOL CHostWindow::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_OPEN: OnOpen(); return TRUE;
    case IDC_PLAY: OnPlayPause(); return TRUE;
    case IDC_STOP: OnStop(); return TRUE;
    case IDC_EXPORT: OnExport(); return TRUE;
    case IDC_SAVE_SESSION: OnSaveSession(); return TRUE;
    case IDC_FAST_PASS: OnFastPass(); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
    }
}

BOOL CHostWindow::TranslateShortcut(const MSG* msg)
{
    if (msg->message != WM_KEYDOWN || m_hWnd == nullptr) {
        return FALSE;
    }
    // Only for keys typed into this window or a window inside it.
    HWND target = msg->hwnd;
    while (target != nullptr && target != m_hWnd) {
        target = ::GetParent(target);
    }
    if (target != m_hWnd || !IsWindowEnabled()) {
        return FALSE;
    }
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    switch (msg->wParam) {
    case VK_SPACE:
        if (ctrl || FocusIsTextField()) {
            return FALSE;
        }
        OnPlayPause();
        return TRUE;
    case VK_HOME:
        if (FocusIsTextField()) {
            return FALSE;
        }
        OnStop();
        return TRUE;
    case VK_F1: OnHelp(); return TRUE;
    case VK_F5: OnFastPass(); return TRUE;
    default: break;
    }
    if (!ctrl) {
        return FALSE;
    }
    switch (msg->wParam) {
    case 'O': OnOpen(); return TRUE;
    case 'S': OnSaveSession(); return TRUE;
    case 'E': OnExport(); return TRUE;
    case 'Q': PostMessage(WM_CLOSE); return TRUE;
    default: return FALSE;
    }
}

// ---------------------------------------------------------------------------
// Files

bool CHostWindow::OpenFile(const std::string& path)
{
    if (OpenSession(path)) {
        return IsGraphical();
    }
    try {
        m_pPlayback->Open(path, m_pFilter, m_options.nBufferMs, m_options.bSilent);
    } catch (const std::exception& e) {
        Say(std::string("Cannot open: ") + e.what());
        UpdateTransport();
        return false;
    }
    m_strFile = path;
    m_sessionValues.clear();
    m_appliedValues.clear();
    Say("Opened " + fs::path(path).filename().string() + ".");
    UpdateTitle();
    UpdateTransport();
    return true;
}

LRESULT CHostWindow::OnDropFiles(WPARAM wParam, LPARAM)
{
    const auto drop = reinterpret_cast<HDROP>(wParam);
    char path[4096] = {};
    // Of several files, the first opens.
    if (DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0) > 0 && DragQueryFileA(drop, 0, path, sizeof path) > 0 &&
        !m_bExporting.load()) {
        OpenFile(path);
    }
    DragFinish(drop);
    return 0;
}

void CHostWindow::OnOpen()
{
    CFileChooser chooser(this, CFileChooser::Purpose::Open, "Open a sound file",
                         m_strFile.empty() ? std::string() : m_strFile);
    if (chooser.DoModal() == IDOK) {
        OpenFile(chooser.Path());
    }
}

// ---------------------------------------------------------------------------
// Transport

void CHostWindow::OnPlayPause()
{
    if (!m_pPlayback->IsOpen()) {
        Say("Open a sound file first.");
        return;
    }
    if (m_pPlayback->State() == State_Running) {
        m_pPlayback->Pause();
        Say("Paused.");
    } else {
        m_pPlayback->Play();
        Say("Playing.");
    }
    UpdateTransport();
}

void CHostWindow::OnStop()
{
    m_pPlayback->Stop();
    UpdateTransport();
}

LRESULT CHostWindow::OnStreamEndedMessage(WPARAM wParam, LPARAM)
{
    const auto hr = static_cast<HRESULT>(wParam);
    // The end of the stream ends the pass as Stop does.
    m_pPlayback->Stop();
    if (FAILED(hr)) {
        char text[80];
        std::snprintf(text, sizeof text, "Playback failed (0x%08X).", static_cast<unsigned>(hr));
        Say(text);
    } else {
        char text[80];
        std::snprintf(text, sizeof text, "Played to the end (%d underruns).", m_pPlayback->Underruns());
        Say(text);
    }
    UpdateTransport();
    return 0;
}

void CHostWindow::OnTimer(UINT_PTR id)
{
    if (id == kPositionTimer) {
        UpdateTransport();
    }
}

void CHostWindow::UpdateTransport()
{
    const bool open = m_pPlayback && m_pPlayback->IsOpen();
    const int rate = open ? m_pPlayback->Info().m_nSampleRate : 0;
    const std::string text = FormatTime(open ? m_pPlayback->PositionFrames() : 0, rate) + " / " +
                             FormatTime(open ? m_pPlayback->LengthFrames() : 0, rate);
    char current[64] = {};
    m_position.GetWindowText(current, sizeof current);
    if (text != current) {
        m_position.SetWindowText(text.c_str());
    }
    const char* play = open && m_pPlayback->State() == State_Running ? "Pause" : "Play";
    char shown[16] = {};
    m_btnPlay.GetWindowText(shown, sizeof shown);
    if (std::string(shown) != play) {
        m_btnPlay.SetWindowText(play);
    }
    m_btnPlay.EnableWindow(open);
    m_btnStop.EnableWindow(open);
    m_btnExport.EnableWindow(!m_strFile.empty() && !m_bExporting.load());
    m_btnSave.EnableWindow(!m_strFile.empty());
    // The fast pass is there only while a pass is armed and not playing.
    int tracking = 0;
    int correcting = 0;
    const bool armed = open && PassArmed(&tracking, &correcting);
    const bool fastPass = armed && m_pPlayback->State() != State_Running;
    if ((m_btnFastPass.IsWindowVisible() != FALSE) != fastPass) {
        m_btnFastPass.ShowWindow(fastPass ? SW_SHOW : SW_HIDE);
    }
}

void CHostWindow::Say(const std::string& message)
{
    m_strMessage = message;
    if (m_options.bPrintStatus) {
        std::printf("%s\n", message.c_str());
        std::fflush(stdout);
    }
    UpdateStatus();
}

void CHostWindow::UpdateStatus()
{
    std::string line;
    if (m_pPlayback && m_pPlayback->IsOpen()) {
        const CAudioFileInfo& info = m_pPlayback->Info();
        line = fs::path(m_strFile).filename().string() + "  |  " + std::to_string(info.m_nSampleRate) + " Hz, " +
               info.m_strEncoding;
        const std::string device = m_pPlayback->DeviceText();
        if (!device.empty()) {
            line += "  |  " + device;
        }
        line += "  |  ";
    }
    line += m_strMessage;
    if (IsWindow(m_status.m_hWnd)) {
        m_status.SetWindowText(line.c_str());
    }
}

LRESULT CHostWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The panel titles the window it sits in by its mode; the file name is
    // added to whatever it says.
    if (message == WM_SETTEXT && !m_bComposingTitle && lParam != 0) {
        m_strModeTitle = reinterpret_cast<const char*>(lParam);
        UpdateTitle();
        return TRUE;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CHostWindow::UpdateTitle()
{
    std::string title = m_strModeTitle;
    if (!m_strFile.empty()) {
        title += " - " + fs::path(m_strFile).filename().string();
    }
    m_bComposingTitle = true;
    SetWindowText(title.c_str());
    m_bComposingTitle = false;
}

void CHostWindow::OnHelp()
{
    MessageBoxA(m_hWnd,
                "Space\tplay or pause\n"
                "Home\tstop and go back to the start\n"
                "Ctrl+O\topen a sound file or a session\n"
                "Ctrl+S\tsave the session\n"
                "Ctrl+E\texport the corrected file\n"
                "Ctrl+Q\tquit\n"
                "F5\tfast pass: the armed Track Pitch or Correct Pitch pass over the\n\twhole file at full speed, without playing it\n"
                "F1\tthis list\n\n"
                "A sound file dropped on the window opens it.",
                "Intonara keys", MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------------------
// Export

std::string CHostWindow::ProposedExportPath() const
{
    const fs::path in(m_strFile);
    return (in.parent_path() / (in.stem().string() + "-corrected" + in.extension().string())).string();
}

void CHostWindow::OnExport()
{
    if (m_strFile.empty()) {
        Say("Open a sound file first.");
        return;
    }
    if (m_bExporting.load()) {
        return;
    }
    CFileChooser chooser(this, CFileChooser::Purpose::Save, "Export the corrected file", ProposedExportPath());
    if (chooser.DoModal() != IDOK) {
        return;
    }
    std::error_code error;
    if (fs::exists(chooser.Path(), error) &&
        MessageBoxA(m_hWnd, (chooser.Path() + " exists. Replace it?").c_str(), "Export",
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (IsGraphical()) {
        StartGraphicalExport(chooser.Path());
    } else {
        StartExport(chooser.Path());
    }
}

void CHostWindow::StartExport(const std::string& outPath)
{
    job::CorrectionRequest request;
    request.sInPath = m_strFile;
    request.sOutPath = outPath;
    // The settings the panel holds now, as a command line would give them.
    SettingsBlock block{};
    if (m_pControl) {
        m_pControl->GetSettings(block.data());
    }
    job::CorrectionSettings& s = request.settings;
    s.nScale = block[SETTING_SCALE];
    s.nKey = block[SETTING_KEY];
    s.nDetune = block[SETTING_DETUNE];
    s.nRetuneIndex = block[SETTING_RETUNE_SPEED];
    s.nVibratoType = block[SETTING_VIBRATO_TYPE];
    s.nVibratoDepth = block[SETTING_VIBRATO_DEPTH];
    s.nVibratoRate = block[SETTING_VIBRATO_RATE];
    s.nVibratoDelay = block[SETTING_VIBRATO_DELAY];
    s.nThreshold = block[SETTING_THRESHOLD];
    CDspObject* pDsp = nullptr;
    if (m_pControl && SUCCEEDED(m_pControl->GetDspObject(&pDsp)) && pDsp != nullptr) {
        int bypass = 0;
        pDsp->GetControlValue(0, &bypass);
        s.bBypass = bypass != 0;
    }
    if (m_options.bPrintStatus) {
        std::printf("export settings: scale=%d key=%d detune=%d retune-index=%d vibrato=%d depth=%d rate=%d "
                    "delay=%d threshold=%d bypass=%d\n",
                    *s.nScale, *s.nKey, *s.nDetune, *s.nRetuneIndex, *s.nVibratoType, *s.nVibratoDepth,
                    *s.nVibratoRate, *s.nVibratoDelay, *s.nThreshold, s.bBypass ? 1 : 0);
        std::fflush(stdout);
    }
    request.pCancel = &m_bCancelExport;
    const HWND hwnd = m_hWnd;
    auto lastPercent = std::make_shared<int>(-1);
    request.progress = [hwnd, lastPercent](double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent != *lastPercent) {
            *lastPercent = percent;
            PostMessageA(hwnd, WM_EXPORT_PROGRESS, static_cast<WPARAM>(percent), 0);
        }
    };
    try {
        request.output = job::ParseOutputRequest(outPath, std::nullopt, std::nullopt);
    } catch (const std::exception& e) {
        Say(std::string("Cannot export: ") + e.what());
        return;
    }
    if (m_export.joinable()) {
        m_export.join();
    }
    m_strExportPath = outPath;
    m_bCancelExport.store(false);
    m_bExporting.store(true);
    Say("Exporting to " + fs::path(outPath).filename().string() + ": 0%");
    UpdateTransport();
    m_export = std::thread([this, request, hwnd] {
        std::string result;
        bool failed = false;
        try {
            const job::CorrectionSummary summary = job::RunGraphCorrection(request, job::GraphOptions{});
            result = job::FormatSummary(summary);
        } catch (const std::exception& e) {
            result = e.what();
            failed = true;
        }
        m_strExportResult = result;
        m_bExportFailed = failed;
        PostMessageA(hwnd, WM_EXPORT_DONE, 0, 0);
    });
}

LRESULT CHostWindow::OnExportProgressMessage(WPARAM wParam, LPARAM)
{
    if (m_bExporting.load()) {
        Say("Exporting to " + fs::path(m_strExportPath).filename().string() + ": " + std::to_string(wParam) + "%");
    }
    return 0;
}

LRESULT CHostWindow::OnExportDoneMessage(WPARAM, LPARAM)
{
    if (m_export.joinable()) {
        m_export.join();
    }
    m_bExporting.store(false);
    Say(m_bExportFailed ? "Export failed: " + m_strExportResult
                        : "Exported " + fs::path(m_strExportPath).filename().string() + ".");
    UpdateTransport();
    return 0;
}

// ---------------------------------------------------------------------------
// Graphical mode: sessions, and the export along the curves

void CHostWindow::ChooseGraphicalMode()
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (const HWND button = ::GetDlgItem(child, kGraphicalButtonId); button != nullptr) {
            ::SendMessageA(button, BM_CLICK, 0, 0);
            return;
        }
    }
}

bool CHostWindow::IsGraphical() const
{
    CDspObject* pDsp = nullptr;
    int mode = 0;
    if (m_pControl && SUCCEEDED(m_pControl->GetDspObject(&pDsp)) && pDsp != nullptr) {
        pDsp->GetParameter(PARAM_MODE, &mode);
    }
    return mode == 1;
}

CMainGraphView* CHostWindow::MainView() const
{
    // A window of the page inside ours.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (const HWND view = ::GetDlgItem(child, kMainGraphViewId); view != nullptr) {
            return dynamic_cast<CMainGraphView*>(CWnd::FromHandlePermanent(view));
        }
    }
    return nullptr;
}

bool CHostWindow::GraphicalSession(job::GraphSession* out)
{
    CDspObject* pDsp = nullptr;
    if (m_strFile.empty() || !m_pControl || FAILED(m_pControl->GetDspObject(&pDsp)) || pDsp == nullptr) {
        return false;
    }
    CMainGraphView* main = MainView();
    if (main == nullptr || main->TrackedFrames() == 0) {
        return false;
    }
    job::GraphSession base;
    std::error_code error;
    base.sSourcePath = fs::absolute(m_strFile, error).lexically_normal().string();
    base.nSourceFrames = m_pPlayback->LengthFrames();
    base.nSampleRate = m_pPlayback->Info().m_nSampleRate;
    base.nSourceBytes = static_cast<std::int64_t>(fs::file_size(m_strFile, error));
    for (int id = 1; id <= job::kSessionParameters; ++id) {
        pDsp->GetParameter(id, &base.Parameter(id));
        const auto at = static_cast<std::size_t>(id - 1);
        if (at < m_appliedValues.size() && base.Parameter(id) == m_appliedValues[at]) {
            base.Parameter(id) = m_sessionValues[at];
        }
    }
    *out = job::CaptureSession(*pDsp, *main, std::move(base));
    return true;
}

bool CHostWindow::HasUnsavedCurves()
{
    job::GraphSession session;
    return GraphicalSession(&session) && session.viewState != m_savedState;
}

void CHostWindow::OnSaveSession()
{
    job::GraphSession session;
    if (!GraphicalSession(&session)) {
        Say("A session holds graphical mode's tracked pitch and curves: choose Graphical and track first.");
        return;
    }
    const fs::path in(m_strFile);
    CFileChooser chooser(this, CFileChooser::Purpose::Save, "Save the session",
                         (in.parent_path() / (in.stem().string() + ".isn")).string());
    if (chooser.DoModal() != IDOK) {
        return;
    }
    try {
        job::WriteSession(session, chooser.Path());
    } catch (const std::exception& e) {
        Say(std::string("Cannot save the session: ") + e.what());
        return;
    }
    m_savedState = session.viewState;
    Say("Saved the session " + fs::path(chooser.Path()).filename().string() + ".");
}

void CHostWindow::StartGraphicalExport(const std::string& outPath)
{
    job::GraphSession session;
    if (!GraphicalSession(&session)) {
        Say("Nothing to correct along: track the passage first (Track Pitch, then Play).");
        return;
    }
    // The session goes to a scratch file and the tool corrects along it,
    // exactly as "intonara graph correct" does from the command line.
    char scratch[] = "/tmp/intonara-export-XXXXXX.isn";
    const int fd = ::mkstemps(scratch, 4);
    if (fd < 0) {
        Say("Cannot export: no scratch file for the session.");
        return;
    }
    ::close(fd);
    try {
        job::WriteSession(session, scratch);
    } catch (const std::exception& e) {
        ::unlink(scratch);
        Say(std::string("Cannot export: ") + e.what());
        return;
    }
    char self[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string tool = (fs::path(std::string(self, n > 0 ? static_cast<std::size_t>(n) : 0)).parent_path() /
                              "intonara").string();
    if (m_export.joinable()) {
        m_export.join();
    }
    m_strExportPath = outPath;
    m_bCancelExport.store(false);
    m_bExporting.store(true);
    Say("Exporting along the curves to " + fs::path(outPath).filename().string() + "...");
    UpdateTransport();
    const HWND hwnd = m_hWnd;
    const std::string in = m_strFile;
    const std::string sessionPath = scratch;
    m_export = std::thread([this, hwnd, tool, in, sessionPath, outPath] {
        int pipeFds[2] = {-1, -1};
        std::string errors;
        int status = -1;
        if (::pipe(pipeFds) == 0) {
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
            std::vector<std::string> args = {tool, "graph", "correct", in, sessionPath, "-o", outPath};
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            pid_t pid = -1;
            const int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            ::close(pipeFds[1]);
            char buffer[512];
            ssize_t got = 0;
            while (spawned == 0 && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
                errors.append(buffer, static_cast<std::size_t>(got));
            }
            ::close(pipeFds[0]);
            if (spawned == 0) {
                ::waitpid(pid, &status, 0);
            } else {
                errors = "cannot run " + tool + ": " + std::strerror(spawned);
            }
        }
        ::unlink(sessionPath.c_str());
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) {
            errors.pop_back();
        }
        m_strExportResult = ok ? std::string() : (errors.empty() ? std::string("the correction failed") : errors);
        m_bExportFailed = !ok;
        PostMessageA(hwnd, WM_EXPORT_DONE, 0, 0);
    });
}

// ---------------------------------------------------------------------------
// Closing

void CHostWindow::OnClose()
{
    if (HasUnsavedCurves()) {
        const int answer = MessageBoxA(m_hWnd, "The curves have not been saved. Save the session before closing?",
                                       "Intonara", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return;
        }
        if (answer == IDYES) {
            OnSaveSession();
            if (HasUnsavedCurves()) {
                return;  // not saved after all
            }
        }
    }
    if (m_bExporting.load()) {
        if (MessageBoxA(m_hWnd, "An export is running. Stop it and quit?", "Intonara", MB_YESNO | MB_ICONQUESTION) !=
            IDYES) {
            return;
        }
        m_bCancelExport.store(true);
        if (m_export.joinable()) {
            m_export.join();
        }
        m_bExporting.store(false);
    }
    m_pPlayback->Close();
    m_page.Close();
    DestroyWindow();
}

void CHostWindow::OnDestroy()
{
    KillTimer(kPositionTimer);
    CWnd::OnDestroy();
    PostQuitMessage(0);
}
