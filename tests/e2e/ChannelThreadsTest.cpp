// The tool's channels side by side: a four-channel file streamed through a
// filter per channel, on one thread and on four, must come out the same to
// the last byte. The thread sanitizer job runs this program, so any data
// the channels' threads share without a hand-over shows up there.

#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/PitchEngine.h"
#include "host/ActvPlug.h"
#include "job/ChannelStream.h"
#include "job/PitchRange.h"
#include "job/SoundIo.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 4;
constexpr int kFrames = 40000;

// A WAV file in memory: every channel a different tone, 16-bit or float.
std::vector<unsigned char> MakeFile(int format)
{
    const int fd = memfd_create("channels-in", 0);
    EXPECT_GE(fd, 0);
    {
        job::CSoundWriter writer(fd, "in.wav", format, kRate, kChannels);
        std::vector<float> frames;
        for (int i = 0; i < kFrames; ++i)
            for (int c = 0; c < kChannels; ++c)
                frames.push_back(static_cast<float>(0.3 * std::sin(2 * M_PI * (200.0 + 37.0 * c) * i / kRate)));
        writer.WriteFloat(frames.data(), kFrames);
        writer.Close();
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    EXPECT_EQ(::pread(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    return bytes;
}

// The whole output file, streamed on at most threads threads.
std::vector<unsigned char> Stream(const std::vector<unsigned char>& file, int format, job::ProcessingPath path,
                                  int threads)
{
    job::CSoundReader reader(file.data(), static_cast<int64_t>(file.size()), "in.wav");
    const int fd = memfd_create("channels-out", 0);
    std::vector<CComPtr<CIntonaraPlugIn>> filters;
    std::vector<IBaseFilter*> chain;
    for (int c = 0; c < kChannels; ++c) {
        HRESULT hr = S_OK;
        filters.emplace_back(new CIntonaraPlugIn(nullptr, &hr));
        chain.push_back(filters.back());
    }
    job::CLowPitchCheck check(kRate);
    job::StreamPlan plan;
    plan.path = path;
    plan.nLatency = CPitchEngine::kLatency;
    plan.nBlockFrames = 2048;
    plan.nChunkBlocks = 3; // several stretches, several hand-overs
    plan.nMaxThreads = threads;
    job::StreamHooks hooks;
    hooks.pPitchCheck = &check;
    job::StreamResult result;
    {
        job::CSoundWriter writer(fd, "out.wav", format, kRate, kChannels);
        result = job::StreamThroughFilters(reader, &writer, chain, plan, hooks);
        writer.Close();
    }
    EXPECT_EQ(result.nThreads, threads);
    EXPECT_EQ(result.nFramesOut, kFrames);
    std::vector<unsigned char> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    EXPECT_EQ(::pread(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    return bytes;
}

} // namespace

TEST(ChannelThreads, SideBySideGivesTheSameBytesAsOneAfterAnother)
{
    for (const auto& [format, path] : {std::pair{SF_FORMAT_WAV | SF_FORMAT_PCM_16, job::ProcessingPath::Pcm16},
                                       std::pair{SF_FORMAT_WAV | SF_FORMAT_FLOAT, job::ProcessingPath::Float32}}) {
        SCOPED_TRACE(format);
        const std::vector<unsigned char> file = MakeFile(format);
        const std::vector<unsigned char> one = Stream(file, format, path, 1);
        const std::vector<unsigned char> four = Stream(file, format, path, 4);
        EXPECT_GT(one.size(), static_cast<size_t>(kFrames * kChannels * 2));
        EXPECT_TRUE(one == four);
    }
}
