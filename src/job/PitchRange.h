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
    // The correlation of each listed lag, added up exactly as the analysis
    // defines it, into m_Corr (lags already known are skipped).
    void ComputeExactly(const size_t* pLags, size_t nCount, size_t nSpan, double dEarlierEnergy);
    void BoundLags(size_t nFrom, size_t nTo, size_t nSpan, double dEarlierEnergy, double dEnergy);
    void CountVoiced(double dHz);

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
    std::vector<double> m_Prefix;    // running sums of the squares
    std::vector<double> m_Products;  // per lag: the frame against itself that lag later
    std::vector<double> m_LagEnergy; // per lag: the energy of the later part
    std::vector<float> m_Estimate;   // per lag: that product, summed in float
    std::vector<double> m_Near;      // per lag: the correlation, estimated
    std::vector<double> m_Margin;    // per lag: how far off the estimate can be
    std::vector<double> m_Corr;      // per lag: the normalised correlation
    std::vector<char> m_Known;       // per lag: m_Corr holds it this frame
    std::vector<size_t> m_Pending;   // lags to work out exactly
};

} // namespace job
