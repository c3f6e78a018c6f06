// Tracked pitch cut into sung notes and compared with the scale, and the
// picture of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "job/NoteAnalysis.h"
#include "job/PitchPlot.h"
#include "settings/ScaleSet.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kFrame = 200.0 / kRate;

double Hz(double midi, double cents = 0.0)
{
    return 440.0 * std::pow(2.0, (midi - 69.0 + cents / 100.0) / 12.0);
}

// Frames of a pitch contour: hz(t) for t from start, for seconds.
void Append(std::vector<job::TrackedFrame>& frames, double seconds, const std::function<double(double)>& hz)
{
    const double start = frames.empty() ? 0.0 : frames.back().dSeconds + kFrame;
    for (int i = 0; i < static_cast<int>(seconds / kFrame); ++i) {
        const double t = start + i * kFrame;
        frames.push_back({t, hz(t - start)});
    }
}

job::NoteList Scale(int scale, int key, int detune = 0)
{
    CScaleSet scales;
    return job::ListNotes(scales, scale, key, kRate, detune);
}

} // namespace

TEST(NoteAnalysis, CaptureFollowsTheEnginesBoundariesInEveryOctave)
{
    const job::NoteList chromatic = Scale(2, 0);
    // A and A# meet at the harmonic mean of 440 and 466.16 Hz, 452.69 Hz; B
    // just below the key note's octave folds down to the listed B.
    for (const auto& [hz, name, octaves] : {std::tuple{452.5, "A", 0}, {452.9, "A#", 0}, {110.0, "A", -2},
                                            {3520.0 * 1.01, "A", 3}, {250.0, "B", -1}}) {
        int octave = 99;
        const job::NoteListRow* row = job::CapturingNote(chromatic, hz, &octave);
        ASSERT_NE(row, nullptr) << hz;
        EXPECT_EQ(std::tie(row->sName, octave), std::tuple(std::string(name), octaves)) << hz << " Hz";
    }
    int octave = 0;
    EXPECT_EQ(job::CapturingNote(chromatic, 0.0, &octave), nullptr);
    EXPECT_EQ(job::CapturingNote(chromatic, NAN, &octave), nullptr);
}

TEST(NoteAnalysis, NotesWithTheirMedianDeviation)
{
    // A minor: A4 20 cents sharp with a 10-cent vibrato, a glide, C5 15
    // cents flat with a 40 ms break in it, a 30 ms blip far away, a rest,
    // then A4 in tune.
    std::vector<job::TrackedFrame> frames;
    Append(frames, 0.2, [](double) { return 0.0; });
    Append(frames, 0.6, [](double t) { return Hz(69, 20.0 + 10.0 * std::sin(2 * M_PI * 5.0 * t)); });
    Append(frames, 0.05, [](double t) { return Hz(69 + t / 0.05 * 3.0); });
    Append(frames, 0.3, [](double) { return Hz(72, -15.0); });
    Append(frames, 0.04, [](double) { return 0.0; });
    Append(frames, 0.3, [](double) { return Hz(72, -15.0); });
    Append(frames, 0.03, [](double) { return Hz(80); });
    Append(frames, 0.3, [](double) { return 0.0; });
    Append(frames, 0.5, [](double) { return Hz(69); });

    const job::NoteList minor = Scale(1, 9);
    const std::vector<job::SungNote> notes = job::FindSungNotes(frames, kFrame, minor);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].sName, "A4");
    EXPECT_NEAR(notes[0].dDeviation, 20.0, 1.0);
    EXPECT_NEAR(notes[0].dStart, 0.2, kFrame);
    EXPECT_NEAR(notes[0].dNoteHz, 440.0, 1e-9);
    EXPECT_EQ(notes[1].sName, "C5");
    EXPECT_NEAR(notes[1].dDeviation, -15.0, 0.01);
    EXPECT_NEAR(notes[1].dEnd - notes[1].dStart, 0.64, 0.05); // the break is inside the note
    EXPECT_EQ(notes[2].sName, "A4");
    EXPECT_NEAR(notes[2].dDeviation, 0.0, 0.01);
    EXPECT_NEAR(notes[2].dEnd - notes[2].dStart, 0.5, 2 * kFrame);
    for (const job::SungNote& n : notes)
        EXPECT_TRUE(n.bTracked);

    // The same voice against A4 = 442 Hz (+8 cents): every note 8 cents lower.
    const std::vector<job::SungNote> detuned = job::FindSungNotes(frames, kFrame, Scale(1, 9, 8));
    ASSERT_EQ(detuned.size(), 3u);
    EXPECT_NEAR(detuned[1].dDeviation, -23.0, 0.01);
    EXPECT_EQ(detuned[1].sName, "C5");
}

