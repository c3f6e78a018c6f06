#pragma once

#include <atomic>
#include <type_traits>

// One frame (200 input samples) of a graphical-mode pass. The array is shared
// between the streaming thread (which writes it while tracking and reads the
// target while correcting) and the graph, so the layout is fixed: five 32-bit
// floats, 20 bytes apart. After a tracking pass the controller reuses the two
// period slots to hold integer cents; the engine never reads them again then.
struct TrackRecord
{
    float fMinSample;
    float fMaxSample;
    float fMinPeriod;    // 3000.0 until the frame has seen a valid period
    float fMaxPeriod;    // -1.0 until the frame has seen a valid period
    float fTargetPeriod; // written by the graph; 0.0 leaves the frame alone
};

static_assert(sizeof(TrackRecord) == 20, "track records are exchanged as 20-byte rows");
static_assert(std::is_standard_layout_v<TrackRecord> && std::is_trivially_copyable_v<TrackRecord>);
// The engine touches each field through std::atomic_ref<float>; that needs
// no more alignment than a plain float has inside the record.
static_assert(std::atomic_ref<float>::required_alignment <= alignof(float));
