#include "voice/VoiceParts.h"

#include <cmath>
#include <numbers>

namespace voice::detail {

namespace {

uint64_t SplitMix64(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

CRandom::CRandom(uint64_t seed) : m_nState(SplitMix64(seed))
{
    // xorshift never leaves the all-zero state.
    if (m_nState == 0)
        m_nState = 0x9E3779B97F4A7C15ull;
}

uint64_t CRandom::NextBits()
{
    m_nState ^= m_nState >> 12;
    m_nState ^= m_nState << 25;
    m_nState ^= m_nState >> 27;
    return m_nState * 0x2545F4914F6CDD1Dull;
}

double CRandom::Uniform()
{
    // The top 53 bits fill a double's mantissa exactly.
    const double unit = static_cast<double>(NextBits() >> 11) * 0x1.0p-53;
    return 2.0 * unit - 1.0;
}

uint64_t StreamSeed(uint32_t seed, Stream stream)
{
    return (static_cast<uint64_t>(seed) << 8) | static_cast<uint64_t>(stream);
}

CSlowWobble::CSlowWobble(uint64_t seed, double knotSeconds, double sampleRate)
    : m_Random(seed), m_dStep(1.0 / (knotSeconds * sampleRate)), m_dPosition(0.0)
{
    m_dFrom = m_Random.Uniform();
    m_dTo = m_Random.Uniform();
}

double CSlowWobble::Next()
{
    const double blend = 0.5 - 0.5 * std::cos(std::numbers::pi * m_dPosition);
    const double value = m_dFrom + (m_dTo - m_dFrom) * blend;
    m_dPosition += m_dStep;
    if (m_dPosition >= 1.0) {
        m_dPosition -= 1.0;
        m_dFrom = m_dTo;
        m_dTo = m_Random.Uniform();
    }
    return value;
}

}  // namespace voice::detail
