#pragma once
// Helpers shared by the fuzz targets: a reader that turns the fuzzer's bytes
// into values (running dry gives zeros, so every input decodes to something),
// and the check that no output sample is anything but a finite number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

class CFuzzInput
{
public:
    CFuzzInput(const uint8_t* pData, std::size_t nSize) : m_pData(pData), m_nLeft(nSize) {}

    bool Empty() const { return m_nLeft == 0; }
    std::size_t Left() const { return m_nLeft; }

    uint8_t Byte()
    {
        if (m_nLeft == 0)
            return 0;
        --m_nLeft;
        return *m_pData++;
    }

    // Little-endian, whatever is left when fewer bytes remain.
    uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t U32() { return U16() | (static_cast<uint32_t>(U16()) << 16); }
    int32_t I32() { return static_cast<int32_t>(U32()); }

    // Any bit pattern: NaNs, infinities and denormals come straight through.
    float Float()
    {
        const uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const uint8_t* m_pData;
    std::size_t m_nLeft;
};

// A non-finite output sample is the one fault every engine target looks for;
// it aborts so that libFuzzer keeps the input.
inline void RequireFinite(const float* pSamples, int nCount, const char* pWhat)
{
    for (int i = 0; i < nCount; ++i) {
        if (!std::isfinite(pSamples[i])) {
            std::fprintf(stderr, "%s: output sample %d of %d is %g\n", pWhat, i, nCount,
                         static_cast<double>(pSamples[i]));
            std::abort();
        }
    }
}

} // namespace fuzz
