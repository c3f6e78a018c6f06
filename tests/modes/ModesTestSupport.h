#pragma once
// Shared pieces of the controller's tests: a controller whose protected
// fields and status clock the tests can reach, the expected engine values
// computed from their definitions (never from the controller), mocks of the
// panel and its views, and a block-wise run of audio through the engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "settings/ScaleEditorLink.h"
#include "settings/ViewLinks.h"

namespace modestest {

class CTestDsp : public CDspObject
{
public:
    unsigned clockMs = 100000;

    int ActiveMode() const { return Relaxed(m_nActiveMode); }
    int TrackPitch() const { return Relaxed(m_bTrackPitch); }
    int CorrectPitch() const { return Relaxed(m_bCorrectPitch); }
    int ShownState() const { return Relaxed(m_nShownState); }
    int RequestedState() const { return Relaxed(m_nRequestedState); }
    int StateDelay() const { return Relaxed(m_nStateDelay); }
    int EnvScaleAvailable() const { return Relaxed(m_bEnvScaleAvailable); }
    void SetRequestedState(int v) { SetRelaxed(m_nRequestedState, v); }
    const float* VibratoTable() const { return m_fVibratoTable; }

protected:
    unsigned StatusClockMs() const override { return clockMs; }
};

inline double SemitoneFactor(double semitones)
{
    return std::exp2(semitones / 12.0);
}

// --- Mocks of the panel side -----------------------------------------------

class MockMainView : public IMainGraphView
{
public:
    MOCK_METHOD(void, SetController, (CParameterStore*), (override));
    MOCK_METHOD(void, SetFrameRate, (float), (override));
    MOCK_METHOD(int, SetBufferSeconds, (int), (override));
    MOCK_METHOD(void, SetTracking, (int), (override));
    MOCK_METHOD(void, SetCorrecting, (int), (override));
    MOCK_METHOD(void, ZoomTimeIn, (), (override));
    MOCK_METHOD(void, ZoomTimeOut, (), (override));
    MOCK_METHOD(void, ZoomPitchIn, (), (override));
    MOCK_METHOD(void, ZoomPitchOut, (), (override));
    MOCK_METHOD(int, PeriodToCents, (float), (override));
    MOCK_METHOD(bool, IsLive, (), (override));
    MOCK_METHOD(void, IdleUpdate, (), (override));
    MOCK_METHOD(bool, IsEnvScaleAvailable, (), (override));
    MOCK_METHOD(bool, ContainsPointer, (), (override));
    MOCK_METHOD(CursorHandle, UpdateCursor, (), (override));
};

class MockEnvelopeView : public IEnvelopeView
{
public:
    MOCK_METHOD(void, SetController, (CParameterStore*), (override));
    MOCK_METHOD(void, SetFrameRate, (float), (override));
    MOCK_METHOD(void, SetTied, (int), (override));
    MOCK_METHOD(void, ZoomAmplitudeIn, (), (override));
    MOCK_METHOD(void, ZoomAmplitudeOut, (), (override));
    MOCK_METHOD(bool, IsLive, (), (override));
    MOCK_METHOD(void, IdleUpdate, (), (override));
    MOCK_METHOD(bool, ContainsPointer, (), (override));
    MOCK_METHOD(CursorHandle, UpdateCursor, (), (override));
};

class MockDialog : public IIntonaraDialog
{
public:
    MOCK_METHOD(IMainGraphView*, GetMainGraphView, (), (override));
    MOCK_METHOD(IEnvelopeView*, GetEnvelopeView, (), (override));
    MOCK_METHOD(void, SetChangeMeter, (int), (override));
    MOCK_METHOD(void, EnableControl, (int, bool), (override));
    MOCK_METHOD(bool, IsVisible, (), (override));
    MOCK_METHOD(bool, IsPointerOverGraph, (), (override));
    MOCK_METHOD(int, GetTool, (), (override));
    MOCK_METHOD(bool, IsActive, (), (override));
    MOCK_METHOD(void, SetCursor, (CursorHandle), (override));
};

class MockStatusWindow : public IStatusWindow
{
public:
    MOCK_METHOD(void, SetStatusText, (const char*), (override));
};

// A panel with both views, all live and quiet unless a test says otherwise.
struct Panel
{
    ::testing::NiceMock<MockMainView> main;
    ::testing::NiceMock<MockEnvelopeView> envelope;
    ::testing::NiceMock<MockDialog> dialog;

    Panel()
    {
        using ::testing::Return;
        ON_CALL(dialog, GetMainGraphView()).WillByDefault(Return(&main));
        ON_CALL(dialog, GetEnvelopeView()).WillByDefault(Return(&envelope));
        ON_CALL(main, SetBufferSeconds(::testing::_)).WillByDefault(::testing::ReturnArg<0>());
        ON_CALL(main, IsLive()).WillByDefault(Return(true));
        ON_CALL(envelope, IsLive()).WillByDefault(Return(true));
        ON_CALL(main, IsEnvScaleAvailable()).WillByDefault(Return(true));
    }
};

// Marks the given notes of the current scale do-not-track when the store
// runs "Edit Scale" (ID 11).
class CDoNotTrackEditor : public IScaleEditor
{
public:
    explicit CDoNotTrackEditor(std::vector<int> notes) : m_notes(std::move(notes)) {}
    void RunScaleEditor(CScaleSet&, short, short, int* pDoNotTrack, int*, int nNotes) override
    {
        for (int n : m_notes)
            if (n >= 0 && n < nNotes)
                pDoNotTrack[n] = 1;
    }

private:
    std::vector<int> m_notes;
};

// --- Audio --------------------------------------------------------------------

// Through the engine in the filter's way: consecutive blocks of one size.
inline std::vector<float> RunBlocks(CDspObject& dsp, const std::vector<float>& in, int block = 512)
{
    std::vector<float> out(in.size());
    for (size_t i = 0; i < in.size(); i += block) {
        const int n = static_cast<int>(std::min<size_t>(block, in.size() - i));
        dsp.m_Engine.Process(in.data() + i, out.data() + i, n);
    }
    return out;
}

// A note still sounding when the block ends: the synthetic voice fades out
// at its end, which would let the detector drop its lock.
inline std::vector<float> Held(std::vector<float> note, double fs)
{
    note.resize(note.size() - static_cast<size_t>(0.15 * fs));
    return note;
}

inline std::vector<float> Silence(size_t n)
{
    return std::vector<float>(n, 0.0f);
}

inline std::vector<float> Concat(std::vector<float> a, const std::vector<float>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A controller set up as the filter does before streaming.
inline void Prepare(CDspObject& dsp, float fs)
{
    dsp.Initialise();
    dsp.SetSampleRate(fs);
    dsp.ResetEngine();
}

} // namespace modestest
