#pragma once

// The set-up most window tests share: a headless screen and the recording
// window class, alive for one test.

#include "support/ui/UiTestSupport.h"

#include <gtest/gtest.h>

namespace uitest {

class CUiTest : public ::testing::Test {
protected:
    CUi ui;
    CRecorder rec;
};

}  // namespace uitest
