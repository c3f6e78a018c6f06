// The audio renderer on SDL's own test drivers: "disk" writes what the
// device plays to a file, so the sound heard can be compared with the
// sound sent; "dummy" only takes it at the device's pace. The silent
// renderer is driven by the virtual clock, so its pace is exact.

#include "platform/media/audio/AudioRenderer.h"

#include "platform/Clock.h"
#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <unistd.h>

// SDL keeps a little of its audio subsystem's state (driver tables, hint
// callbacks) until SDL_Quit, which only a program's end calls; the leak
// checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL2\n";
}

namespace {

constexpr DWORD kRate = 8000;

std::vector<std::int16_t> Tone(int frames)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        // Never zero, so the played stretch is told from the silence around it.
        out[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(9000.0 * std::sin(i * 0.05) + (i % 2 == 0 ? 300 : -300));
    }
    return out;
}

struct CPlayback {
    CComPtr<CMemorySource> source;
    CComPtr<CAudioRenderer> renderer{new CAudioRenderer};
    CFilterGraph graph;

    explicit CPlayback(const std::vector<std::int16_t>& samples, int deviceFrames, bool silent = false)
        : source(CMemorySource::CreatePcm16(kRate, samples))
    {
        source->SetFramesPerSample({256, 100, 777});
        renderer->SetDeviceBufferFrames(deviceFrames);
        renderer->SetSilent(silent);
        EXPECT_EQ(graph.ConnectChain({source.Get(), renderer.Get()}), S_OK);
        graph.SetSyncSource(renderer.Get());
    }
    ~CPlayback() { graph.Stop(); }
};

std::vector<float> ReadFloats(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    return out;
}

// Moves the virtual clock in steps short enough for the streaming thread to
// refill the ring between them (waiting for it in real time), so the clock
// never runs ahead of the stream.
void AdvanceInStep(CPlayback& play, int ms, std::int64_t totalFrames)
{
    for (int done = 0; done < ms; done += 25) {
        platform::AdvanceVirtualClock(static_cast<std::uint64_t>(std::min(25, ms - done)));
        for (int i = 0; i < 1000; ++i) {
            const std::int64_t played = play.renderer->PlayedFrames();
            if (play.renderer->BufferedFrames() >= 800 || played + play.renderer->BufferedFrames() >= totalFrames) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

class CDriver {
public:
    explicit CDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }
    ~CDriver() { unsetenv("SDL_AUDIODRIVER"); }
};

} // namespace

TEST(AudioRenderer, PlaysEverySampleOnceInOrderAtTheDevicePace)
{
    const std::string raw =
        (std::filesystem::temp_directory_path() / ("intonara-renderer-" + std::to_string(getpid()) + ".raw")).string();
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    CDriver driver("disk");
    const auto samples = Tone(4000); // half a second
    CPlayback play(samples, 128);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(play.graph.RunToCompletion(), S_OK);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_FALSE(play.renderer->IsSilent()) << play.renderer->DeviceDescription();
    EXPECT_NE(play.renderer->DeviceDescription().find("disk audio, 128 frames (16.0 ms)"), std::string::npos)
        << play.renderer->DeviceDescription();
    EXPECT_EQ(play.renderer->PlayedFrames(), 4000);
    EXPECT_EQ(play.renderer->Underruns(), 0);
    // The end is reported only after the last sample went to the device.
    EXPECT_GE(seconds, 0.45);
    REFERENCE_TIME t = 0;
    EXPECT_EQ(play.renderer->GetTime(&t), S_OK);
    EXPECT_EQ(t, UNITS / 2);
    play.graph.Stop();

    const std::vector<float> heard = ReadFloats(raw);
    std::filesystem::remove(raw);
    std::size_t first = 0;
    while (first < heard.size() && heard[first] == 0.0f) {
        ++first;
    }
    ASSERT_GE(heard.size(), first + samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(heard[first + i], samples[i] / 32768.0f) << "sample " << i;
    }
    for (std::size_t i = first + samples.size(); i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], 0.0f) << "after the end, at " << i;
    }
}