namespace {

// The rows of the picture where a colour covers most of the plotting width.
std::vector<int> RowsOf(const job::PlotImage& image, const job::PlotColour& colour)
{
    std::vector<int> rows;
    for (int y = 0; y < image.nHeight; ++y) {
        int n = 0;
        for (int x = 0; x < image.nWidth; ++x)
            n += image.At(x, y) == colour ? 1 : 0;
        if (n > image.nWidth / 4)
            rows.push_back(y);
    }
    return rows;
}

// Every note line's row, the key note's included.
std::vector<int> NoteLineRows(const job::PlotImage& image)
{
    std::vector<int> lines = RowsOf(image, job::kPlotNoteLine);
    const std::vector<int> keyLines = RowsOf(image, job::kPlotKeyLine);
    lines.insert(lines.end(), keyLines.begin(), keyLines.end());
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<int> PitchRows(const job::PlotImage& image)
{
    std::vector<int> rows;
    for (int y = 0; y < image.nHeight; ++y)
        for (int x = 0; x < image.nWidth; ++x)
            if (image.At(x, y) == job::kPlotPitch) {
                rows.push_back(y);
                break;
            }
    return rows;
}

} // namespace

TEST(PitchPlot, TrackedPitchLiesOnItsNoteLine)
{
    job::PitchAnalysis a;
    a.dSeconds = 3.0;
    a.scale = Scale(2, 0); // chromatic: a line every semitone
    Append(a.frames, 1.0, [](double) { return 0.0; });
    Append(a.frames, 1.0, [](double) { return 440.0; });
    a.notes = job::FindSungNotes(a.frames, kFrame, a.scale);
    job::PlotImage image = job::DrawPitchPlot(a);
    EXPECT_EQ(image.nWidth, job::kPlotMinWidth);
    EXPECT_EQ(image.nHeight, job::kPlotHeight);

    // The tone is drawn on one row, and that row is a note line's.
    const std::vector<int> lines = NoteLineRows(image);
    const std::vector<int> pitch = PitchRows(image);
    ASSERT_EQ(pitch.size(), 1u);
    ASSERT_GE(lines.size(), 12u); // more than an octave shown
    EXPECT_NE(std::find(lines.begin(), lines.end(), pitch[0]), lines.end());
    // It starts on the line of the first second, where the tone starts.
    int first = image.nWidth, second = -1;
    for (int x = image.nWidth - 1; x >= 0; --x) {
        int n = 0;
        for (int y = 0; y < image.nHeight; ++y)
            n += image.At(x, y) == job::kPlotSecondLine ? 1 : 0;
        first = image.At(x, pitch[0]) == job::kPlotPitch ? x : first;
        second = n > image.nHeight / 2 ? x : second;
    }
    EXPECT_NEAR(first, second, 1);

    // A quarter tone sharp, it lies halfway between two lines.
    for (job::TrackedFrame& f : a.frames)
        if (f.dHz > 0.0)
            f.dHz = Hz(69, 50.0);
    a.notes = job::FindSungNotes(a.frames, kFrame, a.scale);
    image = job::DrawPitchPlot(a);
    const std::vector<int> sharp = PitchRows(image);
    ASSERT_EQ(sharp.size(), 1u);
    const std::vector<int> moved = NoteLineRows(image);
    const auto above = std::lower_bound(moved.begin(), moved.end(), sharp[0]);
    ASSERT_TRUE(above != moved.begin() && above != moved.end());
    EXPECT_NEAR(sharp[0], (*above + *(above - 1)) / 2.0, 1.0);
    // The note found is marked at the pitch it was sung.
    EXPECT_EQ(image.At(image.nWidth / 2, sharp[0] + 1), job::kPlotSungNote);
}
