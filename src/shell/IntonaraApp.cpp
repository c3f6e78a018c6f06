#include "shell/IntonaraApp.h"

#include "platform/com/Com.h"
#include "platform/media/BaseModule.h"
#include "shell/BitmapSet.h"

// The module's load hook runs the start-up from the module's own
// initialisers, whose order against these is not otherwise fixed: these are
// made first.
CIntonaraApp theApp __attribute__((init_priority(kShellInitPriority)));

CFont g_fontSmall __attribute__((init_priority(kShellInitPriority)));
CFont g_fontMedium __attribute__((init_priority(kShellInitPriority)));
CFont g_fontLarge __attribute__((init_priority(kShellInitPriority)));

namespace {

void CreateSharedFont(CFont& font, int height, BYTE outputPrecision)
{
    font.DeleteObject();
    font.CreateFont(height, 0, 0, 0, FW_MEDIUM, FALSE, FALSE, FALSE, ANSI_CHARSET, outputPrecision,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH, "Times New Roman");
}

}  // namespace

CIntonaraApp::CIntonaraApp() : CWinApp(nullptr) {}

BOOL CIntonaraApp::InitInstance()
{
    CoInitialize(nullptr);
    g_Bitmaps.Load(AfxGetInstanceHandle());
    CreateSharedFont(g_fontSmall, 14, OUT_DEVICE_PRECIS);
    CreateSharedFont(g_fontMedium, 16, OUT_DEVICE_PRECIS);
    CreateSharedFont(g_fontLarge, 28, OUT_DEFAULT_PRECIS);
    if (g_hInst.load() == nullptr) {
        g_hInst.store(AfxGetInstanceHandle());
        AfxSetResourceHandle(AfxGetInstanceHandle());
    }
    return CWinApp::InitInstance();
}

int CIntonaraApp::ExitInstance()
{
    g_fontSmall.DeleteObject();
    g_fontMedium.DeleteObject();
    g_fontLarge.DeleteObject();
    return CWinApp::ExitInstance();
}

BOOL CIntonaraApp::OnIdle(LONG count)
{
    return CWinApp::OnIdle(count);
}
