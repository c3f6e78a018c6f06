#pragma once

// The program's own exception types carry no data: each one only tells the
// catching code which way to leave. Types that belong to one class (the
// control panel's list lookup, the main graph view's target fill) are
// declared inside that class.

// Thrown by the sized-block table when it is asked for a block size it cannot
// serve.
class localException {};
