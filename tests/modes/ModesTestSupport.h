#pragma once
// The controller set up as the filter sets it up before streaming, audio
// through its engine in the filter's blocks, and a clock the pass status
// reads.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

class CTestDsp : public CDspObject
{
public:
    explicit CTestDsp(float fs = 44100.0f)
    {
        Initialise();
        SetSampleRate(fs);
        ResetEngine();
    }

    std::vector<float> Run(const std::vector<float>& in, size_t block = 512)
    {
        std::vector<float> out(in.size());
        for (size_t i = 0; i < in.size(); i += block)
            m_Engine.Process(&in[i], &out[i], static_cast<int>(std::min(block, in.size() - i)));
        return out;
    }

    unsigned clockMs = 100000;

protected:
    unsigned StatusClockMs() const override { return clockMs; }
};
