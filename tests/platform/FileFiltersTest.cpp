// Playing audio files through the graph. Files are made with the file
// library directly, not through the filters.

#include "platform/media/FileFilters.h"
#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

#include "PassThroughFilter.h"
#include "PlatformTestSupport.h"

#include <gtest/gtest.h>
#include <fstream>
#include <sndfile.h>

namespace {

template <class T>
void WriteFile(const std::string& path, int format, int channels, int rate, const std::vector<T>& samples)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* pFile = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(pFile, nullptr) << sf_strerror(nullptr);
    const auto frames = static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
    sf_count_t written = 0;
    if constexpr (std::is_same_v<T, short>) {
        written = sf_writef_short(pFile, samples.data(), frames);
    } else if constexpr (std::is_same_v<T, float>) {
        written = sf_writef_float(pFile, samples.data(), frames);
    } else {
        written = sf_writef_int(pFile, samples.data(), frames);
    }
    ASSERT_EQ(written, frames);
    sf_close(pFile);
}

} // namespace

TEST(FileFilters, SourceReportsFormatsItCannotPassThroughAndStillDeliversThem)
{
    CScratchDir dir;
    // Stereo 24-bit: full-scale ints whose low byte is zero, as 24-bit
    // samples read at 32-bit scale are.
    const std::vector<int> frames = {0x12345600, -0x12345600, 0x7FFFFF00, -0x7FFFFF00 - 0x100, 0x00000100, 0};
    WriteFile(dir.File("stereo24.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 24000, frames);

    CComPtr<CFileSource> pSource(new CFileSource);
    ASSERT_EQ(pSource->Load(dir.File("stereo24.wav").c_str()), S_OK);
    const CAudioFileInfo& info = pSource->Info();
    EXPECT_FALSE(info.m_bPassThrough);
    EXPECT_EQ(info.m_nChannels, 2);
    EXPECT_EQ(info.m_wfx.wBitsPerSample, 24);
    EXPECT_EQ(info.m_wfx.nBlockAlign, 6);
    EXPECT_NE(info.Describe().find("2 channels, 24000 Hz"), std::string::npos) << info.Describe();

    // A filter that takes only mono refuses it.
    CComPtr<CPassThrough> pFilter(new CPassThrough(nullptr));
    CFilterGraph refused;
    EXPECT_TRUE(FAILED(refused.ConnectChain({pSource, pFilter})));
    refused.RemoveFilter(pSource);

    // A sink that takes anything gets the samples as packed little-endian
    // 24-bit values: the top three bytes of each 32-bit value.
    CComPtr<CMemorySink> pSink(new CMemorySink);
    pSink->SetAcceptFunction([](const CMediaType&) { return S_OK; });
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({pSource, pSink}), S_OK);
    ASSERT_EQ(graph.RunToCompletion(), S_OK);
    std::vector<BYTE> expected;
    for (int value : frames) {
        const auto bits = static_cast<std::uint32_t>(value);
        expected.push_back(static_cast<BYTE>(bits >> 8));
        expected.push_back(static_cast<BYTE>(bits >> 16));
        expected.push_back(static_cast<BYTE>(bits >> 24));
    }
    EXPECT_EQ(pSink->Data(), expected);
}

TEST(FileFilters, SourceRefusesMissingAndNonAudioFiles)
{
    CScratchDir dir;
    CComPtr<CFileSource> pSource(new CFileSource);
    EXPECT_EQ(pSource->Load(dir.File("absent.wav").c_str()), STG_E_FILENOTFOUND);
    EXPECT_NE(pSource->LastError().find("absent.wav"), std::string::npos);
    std::ofstream(dir.File("text.wav")) << "this is not a sound file\n";
    EXPECT_EQ(pSource->Load(dir.File("text.wav").c_str()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_FALSE(pSource->LastError().empty());
}
