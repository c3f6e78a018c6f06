#include "settings/ParameterDescriptors.h"

#include "settings/ParameterStore.h"

ParameterDescriptor g_ParameterDescriptors[kParameterDescriptorCount] = {
    {"", ""},
    {"Mode", "Mode"},
    {"Scale", "Scale"},
    {"Key", "Key"},
    {"Detune", "Scale Detune"},
    {"Retune", "Retune Speed"},
    {"Vibrato", "Vibrato Type"},
    {"Depth", "Vibrato Depth"},
    {"Rate", "Vibrato Rate"},
    {"Delay", "Vibrato Delay"},
    {"Threshold", "Threshold"},
    {"Edit Scale", "Edit Scale"},
    {"Track", "Track High"},
    {"L Scale Graph", "L Scale Graphical"},
    {"U Scale Graph", "U Scale Graph"},
    {"D Scale Graph", "D Scale Graph"},
    {"R Scale Graph", "R Scale Graph"},
    {"Graph", "Graph"},
    {"Make Curve", "Make Curve"},
    {"AutoCurve", "AutoCurve"},
    {"Cut", "Cut"},
    {"Copy", "Copy"},
    {"Paste", "Paste"},
    {"Undo", "Undo"},
    {"Select All", "Select All"},
    {"L Scale Env", "L Scale Envelope"},
    {"U Scale Env", "U Scale Envelope"},
    {"D Scale Env", "D Scale Envelope"},
    {"R Scale Env", "R Scale Envelope"},
    {"Track Pitch", "Track Pitch"},
    {"Correct Pitch", "Correct Pitch"},
    {"Graph Threshold", "Graph Threshold"},
    {"Graph Retune", "Graphical Retune Speed"},
    {"Buffer Size", "Buffer Size"},
    {"Use Cursors", "Use Cursors"},
};

const ParameterDescriptor* GetParameterDescriptor(int id)
{
    if (id < 0 || id >= kParameterDescriptorCount)
        return nullptr;
    return &g_ParameterDescriptors[id];
}

void FillParameterDescriptorRanges(CParameterStore& store)
{
    for (int id = kFirstParameterId; id <= kLastParameterId; ++id) {
        // A sentinel no range uses tells "has a range" from "writes nothing".
        int first = INT32_MIN, second = 0, def = 0;
        store.GetParameterRange(id, &first, &second, &def);
        if (first == INT32_MIN)
            continue;
        ParameterDescriptor& d = g_ParameterDescriptors[id];
        d.nSecondEnd.store(second, std::memory_order_relaxed);
        d.nSpan.store(second - first, std::memory_order_relaxed);
        d.nFirstEnd.store(first, std::memory_order_relaxed);
        d.nDefault.store(def, std::memory_order_relaxed);
        d.nPositions.store(second - first + 1, std::memory_order_relaxed);
    }
}
