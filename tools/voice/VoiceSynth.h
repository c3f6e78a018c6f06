#pragma once

// A synthetic sung "ah" for demos and tests.
//
// The voice is a band-limited glottal pulse train (built from harmonics, so it
// never aliases at any pitch) fed through a cascade of vowel resonators, with
// vibrato, portamento, attack and release, and a little jitter, shimmer and
// breath. Everything random comes from a seeded generator of our own, so a
// given call returns the same samples on every run and every machine.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace voice {

// One sung note. Aggregate-initialise as {midi, detuneCents, seconds, restAfter}.
struct NoteEvent {
    double midi = 69.0;         // the intended equal-tempered note (A4 = 69); may be fractional
    double detuneCents = 0.0;   // how far the singer misses it (+ is sharp)
    double seconds = 0.5;       // sounding length, release included
    double restAfter = 0.0;     // silence before the next note; 0 sings legato into it
    double loudness = 1.0;      // relative to the other notes of the phrase
};

struct Formant {
    double hz;
    double bandwidthHz;
};

struct VoiceOptions {
    double sampleRate = 44100.0;

    double vibratoCents = 20.0;   // peak deviation either side of the note
    double vibratoHz = 5.5;
    double vibratoDelay = 0.25;   // seconds into a note before vibrato starts
    double vibratoOnset = 0.4;    // seconds over which it grows to full depth

    double portamentoMs = 70.0;   // glide into a note sung legato after another
    double attackMs = 40.0;
    double releaseMs = 70.0;

    double level = 0.5;           // peak of the returned signal, 0 < level <= 1
    double leadIn = 0.0;          // seconds of silence before the first note

    double jitter = 0.002;        // largest period-to-period frequency change (relative)
    double shimmer = 0.04;        // largest period-to-period amplitude change (relative)
    double breath = 0.02;         // aspiration noise against the pulse

    double formantScale = 1.0;    // > 1 for a smaller (higher) voice
    std::array<Formant, 5> formants = {{
        {700.0, 90.0}, {1220.0, 110.0}, {2600.0, 160.0}, {3400.0, 250.0}, {4400.0, 300.0}}};

    uint32_t seed = 1;
};

// Where a note of a phrase starts and ends, in seconds from the first sample.
struct NoteSpan {
    double start;
    double end;
};

double MidiToHz(double midi);
double HzToMidi(double hz);

// The notes one after another, with their rests, after options.leadIn.
std::vector<float> SynthesizePhrase(const std::vector<NoteEvent>& notes, const VoiceOptions& options);
std::vector<NoteSpan> PhraseNoteSpans(const std::vector<NoteEvent>& notes, const VoiceOptions& options);

// One held note. The short form sings without vibrato; the long form takes
// vibrato and everything else from the options.
std::vector<float> SynthesizeSteadyVowel(double hz, double seconds, double sampleRate, uint32_t seed = 1);
std::vector<float> SynthesizeSteadyVowel(double hz, double seconds, const VoiceOptions& options);

// Sings exactly the given pitch, one value per output sample, with no
// vibrato or glide added. A value <= 0 is silence: each voiced stretch fades
// in from its first sample and fades out after its last.
std::vector<float> SynthesizeContour(const std::vector<double>& hzPerSample, const VoiceOptions& options);

}  // namespace voice
