#pragma once

// The module's application object and the fonts the control panel draws its
// brand panel with. The object is constructed when the module is loaded;
// the module's start-up runs InitInstance once (which fills the bitmap set
// and creates the fonts) and its shutdown ExitInstance, so everything the
// panel draws with exists once and is shared by every panel.

#include "platform/ui/AfxWin.h"

// The shell's globals are constructed ahead of every initialiser without a
// priority, so the module's start-up finds them made.
inline constexpr int kShellInitPriority = 200;

class CIntonaraApp : public CWinApp {
public:
    CIntonaraApp();

    // COM for the loading thread, the bitmap set, the three fonts, and the
    // module as the filter base classes' module and the framework's
    // resource handle when nobody has set one yet.
    BOOL InitInstance() override;
    // Deletes the fonts.
    int ExitInstance() override;
    BOOL OnIdle(LONG count) override;
};

extern CIntonaraApp theApp;

// "Times New Roman" at weight 500 with cell heights 14, 16 and 28.
extern CFont g_fontSmall;
extern CFont g_fontMedium;
extern CFont g_fontLarge;
