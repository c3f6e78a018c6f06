#pragma once
// The app's one window: the plug-in's property page in the top-left of the
// client area, the transport bar below it, the status line at the bottom.
// It owns the plug-in's filter, the playback graph and the export worker.

#include "PageHost.h"
#include "Playback.h"

#include "host/IIntonaraControl.h"
#include "job/GraphSession.h"
#include "platform/ui/AfxCtrl.h"
#include "platform/ui/AfxGdi.h"
#include "platform/ui/AfxWin.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct CHostOptions {
    int nBufferMs = 0;     // the device buffer; 0: the renderer's choice
    bool bSilent = false;  // no audio device
    bool bPrintStatus = false; // every status message also on standard output
};

class CMainGraphView;

class CHostWindow : public CWnd {
public:
    // Messages the worker threads post.
    static constexpr UINT WM_STREAM_ENDED = WM_APP + 1;
    static constexpr UINT WM_EXPORT_PROGRESS = WM_APP + 2;
    static constexpr UINT WM_EXPORT_DONE = WM_APP + 3;

    // Command identifiers of the transport bar.
    enum : UINT {
        IDC_OPEN = 3001,
        IDC_PLAY,
        IDC_STOP,
        IDC_EXPORT,
        IDC_SAVE_SESSION,
        IDC_FAST_PASS,
        IDC_POSITION,
        IDC_STATUS,
    };

    CHostWindow(CComPtr<IBaseFilter> filter, CHostOptions options);
    ~CHostWindow() override;

    // A framed top-level window at (x, y) of the screen.
    BOOL CreateHost(int x, int y);
    // Opens a sound file (or says in the status line why not).
    bool OpenFile(const std::string& path);
    // The keyboard shortcuts, looked at before any window gets the key;
    // TRUE when the message was one.
    BOOL TranslateShortcut(const MSG* msg);

    std::string StatusText() const { return m_strMessage; }
    // Presses the panel's "Graphical" mode button, as a click would.
    void ChooseGraphicalMode();

protected:
    int OnCreate(LPCREATESTRUCT cs);
    void OnPaint();
    void OnClose();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void PostNcDestroy() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnStreamEndedMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    LRESULT OnExportProgressMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnExportDoneMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void OnOpen();
    void OnPlayPause();
    void OnStop();
    void OnExport();
    void OnSaveSession();
    // Runs the armed graphical pass over the whole file without playing it.
    void OnFastPass();
    // Opens `path` when it is a session (false when it is not one).
    bool OpenSession(const std::string& path);
    // The panel's main graph view, once the panel has made it.
    CMainGraphView* MainView() const;
    // The panel's Track Pitch and Correct Pitch switches as the processor holds them.
    bool PassArmed(int* tracking, int* correcting) const;
    void OnHelp();
    void StartExport(const std::string& outPath);
    void StartGraphicalExport(const std::string& outPath);
    // Graphical mode with a tracked passage: what a session would hold.
    bool GraphicalSession(job::GraphSession* out);
    bool IsGraphical() const;
    // Curves or tracked pitch that no saved session holds.
    bool HasUnsavedCurves();
    void Say(const std::string& message);
    void UpdateTransport();
    void UpdateStatus();
    void UpdateTitle();
    std::string ProposedExportPath() const;
    CRect PageRect() const;

    CComPtr<IBaseFilter> m_pFilter;
    CPageHost m_page;
    bool m_bPage = false;
    // The title the panel gives its window, which the file name follows.
    std::string m_strModeTitle = "Intonara";
    bool m_bComposingTitle = false;
    CComPtr<IIntonaraControl> m_pControl;
    CHostOptions m_options;
    std::unique_ptr<CPlayback> m_pPlayback;
    std::string m_strFile;
    std::string m_strMessage;
    CFont m_font;
    CButton m_btnOpen, m_btnPlay, m_btnStop, m_btnExport, m_btnSave, m_btnFastPass;
    CStatic m_position, m_status;

    // The export worker and what it hands back.
    std::thread m_export;
    std::atomic<bool> m_bExporting{false};
    std::atomic<bool> m_bCancelExport{false};
    std::string m_strExportPath;
    std::string m_strExportResult; // written by the worker before WM_EXPORT_DONE
    bool m_bExportFailed = false;
    // The main view's state as last saved, to know what is unsaved.
    std::vector<std::uint8_t> m_savedState;
    // The settings of the session opened last, and what the processor
    // reported for them once applied: a setting it holds in other units
    // (the retune times) reads back a step away, and the session's own
    // value stands for as long as the processor's has not moved.
    std::vector<int> m_sessionValues;
    std::vector<int> m_appliedValues;
};
