// The hand-over between the streaming thread and the device thread, for the
// thread sanitizer: a tiny device buffer (so the two threads meet hundreds
// of times), a third thread reading the clock and toggling Pause and Run.
// Whatever the interleaving, the device must play every sample once and in
// order, with only silence between them.

#include "platform/media/audio/AudioRenderer.h"

#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

// SDL keeps a little of its audio subsystem's state until SDL_Quit, which
// only a program's end calls; the sanitizer build's leak checker is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL2\n";
}

TEST(AudioRendererThreads, EverySampleReachesTheDeviceOnceWhilePausedAndRunFromAnotherThread)
{
    const std::string raw =
        (std::filesystem::temp_directory_path() / ("intonara-renderer-threads-" + std::to_string(getpid()) + ".raw")).string();
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    std::vector<float> samples(6000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.25f + static_cast<float>(i) / 16000.0f; // rising, never zero
    }
    CComPtr<CMemorySource> source(CMemorySource::CreateFloat(16000, samples));
    source->SetFramesPerSample({37, 512, 5});
    CComPtr<CAudioRenderer> renderer(new CAudioRenderer);
    renderer->SetDeviceBufferFrames(32);
    CFilterGraph graph;
    ASSERT_EQ(graph.ConnectChain({source.Get(), renderer.Get()}), S_OK);
    graph.SetSyncSource(renderer.Get());

    HRESULT hrPush = E_FAIL;
    std::thread streaming([&] { hrPush = graph.RunToCompletion(); });
    std::int64_t last = 0;
    for (int round = 0; round < 6; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        const std::int64_t played = renderer->PlayedFrames();
        EXPECT_GE(played, last);
        last = played;
        graph.Pause();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        graph.Run();
    }
    streaming.join();
    EXPECT_EQ(hrPush, S_OK);
    EXPECT_EQ(renderer->PlayedFrames(), 6000);
    graph.Stop();
    unsetenv("SDL_AUDIODRIVER");

    std::ifstream in(raw, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(raw);
    std::vector<float> heard;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        float v = 0;
        std::memcpy(&v, bytes.data() + i, 4);
        if (v != 0.0f) {
            heard.push_back(v);
        }
    }
    EXPECT_EQ(heard, samples);
}