TEST(AudioRenderer, AStalledStreamIsCountedAsUnderrunsAndStopEndsAWaitingReceive)
{
    CDriver driver("dummy");
    std::future<HRESULT> pushing;
    CPlayback play(Tone(8000), 64);
    ASSERT_EQ(play.graph.Run(), S_OK);
    // Running with nothing received yet: the device waits for the ring to
    // fill, its clock does not move, and no underrun is counted.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(play.renderer->Underruns(), 0);
    EXPECT_EQ(play.renderer->PlayedFrames(), 0);
    // Enough for the device to start, then nothing more for a while.
    ASSERT_EQ(play.graph.Step(12), S_OK);
    for (int i = 0; i < 200 && play.renderer->Underruns() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(play.renderer->Underruns(), 0);
    EXPECT_GT(play.renderer->PlayedFrames(), 0);

    // A full ring holds the streaming thread in Receive; Stop must free it.
    play.renderer->SetDeviceBufferFrames(64);
    pushing = std::async(std::launch::async, [&] { return play.graph.RunToCompletion(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    play.graph.Stop();
    ASSERT_EQ(pushing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pushing.get(), S_FALSE);
}

TEST(AudioRenderer, WithoutADeviceItPlaysSilentlyAtTheClockRate)
{
    CDriver driver("no-such-driver");
    struct CVirtualClock {
        CVirtualClock() { platform::UseVirtualClock(1000); }
        ~CVirtualClock() { platform::UseRealClock(); }
    } clock;
    std::future<HRESULT> pushing;
    CPlayback play(Tone(6000), 80);
    pushing = std::async(std::launch::async, [&] { return play.graph.RunToCompletion(); });
    // Wait (real time) until the ring is full and the start has been taken.
    for (int i = 0; i < 500 && play.renderer->BufferedFrames() < 1500; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(play.renderer->IsSilent());
    EXPECT_NE(play.renderer->DeviceDescription().find("silent playback"), std::string::npos);
    EXPECT_EQ(play.renderer->PlayedFrames(), 0);

    AdvanceInStep(play, 100, 6000);
    EXPECT_EQ(play.renderer->PlayedFrames(), 800);
    AdvanceInStep(play, 250, 6000);
    EXPECT_EQ(play.renderer->PlayedFrames(), 2800);

    // Paused, the clock stands still; running again it goes on from there.
    ASSERT_EQ(play.graph.Pause(), S_OK);
    platform::AdvanceVirtualClock(500);
    EXPECT_EQ(play.renderer->PlayedFrames(), 2800);
    ASSERT_EQ(play.graph.Run(), S_OK);
    EXPECT_EQ(play.renderer->StartTime(), 2800 * UNITS / kRate);
    AdvanceInStep(play, 100, 6000);
    EXPECT_EQ(play.renderer->PlayedFrames(), 3600);

    AdvanceInStep(play, 1000, 6000);
    ASSERT_EQ(pushing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(pushing.get(), S_OK);
    EXPECT_EQ(play.renderer->PlayedFrames(), 6000);
    EXPECT_EQ(play.renderer->Underruns(), 0);
}

TEST(AudioRenderer, TakesOnlyMonoOrStereoSixteenBitOrFloat)
{
    CComPtr<CAudioRenderer> renderer(new CAudioRenderer);
    CFilterGraph graph;
    CComPtr<CMemorySource> eight(
        new CMemorySource(MakeWaveFormat(WAVE_FORMAT_PCM, 1, kRate, 8), std::vector<BYTE>(100, 128)));
    EXPECT_TRUE(FAILED(graph.ConnectChain({eight.Get(), renderer.Get()})));
    CComPtr<CMemorySource> four(
        new CMemorySource(MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 4, kRate, 32), std::vector<BYTE>(160, 0)));
    EXPECT_TRUE(FAILED(graph.ConnectChain({four.Get(), renderer.Get()})));
    CComPtr<CMemorySource> stereo(
        new CMemorySource(MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 2, kRate, 32), std::vector<BYTE>(160, 0)));
    EXPECT_EQ(graph.ConnectChain({stereo.Get(), renderer.Get()}), S_OK);
}
