#pragma once
// Which voices the filter can correct at a sample rate. Its detector finds
// periods up to about 860 samples, so the lowest pitch it follows rises
// with the rate: about 51 Hz at 44.1 kHz, 112 Hz at 96 kHz, 225 Hz at
// 192 kHz. A voice below that passes through unchanged.

#include <cstdint>
#include <string>
#include <vector>

namespace job {

// The lowest pitch corrected at a rate, in hertz.
double LowestCorrectedHz(int sampleRate);

// Watches the input as it is read and tells, at the end, whether most of
// its voiced stretches lie below that pitch.
class CLowPitchCheck
{
public:
    explicit CLowPitchCheck(int sampleRate);

    void Add(const float* pMono, int nFrames);
    void Add(const int16_t* pMono, int nFrames);
    // Empty, or the one-line warning for the user.
    std::string Warning() const;

private:
    template <class Sample>
    void AddSamples(const Sample* pMono, int nFrames);
    void AnalyseFrame();

    const int m_nRate;
    const int m_nDecimation;  // input samples per analysed sample
    float m_fSum = 0.0f;
    int m_nSummed = 0;
    std::vector<float> m_Frame;
    size_t m_nFilled = 0;
    int m_nVoiced = 0;
    int m_nBelow = 0;
    // Working space of the analysis, kept between frames.
    std::vector<double> m_Samples;   // the frame in double
    std::vector<double> m_Squares;   // and each sample squared
    std::vector<double> m_Products;  // per lag: the frame against itself that lag later
    std::vector<double> m_LagEnergy; // per lag: the energy of the later part
    std::vector<double> m_Corr;      // per lag: the normalised correlation
};

} // namespace job
