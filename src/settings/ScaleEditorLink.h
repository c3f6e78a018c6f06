#pragma once
// The note-flag editor lives with the control panel, which depends on this
// library, so the scale set only knows it through this interface. The panel
// installs its editor on the scale set; without one, "Edit Scale" does nothing.

class CScaleSet;

class IScaleEditor
{
public:
    virtual ~IScaleEditor() = default;

    // Runs modally. pDoNotTrack and pRemove have nNotes entries each (one per
    // note, octave excluded) and are edited in place; the caller recomputes
    // the target table afterwards.
    virtual void RunScaleEditor(CScaleSet& scales, short nKey, short nScale,
                                int* pDoNotTrack, int* pRemove, int nNotes) = 0;
};
