// Reading and writing audio files through the graph. Files are made and
// checked with the file library directly, not through the filters.

#include "platform/media/FileFilters.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/MemoryFilters.h"

#include "PassThroughFilter.h"
#include "PlatformTestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include <sys/resource.h>

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

struct CFileContent {
    SF_INFO m_info{};
    std::vector<short> m_pcm;
    std::vector<float> m_float;
};

CFileContent ReadFile(const std::string& path)
{
    CFileContent content;
    SNDFILE* pFile = sf_open(path.c_str(), SFM_READ, &content.m_info);
    EXPECT_NE(pFile, nullptr) << path;
    if (pFile == nullptr) {
        return content;
    }
    const auto count = static_cast<std::size_t>(content.m_info.frames * content.m_info.channels);
    if ((content.m_info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
        content.m_float.resize(count);
        sf_readf_float(pFile, content.m_float.data(), content.m_info.frames);
    } else {
        content.m_pcm.resize(count);
        sf_readf_short(pFile, content.m_pcm.data(), content.m_info.frames);
    }
    sf_close(pFile);
    return content;
}

std::vector<std::string> DirectoryEntries(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<short> Sweep(std::size_t count)
{
    std::vector<short> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<short>(static_cast<int>((i * 7919) % 65536) - 32768);
    }
    return samples;
}

} // namespace

TEST(FileFilters, Pcm16RoundTripThroughATransformIsBitExact)
{
    CScratchDir dir;
    const std::vector<short> input = Sweep(30011);
    WriteFile(dir.File("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 22050, input);

    CComPtr<CFileSource> pSource(new CFileSource);
    ASSERT_EQ(pSource->Load(dir.File("in.wav").c_str()), S_OK);
    EXPECT_TRUE(pSource->Info().m_bPassThrough);
    EXPECT_EQ(pSource->Info().m_llFrames, 30011);
    pSource->SetFramesPerSample(1009);
    CComPtr<CPassThrough> pFilter(new CPassThrough(nullptr));
    CComPtr<CFileWriter> pWriter(new CFileWriter(dir.File("out.wav").c_str()));
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({pSource, pFilter, pWriter}), S_OK);
    ASSERT_EQ(graph.RunToCompletion(), S_OK);
    graph.Stop();

    EXPECT_TRUE(pWriter->Completed());
    EXPECT_EQ(pWriter->FramesWritten(), 30011);
    const CFileContent output = ReadFile(dir.File("out.wav"));
    EXPECT_EQ(output.m_info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(output.m_info.samplerate, 22050);
    EXPECT_EQ(output.m_info.channels, 1);
    EXPECT_EQ(output.m_pcm, input);
    EXPECT_EQ(DirectoryEntries(dir.Path()), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST(FileFilters, FloatRoundTripKeepsEveryBit)
{
    CScratchDir dir;
    // Values a conversion would disturb: beyond full scale, tiny, negative zero.
    std::vector<float> input = {1.5f, -2.25f, 1e-30f, -0.0f, 0.999999f, -1.0f, 3.0e-39f};
    for (int i = 0; i < 5000; ++i) {
        input.push_back(static_cast<float>(i % 97) / 96.0f - 0.5f);
    }
    WriteFile(dir.File("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 96000, input);

    CComPtr<CFileSource> pSource(new CFileSource);
    ASSERT_EQ(pSource->Load(dir.File("in.wav").c_str()), S_OK);
    EXPECT_TRUE(pSource->Info().m_bPassThrough);
    EXPECT_EQ(pSource->Info().m_wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    pSource->SetFramesPerSample(777);
    CComPtr<CFileWriter> pWriter(new CFileWriter(dir.File("out.wav").c_str()));
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({pSource, pWriter}), S_OK);
    ASSERT_EQ(graph.RunToCompletion(), S_OK);

    const CFileContent output = ReadFile(dir.File("out.wav"));
    EXPECT_EQ(output.m_info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
    ASSERT_EQ(output.m_float.size(), input.size());
    EXPECT_EQ(std::memcmp(output.m_float.data(), input.data(), input.size() * sizeof(float)), 0);
}

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

TEST(FileWriter, AStreamStoppedEarlyLeavesTheTargetAsItWas)
{
    CScratchDir dir;
    WriteFile(dir.File("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Sweep(100000));
    {
        std::ofstream(dir.File("out.wav")) << "previous contents";
    }
    CComPtr<CFileSource> pSource(new CFileSource);
    ASSERT_EQ(pSource->Load(dir.File("in.wav").c_str()), S_OK);
    pSource->SetFramesPerSample(1000);
    CComPtr<CFileWriter> pWriter(new CFileWriter(dir.File("out.wav").c_str()));
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({pSource, pWriter}), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    ASSERT_EQ(graph.Step(5), S_OK);
    // A temporary file exists while the stream runs...
    EXPECT_EQ(DirectoryEntries(dir.Path()).size(), 3u);
    ASSERT_EQ(graph.Stop(), S_OK);

    // ...and is gone once it stopped without finishing.
    EXPECT_FALSE(pWriter->Completed());
    EXPECT_EQ(DirectoryEntries(dir.Path()), (std::vector<std::string>{"in.wav", "out.wav"}));
    std::ifstream in(dir.File("out.wav"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "previous contents");
}

TEST(FileWriter, AWriteFailureFailsTheRunAndLeavesNoFile)
{
    CScratchDir dir;
    WriteFile(dir.File("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, Sweep(200000));
    CComPtr<CFileSource> pSource(new CFileSource);
    ASSERT_EQ(pSource->Load(dir.File("in.wav").c_str()), S_OK);
    CComPtr<CFileWriter> pWriter(new CFileWriter(dir.File("out.wav").c_str()));
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({pSource, pWriter}), S_OK);

    // Files of this process may not grow past 64 KiB for the run: the
    // writer's output (400 KB) hits the limit part way.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const HRESULT hr = graph.RunToCompletion();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    graph.Stop();

    EXPECT_TRUE(FAILED(hr));
    EXPECT_TRUE(FAILED(pWriter->Result()));
    EXPECT_FALSE(pWriter->LastError().empty());
    EXPECT_FALSE(pWriter->Completed());
    EXPECT_EQ(DirectoryEntries(dir.Path()), (std::vector<std::string>{"in.wav"}));
}

TEST(FileWriter, RefusesFormatsItDoesNotWrite)
{
    CScratchDir dir;
    CComPtr<CMemorySource> pSource(new CMemorySource(MakeWaveFormat(WAVE_FORMAT_PCM, 1, 44100, 24),
                                                     std::vector<BYTE>(300)));
    CComPtr<CFileWriter> pWriter(new CFileWriter(dir.File("out.wav").c_str()));
    CFilterGraph graph;
    EXPECT_EQ(graph.ConnectChain({pSource, pWriter}), VFW_E_NO_ACCEPTABLE_TYPES);
}
