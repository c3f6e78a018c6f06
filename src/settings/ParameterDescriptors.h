#pragma once
// Names of every parameter and the slider geometry the control panel derives
// from the ranges. Indexed by parameter ID; record 0 is empty.

#include <atomic>
#include <cstdint>

class CParameterStore;

struct ParameterDescriptor
{
    char szShortName[16];
    char szLongName[32];
    // Filled once by the control panel from GetParameterRange. Several panels
    // (one per plug-in instance) may do it at the same time with identical
    // values, hence atomics.
    std::atomic<int32_t> nSecondEnd{0};
    std::atomic<int32_t> nSpan{0};       // second end - first end
    std::atomic<int32_t> nFirstEnd{0};
    std::atomic<int32_t> nDefault{0};
    std::atomic<int32_t> nPositions{0};  // span + 1
};

inline constexpr int kParameterDescriptorCount = 35;

extern ParameterDescriptor g_ParameterDescriptors[kParameterDescriptorCount];

// Null outside 0..34.
const ParameterDescriptor* GetParameterDescriptor(int id);

// Fills the range fields of every parameter that has a range.
void FillParameterDescriptorRanges(CParameterStore& store);
