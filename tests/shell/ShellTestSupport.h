#pragma once

// What the shell's tests share: the application started once for the whole
// program, as the module's load starts it.

#include "shell/IntonaraApp.h"

#include <gtest/gtest.h>

namespace shelltest {

inline void StartApp()
{
    static const bool started = theApp.InitInstance();
    (void)started;
}

}  // namespace shelltest
