#pragma once

// The built-in demo input: a short melody sung out of tune, every note
// missed by 20 to 45 cents, some sharp and some flat.

#include "voice/VoiceSynth.h"

#include <vector>

namespace voice {

std::vector<NoteEvent> DemoNotes();
VoiceOptions DemoOptions(double sampleRate = 44100.0);
std::vector<float> SynthesizeDemoPhrase(double sampleRate = 44100.0);

}  // namespace voice
