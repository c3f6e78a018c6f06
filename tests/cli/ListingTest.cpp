// The scales and notes listings against the tuning tables' own figures.

#include <gtest/gtest.h>

#include <cmath>

#include "job/JobError.h"
#include "job/Listing.h"
#include "settings/ScaleEditorLink.h"
#include "settings/ScaleSet.h"

namespace {

// Stands in for the scale editor dialog: sets the flags a user would tick.
class CFlagSetter : public IScaleEditor
{
public:
    int nNotTracked = -1;
    int nRemoved = -1;
    void RunScaleEditor(CScaleSet&, short, short, int* pDoNotTrack, int* pRemove, int nNotes) override
    {
        if (nNotTracked >= 0 && nNotTracked < nNotes)
            pDoNotTrack[nNotTracked] = 1;
        if (nRemoved >= 0 && nRemoved < nNotes)
            pRemove[nRemoved] = 1;
    }
};

// Target period of a note c cents above C, as the tables fold it at 44.1 kHz:
// the key's period doubled into [173130, 346260), then one octave down.
int FoldedPeriod(double cents)
{
    double p = 44100.0 / (440.0 * std::pow(2.0, -9.0 / 12.0));
    while (p < 173130.0)
        p *= 2.0;
    return static_cast<int>(std::pow(2.0, (1200.0 - cents) / 1200.0) * p + 0.5);
}

} // namespace

TEST(Listing, ScalesWithTheirNoteCounts)
{
    const std::vector<job::ScaleListRow> rows = job::ListScales();
    ASSERT_EQ(rows.size(), 29u);
    EXPECT_EQ(rows[0].sName, "Major");
    EXPECT_EQ(rows[0].nNotes, 7);
    EXPECT_EQ(rows[2].nNotes, 12);
    EXPECT_EQ(rows[16].nNotes, 5); // slendro is pentatonic
    EXPECT_EQ(rows[23].nNotes, 53);
}

TEST(Listing, EqualTemperedNotesInC)
{
    CScaleSet scales;
    const job::NoteList list = job::ListNotes(scales, 2, 0, 44100.0);
    ASSERT_EQ(list.rows.size(), 12u);
    EXPECT_EQ(list.nTargets, 12);
    const char* const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    for (int d = 0; d < 12; ++d) {
        const job::NoteListRow& row = list.rows[static_cast<size_t>(d)];
        EXPECT_EQ(row.sName, names[d]);
        EXPECT_DOUBLE_EQ(row.dCents, 100.0 * d);
        EXPECT_EQ(row.nPeriod, FoldedPeriod(100.0 * d)) << names[d];
        EXPECT_EQ(row.eState, job::NoteState::Tracked);
        EXPECT_LT(row.nCaptureLow, row.nPeriod);
        EXPECT_GT(row.nCaptureHigh, row.nPeriod);
    }
    EXPECT_NEAR(list.rows[9].dHz, 440.0, 1e-9);
    EXPECT_EQ(list.rows[0].nPeriod, 690428);
    EXPECT_EQ(list.rows[11].nPeriod, 365741);
    EXPECT_EQ(list.rows[0].nCaptureHigh, (690428 + 2 * 365741) / 2);
    EXPECT_EQ(list.rows[11].nCaptureLow, (690428 + 2 * 365741) / 2 / 2);
    // Neighbours meet halfway between their periods.
    EXPECT_EQ(list.rows[0].nCaptureLow, (list.rows[0].nPeriod + list.rows[1].nPeriod) / 2);
    // A period of 690428 stands for 44100 / 261.63 samples, an octave down, in 1/4096 sample.
    EXPECT_EQ(list.dPeriodScale, 4096.0);
}

TEST(Listing, NoteFlagsShowAndTheCurrentScaleIsKept)
{
    CScaleSet scales;
    CFlagSetter editor;
    editor.nNotTracked = 1;
    editor.nRemoved = 3;
    scales.SetScaleEditor(&editor);
    scales.SetScale(2);
    scales.EditScale(0);
    scales.SetScale(0);

    const job::NoteList list = job::ListNotes(scales, 2, 0, 44100.0);
    int current = -1;
    scales.GetScale(&current);
    EXPECT_EQ(current, 0);
    EXPECT_EQ(list.nTargets, 11);
    EXPECT_EQ(list.rows[1].eState, job::NoteState::NotTracked);
    EXPECT_EQ(list.rows[1].nPeriod, 0);
    EXPECT_EQ(list.rows[3].eState, job::NoteState::Removed);
    // D and E now share the removed D#'s range.
    EXPECT_EQ(list.rows[2].nCaptureLow, list.rows[4].nCaptureHigh);
    EXPECT_EQ(list.rows[2].nCaptureLow, (FoldedPeriod(200.0) + FoldedPeriod(400.0)) / 2);
    const std::string text = job::FormatNoteList(list);
    EXPECT_NE(text.find("not tracked"), std::string::npos);
    EXPECT_NE(text.find("removed"), std::string::npos);
    scales.SetScaleEditor(nullptr);
}

TEST(Listing, CaptureRangesInHertzMeetBetweenNeighbours)
{
    // A minor, with A4 at 442 Hz (+8 cents).
    CScaleSet scales;
    const job::NoteList list = job::ListNotes(scales, 1, 9, 44100.0, 8);
    ASSERT_EQ(list.rows.size(), 7u);
    EXPECT_NEAR(list.rows[0].dHz, 442.04, 0.005);
    EXPECT_NEAR(list.dA4Hz, 442.04, 0.005);
    for (size_t i = 0; i < list.rows.size(); ++i) {
        const job::NoteListRow& row = list.rows[i];
        EXPECT_LT(row.dCaptureFromHz, row.dHz) << row.sName;
        EXPECT_GT(row.dCaptureToHz, row.dHz) << row.sName;
        // The engine splits periods halfway, so neighbours meet at the
        // harmonic mean of their frequencies; the top note's range ends
        // where the key note's begins, an octave up.
        const double next = i + 1 < list.rows.size() ? list.rows[i + 1].dHz : 2.0 * list.rows[0].dHz;
        EXPECT_NEAR(row.dCaptureToHz, 2.0 / (1.0 / row.dHz + 1.0 / next), 0.01) << row.sName;
        if (i + 1 < list.rows.size()) {
            EXPECT_DOUBLE_EQ(row.dCaptureToHz, list.rows[i + 1].dCaptureFromHz);
        }
    }
    EXPECT_DOUBLE_EQ(list.rows[6].dCaptureToHz, 2.0 * list.rows[0].dCaptureFromHz);

    // (How "intonara notes" prints these, in Hz or raw, CliProgramTest checks.)
}
