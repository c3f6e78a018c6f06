#pragma once
// What correction curves are made of. A curve list is one block of the
// block table holding nodes in increasing time; LINE and FREEHAND segments
// join a node to the next, and a node whose segment is END closes a curve
// (the last node of a list always does). A freehand run belongs to the node
// it starts from: sub-point k (1..count) lies at time + k * step with the
// pitch node.pitch + offsets[k - 1], and the last one is the next node.
//
// Times are frame indices (200 samples each), pitches integer cents
// relative to middle C.

#include <cstdint>

inline constexpr int32_t SEGMENT_LINE = 1;
inline constexpr int32_t SEGMENT_FREEHAND = 3;
inline constexpr int32_t SEGMENT_END = 4;

// The pitch range interactive edits keep to (about 41 Hz to 2093 Hz).
inline constexpr int kLowestCents = -3200;
inline constexpr int kHighestCents = 3600;

// The fMaxPeriod slot of a frame without pitch, once tracking has ended.
inline constexpr int32_t kUnvoicedMark = 30000;

struct FreehandData
{
    int32_t step;   // frames between sub-points
    int32_t count;  // sub-points, at least 1
    // count offsets follow the header in the same block.
    int32_t* Offsets() { return reinterpret_cast<int32_t*>(this + 1); }
    const int32_t* Offsets() const { return reinterpret_cast<const int32_t*>(this + 1); }

    static constexpr int BytesFor(int count) { return 8 + 4 * count; }
};
static_assert(sizeof(FreehandData) == 8, "the offsets follow the two header words directly");

struct CurveNode
{
    int32_t time;
    int32_t pitch;
    int32_t selected;  // 0 or 1
    int32_t segment;   // SEGMENT_LINE, SEGMENT_FREEHAND or SEGMENT_END
    FreehandData* freehand;  // owned while segment is SEGMENT_FREEHAND, else null
};

// The nodes of a curve list, from its block size (0 for null).
int NodeCount(const CurveNode* list);
// A new freehand block of count offsets (null when none can be had).
FreehandData* AllocFreehand(int step, int count);
