#include "platform/media/BaseModule.h"

std::atomic<HINSTANCE> g_hInst{nullptr};
