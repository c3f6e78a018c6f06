#pragma once

// The set-up most window tests share: a headless screen and the recording
// window class, alive for one test, and for dialogs an owner window.

#include "support/ui/UiTestSupport.h"

#include <gtest/gtest.h>

namespace uitest {

class CUiTest : public ::testing::Test {
protected:
    CUi ui;
    CRecorder rec;
};

// An owner window for the dialogs and boxes a test opens.
class COwnerTest : public ::testing::Test {
protected:
    CUi m_ui;
    CRecorder m_recorder;
    HWND m_hOwner = m_recorder.Create(20, 20, 600, 500);
};

}  // namespace uitest
