#pragma once

// The shell's fonts and bitmaps, made once for the whole test program as the
// module's start-up makes them.

#include "shell/IntonaraApp.h"

namespace paneltest {

inline void StartShellOnce()
{
    static const bool started = [] {
        theApp.InitInstance();
        return true;
    }();
    (void)started;
}

}  // namespace paneltest
