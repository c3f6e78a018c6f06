#pragma once
// The sample rates at which the engine can correct a voice. Its detector
// works in samples (it follows periods of about 14 to 850 of them), so the
// rate decides which pitches it can follow: from 9 to 560 Hz at 8 kHz, from
// 224 Hz up at 192 kHz. Outside this range almost no voice would be
// followed and the audio would come back merely delayed, so the tool
// refuses such files and the LV2 plug-in refuses to run at such rates.

inline constexpr int kMinCorrectionSampleRate = 8000;
inline constexpr int kMaxCorrectionSampleRate = 192000;
