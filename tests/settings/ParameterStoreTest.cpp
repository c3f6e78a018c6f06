// The store's own forms of its values, read back as the control panel reads
// them, through the controller that derives from it.

#include <gtest/gtest.h>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

namespace {

int Get(CParameterStore& store, int id)
{
    int value = -12345;
    EXPECT_EQ(store.GetParameter(id, &value), 0);
    return value;
}

} // namespace

TEST(ParameterStore, ValuesReadBackInThePanelsUnits)
{
    CDspObject store;
    store.Initialise();
    // Retune: 20 ms is index 126; index 1 keeps 0 ms, which reads back as 0;
    // indices beyond the ends are held to them.
    EXPECT_EQ(Get(store, PARAM_RETUNE), 126);
    for (auto [sent, read] : {std::pair{1, 0}, {200, 200}, {500, 400}, {-3, 0}}) {
        store.SetParameter(PARAM_RETUNE, sent);
        EXPECT_EQ(Get(store, PARAM_RETUNE), read) << sent;
    }
    // A stored detune of 1 or -1 becomes 0; one cent either side of no
    // detune stays what it is.
    for (auto [sent, kept] : {std::pair{1, 0}, {-1, 0}, {99, 99}, {101, 101}}) {
        store.SetParameter(PARAM_DETUNE, sent);
        EXPECT_EQ(Get(store, PARAM_DETUNE), kept) << sent;
    }
    EXPECT_EQ(Get(store, PARAM_BUFFER_SIZE), 199) << "200 seconds, reported minus one";
    EXPECT_EQ(Get(store, PARAM_EDIT_SCALE), 0) << "commands have no state";
    EXPECT_EQ(std::pair(Get(store, 0), Get(store, 35)), std::pair(-12345, -12345));
    int ends[3] = {7, 7, 7};
    store.GetParameterRange(PARAM_BUFFER_SIZE, &ends[0], &ends[1], &ends[2]);
    EXPECT_EQ(std::vector<int>(ends, ends + 3), std::vector<int>(3, 7));

    // The two passes exclude each other.
    store.SetParameter(PARAM_TRACK_PITCH, 1);
    store.SetParameter(PARAM_CORRECT_PITCH, 1);
    EXPECT_EQ(std::pair(Get(store, PARAM_TRACK_PITCH), Get(store, PARAM_CORRECT_PITCH)), std::pair(0, 1));
}
