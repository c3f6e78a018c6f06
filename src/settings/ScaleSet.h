#pragma once
// The built-in scales, the current scale, the per-scale note flags, and the
// conversion of scale + key + sample rate into the note table the engine uses.

#include <atomic>
#include <cstdint>

class IScaleEditor;

class CScaleSet
{
public:
    static constexpr int kScaleCount = 29;
    static constexpr int kDefaultScale = 2;  // "Equal Tempered Chrom."
    // Periods are scaled by a power of two so the key note lands in this
    // range; integer arithmetic on them then keeps ample resolution.
    static constexpr double kFoldLow = 173130.0;
    // The most entries a scale has, its octave included.
    static constexpr int kMaxEntries = 54;

    CScaleSet();
    CScaleSet(const CScaleSet&) = delete;
    CScaleSet& operator=(const CScaleSet&) = delete;

    virtual ~CScaleSet();
    virtual void GetScaleCount(int* count);
    virtual void SelectDefaultScale(int* scale);
    virtual void GetScale(int* scale);
    // Not range-checked: callers pass 0..28. Every lookup treats an index
    // outside that range as an empty scale, so a bad value cannot read past
    // the tables.
    virtual void SetScale(short scale);
    virtual void GetScaleName(int scale, char* buffer, int size);
    virtual void EditScale(short key);
    // Returns 0 and reports one octave of target periods (count entries) and
    // capture boundaries (count + 1 entries); returns 1 and writes nothing
    // for a key outside 0..11, an unusable sample rate, or no notes left.
    // The pointers point into this object and stay valid until the next
    // call; settings change on one thread at a time, so no caller sees
    // another's table.
    virtual int ComputeTargets(short key, double sampleRate, short* count,
                               const int** periods, const int** bounds);
    virtual void GetScaleTable(short scale, int* entries, const int** degrees);
    // On entry *count is the number of entries in degrees (octave included);
    // on return the number of notes left after the flags were applied.
    virtual void ApplyNoteFlags(short scale, int* count, int* degrees, int* tonicNotTracked);
    virtual const char* GetScaleNameText(short scale);
    virtual int GetNoteCount(short scale);
    virtual const char* GetNoteName(short key, short scale, short degree);
    virtual int IsMajorDegree(short scale, int degree);
    virtual int IsMinorDegree(short scale, int degree);
    virtual int GetChromaticIndex(short scale, int degree);
    virtual const char* GetDegreeCentsText(short scale, int degree);

    // Name shown in the control panel's scale list; empty outside 0..28.
    static const char* GetDisplayName(int scale);
    // "C", "D-flat", ... for keys 0..11; empty otherwise.
    static const char* GetKeyName(int key);

    // The panel installs its editor here (null removes it). Not owned.
    void SetScaleEditor(IScaleEditor* pEditor) { m_pEditor = pEditor; }

private:
    static bool IsValidScale(int scale) { return scale >= 0 && scale < kScaleCount; }
    bool CreateNoteFlags(int scale);

    // Read by the control interface while the panel may write it.
    std::atomic<int16_t> m_nScale{0};
    int32_t* m_pDoNotTrack[kScaleCount] = {};
    int32_t m_nDoNotTrackBytes[kScaleCount] = {};
    int32_t* m_pRemove[kScaleCount] = {};
    int32_t m_nRemoveBytes[kScaleCount] = {};
    IScaleEditor* m_pEditor = nullptr;
    // The last table computed; no call allocates, on any thread.
    int32_t m_nDegrees[kMaxEntries] = {};
    int32_t m_nPeriods[kMaxEntries] = {};
    int32_t m_nBounds[kMaxEntries] = {};
};
