#include "voice/VoiceSynth.h"

#include "voice/VoiceParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace voice {

using namespace detail;

namespace {

// Raised-cosine ease from 0 at x = 0 to 1 at x = 1.
double Ease(double x)
{
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

// Longest phrase we agree to render; anything longer is a mistake in the
// caller, not a request for gigabytes.
constexpr double kMaxSeconds = 3600.0;

void ValidateNotes(const std::vector<NoteEvent>& notes)
{
    for (const NoteEvent& note : notes) {
        const double sung = note.midi + note.detuneCents / 100.0;
        if (!std::isfinite(sung) || sung < 0.0 || MidiToHz(sung) > 5000.0)
            throw std::invalid_argument("voice: note pitch must lie between MIDI 0 and 5000 Hz");
        if (!(note.seconds > 0.0) || !std::isfinite(note.seconds))
            throw std::invalid_argument("voice: note length must be positive");
        if (!(note.restAfter >= 0.0) || !std::isfinite(note.restAfter))
            throw std::invalid_argument("voice: rest must be zero or positive");
        if (!(note.loudness >= 0.0) || !std::isfinite(note.loudness))
            throw std::invalid_argument("voice: loudness must be zero or positive");
    }
}

size_t SampleAt(double seconds, double sampleRate)
{
    return static_cast<size_t>(std::llround(seconds * sampleRate));
}

}  // namespace

double MidiToHz(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

double HzToMidi(double hz)
{
    return 69.0 + 12.0 * std::log2(hz / 440.0);
}

std::vector<NoteSpan> PhraseNoteSpans(const std::vector<NoteEvent>& notes, const VoiceOptions& options)
{
    std::vector<NoteSpan> spans;
    spans.reserve(notes.size());
    double t = options.leadIn;
    for (const NoteEvent& note : notes) {
        spans.push_back({t, t + note.seconds});
        t += note.seconds + note.restAfter;
    }
    return spans;
}

std::vector<float> SynthesizePhrase(const std::vector<NoteEvent>& notes, const VoiceOptions& options)
{
    ValidateOptions(options);
    ValidateNotes(notes);

    const double fs = options.sampleRate;
    const std::vector<NoteSpan> spans = PhraseNoteSpans(notes, options);
    const double totalSeconds = notes.empty() ? options.leadIn : spans.back().end + notes.back().restAfter;
    if (totalSeconds > kMaxSeconds)
        throw std::invalid_argument("voice: phrase longer than an hour");
    const size_t count = SampleAt(totalSeconds, fs);

    // First the plan: the sung pitch in MIDI units without vibrato, the
    // loudness, and how much vibrato each sample may carry.
    std::vector<double> pitch(count, notes.empty() ? 69.0 : notes.front().midi);
    std::vector<double> amplitude(count, 0.0);
    std::vector<double> vibratoShare(count, 0.0);

    const double portamento = options.portamentoMs / 1000.0;
    const double attack = options.attackMs / 1000.0;
    const double release = options.releaseMs / 1000.0;

    double endingShare = 0.0;   // vibrato the previous note ended with
    for (size_t i = 0; i < notes.size(); ++i) {
        const NoteEvent& note = notes[i];
        const double target = note.midi + note.detuneCents / 100.0;
        const bool legato = i > 0 && notes[i - 1].restAfter == 0.0;
        const bool releases = note.restAfter > 0.0 || i + 1 == notes.size();
        const double fromPitch = legato ? notes[i - 1].midi + notes[i - 1].detuneCents / 100.0 : target;
        const double fromLoudness = legato ? notes[i - 1].loudness : note.loudness;

        const size_t first = SampleAt(spans[i].start, fs);
        const size_t last = std::min(count, SampleAt(spans[i].end, fs));
        for (size_t n = first; n < last; ++n) {
            const double t = static_cast<double>(n - first) / fs;
            double p = target;
            double loudness = note.loudness;
            if (legato && t < portamento) {
                const double k = Ease(t / portamento);
                p = fromPitch + (target - fromPitch) * k;
                loudness = fromLoudness + (note.loudness - fromLoudness) * k;
            }
            double a = loudness;
            if (!legato && t < attack)
                a *= Ease(t / attack);
            if (releases) {
                const double remaining = static_cast<double>(last - n) / fs;
                if (remaining < release)
                    a *= Ease(remaining / release);
            }
            pitch[n] = p;
            amplitude[n] = a;
            double share = 0.0;
            if (t >= options.vibratoDelay)
                share = options.vibratoOnset > 0.0 ? Ease((t - options.vibratoDelay) / options.vibratoOnset) : 1.0;
            // Sung legato, the old note's vibrato dies away during the glide
            // rather than stopping dead.
            if (legato && t < portamento)
                share = std::max(share, endingShare * (1.0 - Ease(t / portamento)));
            vibratoShare[n] = share;
        }
        endingShare = last > first ? vibratoShare[last - 1] : 0.0;
        // Through the rest the glottis keeps its last pitch; nothing sounds.
        const size_t restEnd = i + 1 < notes.size() ? std::min(count, SampleAt(spans[i + 1].start, fs)) : count;
        for (size_t n = last; n < restEnd; ++n)
            pitch[n] = target;
    }

    // Then vibrato on top. Its rate and depth wander a little, as a singer's
    // do; both wanderings are zero on average, so the note's centre stays put.
    CSlowWobble rateWobble(StreamSeed(options.seed, Stream::VibratoRate), 0.3, fs);
    CSlowWobble depthWobble(StreamSeed(options.seed, Stream::VibratoDepth), 0.45, fs);
    double vibratoPhase = 0.0;
    std::vector<double> hz(count);
    for (size_t n = 0; n < count; ++n) {
        const double rate = options.vibratoHz * (1.0 + 0.08 * rateWobble.Next());
        const double depth = options.vibratoCents * (1.0 + 0.15 * depthWobble.Next());
        const double cents = depth * vibratoShare[n] * std::sin(2.0 * std::numbers::pi * vibratoPhase);
        vibratoPhase += rate / fs;
        vibratoPhase -= std::floor(vibratoPhase);
        hz[n] = MidiToHz(pitch[n] + cents / 100.0);
    }
    return RenderVoice(hz, amplitude, options);
}

std::vector<float> SynthesizeSteadyVowel(double hz, double seconds, const VoiceOptions& options)
{
    if (!(hz > 0.0) || !std::isfinite(hz))
        throw std::invalid_argument("voice: frequency must be positive");
    return SynthesizePhrase({{HzToMidi(hz), 0.0, seconds, 0.0}}, options);
}

std::vector<float> SynthesizeSteadyVowel(double hz, double seconds, double sampleRate, uint32_t seed)
{
    VoiceOptions options;
    options.sampleRate = sampleRate;
    options.seed = seed;
    options.vibratoCents = 0.0;
    return SynthesizeSteadyVowel(hz, seconds, options);
}

std::vector<float> SynthesizeContour(const std::vector<double>& hzPerSample, const VoiceOptions& options)
{
    ValidateOptions(options);
    if (static_cast<double>(hzPerSample.size()) > kMaxSeconds * options.sampleRate)
        throw std::invalid_argument("voice: contour longer than an hour");

    // A linear ramp shaped by Ease: up over the attack time while voiced,
    // down over the release time while not.
    const double up = options.attackMs > 0.0 ? 1000.0 / (options.attackMs * options.sampleRate) : 1.0;
    const double down = options.releaseMs > 0.0 ? 1000.0 / (options.releaseMs * options.sampleRate) : 1.0;
    std::vector<double> amplitude(hzPerSample.size());
    double ramp = 0.0;
    for (size_t n = 0; n < hzPerSample.size(); ++n) {
        const bool voiced = hzPerSample[n] > 0.0 && std::isfinite(hzPerSample[n]);
        if (voiced && hzPerSample[n] > 5000.0)
            throw std::invalid_argument("voice: contour pitch above 5000 Hz");
        ramp = voiced ? std::min(1.0, ramp + up) : std::max(0.0, ramp - down);
        amplitude[n] = Ease(ramp);
    }
    return RenderVoice(hzPerSample, amplitude, options);
}

}  // namespace voice
