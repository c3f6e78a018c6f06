#pragma once

// The module the filter base classes serve: where a property page built on
// them finds its dialog template and strings. Null until the module's
// start-up sets it; null also stands for the program itself.

#include "platform/Messages.h"

#include <atomic>

extern std::atomic<HINSTANCE> g_hInst;
