// The application object, its message loop and idle time, and module state.

#include "platform/com/Module.h"
#include "platform/ui/AfxWin.h"

namespace {

thread_local AFX_MODULE_STATE* t_pModuleState = nullptr;

}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    // Each module that links the platform library has its own copy of this
    // function and so its own state.
    static AFX_MODULE_STATE state = [] {
        AFX_MODULE_STATE s;
        s.m_hCurrentInstanceHandle =
            GetModuleHandleFromAddress(reinterpret_cast<const void*>(&AfxGetStaticModuleState));
        s.m_hCurrentResourceHandle = s.m_hCurrentInstanceHandle;
        return s;
    }();
    return &state;
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    return t_pModuleState != nullptr ? t_pModuleState : AfxGetStaticModuleState();
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_pPrevious(t_pModuleState)
{
    t_pModuleState = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
    t_pModuleState = m_pPrevious;
}

CWinApp* AfxGetApp()
{
    return AfxGetModuleState()->m_pCurrentWinApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AfxSetResourceHandle(HINSTANCE instance)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = instance;
}

CWnd* AfxGetMainWnd()
{
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

const char* AfxGetAppName()
{
    return AfxGetModuleState()->m_lpszCurrentAppName;
}

// ---------------------------------------------------------------------------

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pCurrentWinApp = this;
    state->m_lpszCurrentAppName = appName;
    m_hInstance = state->m_hCurrentInstanceHandle;
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pCurrentWinApp == this) {
        state->m_pCurrentWinApp = nullptr;
    }
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinApp::OnIdle(LONG count)
{
    if (count >= 1) {
        // Temporary wrappers made while handling messages go now.
        CWnd::DeleteTempMap();
        CDC::DeleteTempMap();
        CGdiObject::DeleteTempMap();
    }
    return count < 1 ? TRUE : FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    return AfxPreTranslateMessage(msg);
}

BOOL CWinApp::PumpMessage()
{
    if (!::GetMessageA(&m_msgCur, nullptr, 0, 0)) {
        return FALSE;
    }
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

int CWinApp::Run()
{
    for (;;) {
        LONG idle = 0;
        MSG peek{};
        while (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idle++)) {
        }
        do {
            if (!PumpMessage()) {
                return ExitInstance();
            }
        } while (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

int AfxWinMain()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return -1;
    }
    if (!app->InitApplication() || !app->InitInstance()) {
        return app->ExitInstance();
    }
    return app->Run();
}
