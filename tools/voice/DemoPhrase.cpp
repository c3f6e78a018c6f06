#include "voice/DemoPhrase.h"

namespace voice {

std::vector<NoteEvent> DemoNotes()
{
    // A3 to E4 in A minor. No note is missed by more than 33 cents, so even
    // with the vibrato on top the voice never strays past the half-way point
    // to a neighbouring note: each note has one obvious correction target.
    return {
        {57, +30, 0.90, 0.00},   // A3
        {60, -24, 0.60, 0.00},   // C4
        {64, +33, 1.30, 0.25},   // E4
        {62, -22, 0.60, 0.00},   // D4
        {60, +28, 0.60, 0.00},   // C4
        {62, -32, 1.20, 0.30},   // D4
        {64, +25, 0.70, 0.00},   // E4
        {60, -31, 0.60, 0.00},   // C4
        {59, +22, 0.60, 0.00},   // B3
        {60, -27, 0.90, 0.20},   // C4
        {59, +32, 0.70, 0.00},   // B3
        {57, -26, 1.80, 0.40},   // A3, held to the end
    };
}

VoiceOptions DemoOptions(double sampleRate)
{
    VoiceOptions options;
    options.sampleRate = sampleRate;
    options.vibratoCents = 12.0;
    options.vibratoHz = 5.5;
    options.vibratoDelay = 0.25;
    options.vibratoOnset = 0.35;
    options.portamentoMs = 80.0;
    options.leadIn = 0.3;
    options.level = 0.5;
    options.seed = 20240611;
    return options;
}

std::vector<float> SynthesizeDemoPhrase(double sampleRate)
{
    return SynthesizePhrase(DemoNotes(), DemoOptions(sampleRate));
}

}  // namespace voice
