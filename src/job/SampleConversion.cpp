#include "job/SampleConversion.h"

namespace job {

void ConvertPcm16ToFloat(const int16_t* pIn, float* pOut, std::size_t nCount)
{
    for (std::size_t i = 0; i < nCount; ++i)
        pOut[i] = Pcm16ToFloat(pIn[i]);
}

void ConvertFloatToPcm16(const float* pIn, int16_t* pOut, std::size_t nCount)
{
    for (std::size_t i = 0; i < nCount; ++i)
        pOut[i] = FloatToPcm16(pIn[i]);
}

} // namespace job
