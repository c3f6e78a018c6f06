#pragma once
// The streaming core of a correction: a sound file's frames, a stretch at a
// time, through one filter per channel (side by side on as many threads as
// there are cores and channels), interleaved again into the output file,
// with the filter's delay trimmed so the output lines up with the input.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "job/SoundFormat.h"
#include "platform/com/Com.h"

struct IBaseFilter;

namespace job {

class CLowPitchCheck;
class CSoundReader;
class CSoundWriter;

// Which of the input's channels the filters get.
enum class ChannelMode
{
    Each,    // every channel, each through its own filter
    Mixdown, // the average of all, through one filter
    One,     // one channel, through one filter
};

struct ChannelChoice
{
    ChannelMode eMode = ChannelMode::Each;
    int nChannel = 0; // for One, counted from 0
};

struct StreamPlan
{
    ProcessingPath path = ProcessingPath::Float32;
    ChannelChoice channels;
    // The raw stream as a host receives it, delay and all; otherwise the
    // delay is trimmed at the start and flushed out at the end, so the
    // output has the input's length and lines up with it.
    bool bKeepLatency = false;
    int nLatency = 0;          // the filter's delay in frames
    int nBlockFrames = 8192;   // frames per media sample
    // Media samples per stretch handed to the channels; 0: one when a single
    // channel runs (memory is then all that a longer stretch changes), four
    // when threads are started per stretch and the work has to outweigh that.
    int nChunkBlocks = 0;
    int nMaxThreads = 0;       // 0: one per core
};

struct StreamHooks
{
    // Fraction of the input read, after every stretch; only when the input
    // says how long it is.
    std::function<void(double)> progress;
    // Checked between stretches; true stops the stream with a failure.
    const std::atomic<bool>* pCancel = nullptr;
    // Shown the first channel's input as it is read.
    CLowPitchCheck* pPitchCheck = nullptr;
    // Called once every filter is connected and running, before the first
    // sample reaches it (a connection can reset what was set before it).
    std::function<void()> started;
};

struct StreamResult
{
    int64_t nFramesIn = 0;
    int64_t nFramesOut = 0;
    int nThreads = 1; // how many channels ran at once
    // The first frame of the first channel that the engine hears as sound
    // (it silences what is below 1e-10 or not finite); -1 when none is.
    int64_t nFirstSound = -1;
};

// The number of channels the filters get for an input.
int ProcessedChannels(const ChannelChoice& choice, int inputChannels);

// filters holds one filter per processed channel, all started the same way.
// A null writer discards the output (a tracking pass wants only what the
// filters saw). Throws CJobError.
StreamResult StreamThroughFilters(CSoundReader& reader, CSoundWriter* pWriter, const std::vector<IBaseFilter*>& filters,
                                  const StreamPlan& plan, const StreamHooks& hooks);

} // namespace job
