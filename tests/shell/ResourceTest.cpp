// The module's dialog templates and cursors as the panel, the scale editor
// and the graph views will read them.

#include "platform/resources/DialogTemplate.h"
#include "platform/resources/ImageResources.h"
#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

DialogTemplate Load(WORD id)
{
    DialogTemplate dialog;
    EXPECT_TRUE(LoadDialogTemplate(nullptr, MAKEINTRESOURCE(id), &dialog)) << "dialog " << id;
    return dialog;
}

std::map<int, DialogItemTemplate> ById(const DialogTemplate& dialog)
{
    std::map<int, DialogItemTemplate> items;
    for (const DialogItemTemplate& item : dialog.m_items) {
        if (item.m_nId != -1) {
            EXPECT_TRUE(items.emplace(item.m_nId, item).second) << "control " << item.m_nId << " twice";
        }
    }
    return items;
}

struct Expected {
    int id;
    const char* cls;
    const char* text;  // null: not checked
};

// Every control of both modes the dialog template holds, with the texts
// the panel shows.
const Expected kPanelControls[] = {
    {1120, "Button", "Mode:"}, {1121, "Button", "Automatic"}, {1122, "Button", "Graphical"}, {1173, "Static", nullptr},
    {1051, "Static", "Scale:"}, {1052, "Static", "Key:"}, {1023, "ComboBox", nullptr}, {1024, "ComboBox", nullptr},
    {1026, "Button", "&Edit Scale"}, {1155, "Button", "&Bypass"}, {1028, "Edit", ""}, {1029, "Edit", ""},
    {1030, "Edit", ""}, {1097, "Static", "Scale Detune"}, {1098, "Static", "Retune"}, {1099, "Static", "Tracking"},
    {1174, "Static", "Hold the <Ctrl> key while dragging the Scale Detune slider for fine tuning."},
    {1106, "Static", "fast"}, {1107, "Static", "slow"}, {1108, "Static", "choosy"}, {1109, "Static", "relaxed"},
    {1124, "Static", nullptr}, {1129, "Static", nullptr}, {1100, "Static", "Change"}, {1101, "Static", "(Cents)"},
    {1110, "Static", "+100"}, {1111, "Static", "+66"}, {1112, "Static", "+33"}, {1113, "Static", "0"},
    {1114, "Static", "-33"}, {1115, "Static", "-66"}, {1116, "Static", "-100"}, {1125, "Static", nullptr},
    {1102, "Static", "Vibrato:"}, {1027, "ComboBox", nullptr}, {1103, "Static", "Depth"}, {1104, "Static", "Rate"},
    {1105, "Static", "Delay"}, {1031, "Edit", ""}, {1032, "Edit", ""}, {1033, "Edit", ""}, {1179, "Static", nullptr},
    {1071, "Button", "undo"}, {1073, "Button", "cut"}, {1075, "Button", "copy"}, {1074, "Button", "paste"},
    {1077, "Button", "select all"}, {1078, "Button", "make curve"}, {1079, "Button", "make auto"},
    {1080, "Button", "All"}, {1081, "Button", "Tie"}, {1117, "Button", "Playback:"}, {1058, "Button", "&Track Pitch"},
    {1060, "Button", "&Correct Pitch"}, {1118, "Static", "Buffers:"}, {1127, "Edit", ""}, {1119, "Static", "(secs)"},
    {1126, "Static", nullptr}, {1128, "Static", nullptr}, {1035, "Edit", ""}, {1036, "Edit", ""},
};

TEST(PanelTemplates, HoldEveryControlOfBothModes)
{
    for (WORD id : {101, 102}) {
        const DialogTemplate dialog = Load(id);
        EXPECT_TRUE(dialog.m_bHasFont);
        EXPECT_EQ(std::tie(dialog.m_cx, dialog.m_cy, dialog.m_strFont, dialog.m_nPointSize),
                  std::make_tuple(392, 458, "Arial", 8));
        const auto items = ById(dialog);
        EXPECT_EQ(items.size(), std::size(kPanelControls)) << "dialog " << id;
        for (const Expected& e : kPanelControls) {
            auto it = items.find(e.id);
            ASSERT_NE(it, items.end()) << "dialog " << id << " lacks " << e.id;
            EXPECT_EQ(it->second.m_strClass, e.cls) << e.id;
            if (e.text != nullptr) {
                EXPECT_EQ(it->second.m_strText, e.text) << e.id;
            }
        }
        // Value fields are read-only and right-aligned; the lists drop down;
        // the switches are push-like check boxes; the mode is a radio pair.
        const std::pair<std::vector<int>, std::pair<DWORD, DWORD>> styles[] = {
            {{1028, 1029, 1030, 1031, 1032, 1033, 1035, 1036}, {ES_RIGHT | ES_READONLY, ES_RIGHT | ES_READONLY}},
            {{1023, 1024, 1027}, {0x3, CBS_DROPDOWNLIST}},
            {{1120, 1117}, {BS_TYPEMASK, BS_GROUPBOX}},
            {{1121, 1122}, {BS_TYPEMASK, BS_AUTORADIOBUTTON}},
            {{1155, 1058, 1060, 1080, 1081}, {BS_TYPEMASK | BS_PUSHLIKE, BS_AUTOCHECKBOX | BS_PUSHLIKE}},
            {{1071, 1026}, {BS_TYPEMASK, BS_PUSHBUTTON}},
        };
        for (const auto& [ids, mask] : styles) {
            for (int control : ids) {
                EXPECT_EQ(items.at(control).m_dwStyle & mask.first, mask.second) << control;
            }
        }
        // The property page shows 102 inside the host's window.
        EXPECT_NE(dialog.m_dwStyle & (id == 101 ? WS_POPUP : WS_CHILD), 0u) << id;
    }
}

TEST(PanelTemplates, TheWindowAndTheChildTemplateAgreeControlForControl)
{
    const DialogTemplate a = Load(101);
    const DialogTemplate b = Load(102);
    ASSERT_EQ(a.m_items.size(), b.m_items.size());
    auto fields = [](const DialogItemTemplate& x) {
        return std::tie(x.m_nId, x.m_strClass, x.m_strText, x.m_dwStyle, x.m_dwExStyle, x.m_x, x.m_y, x.m_cx, x.m_cy);
    };
    for (std::size_t i = 0; i < a.m_items.size(); ++i) {
        EXPECT_TRUE(fields(a.m_items[i]) == fields(b.m_items[i])) << "item " << i << " (" << a.m_items[i].m_nId << ")";
    }
}

TEST(ScaleEditorTemplate, HasItsListsButtonsAndLabels)
{
    const DialogTemplate dialog = Load(105);
    EXPECT_EQ(std::tie(dialog.m_cx, dialog.m_cy, dialog.m_strCaption, dialog.m_strFont, dialog.m_nPointSize),
              std::make_tuple(299, 241, "Edit Scales", "Arial", 8));
    const auto items = ById(dialog);
    const DialogItemTemplate& list = items.at(1053);
    EXPECT_EQ(list.m_strClass, "SysListView32");
    EXPECT_EQ(std::tie(list.m_x, list.m_y, list.m_cx, list.m_cy), std::make_tuple(7, 41, 225, 100));
    EXPECT_EQ(list.m_dwStyle & (LVS_REPORT | LVS_NOSORTHEADER), LVS_REPORT | LVS_NOSORTHEADER);
    const std::pair<int, const char*> texts[] = {{1, "OK"}, {2, "Cancel"}, {1049, "Set &Major Scale"},
                                                 {1050, "Set Mi&nor Scale"}, {1175, "Edit Scale:"}, {1177, "Key:"},
                                                 {1176, "Microtonal Tuning Data"}, {1051, ""}, {1052, ""}};
    for (const auto& [control, text] : texts) {
        EXPECT_EQ(items.at(control).m_strText, text) << control;
    }
    for (int box : {1054, 1072, 1076}) {
        EXPECT_EQ(items.at(box).m_strClass, "ListBox") << box;
        EXPECT_NE(items.at(box).m_dwStyle & LBS_USETABSTOPS, 0u) << box;
    }
    for (const char* heading : {"Interval", "Ratio", "Cents"}) {
        EXPECT_EQ(std::count_if(dialog.m_items.begin(), dialog.m_items.end(),
                                [&](const auto& item) { return item.m_nId == -1 && item.m_strText == heading; }),
                  3)
            << heading;
    }
    // The short form of the dialog (160 units) must not cut the note list.
    EXPECT_LE(list.m_y + list.m_cy, 160);
}

TEST(ValueEntryTemplate, IsTheEditFieldWithHiddenOkAndCancel)
{
    const DialogTemplate dialog = Load(158);
    const auto items = ById(dialog);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(std::tie(items.at(1178).m_strClass, items.at(1178).m_strText), std::make_tuple("Edit", ""));
    EXPECT_EQ(std::make_tuple(items.at(1178).m_dwStyle & WS_VISIBLE, items.at(IDOK).m_dwStyle & WS_VISIBLE,
                              items.at(IDCANCEL).m_dwStyle & WS_VISIBLE),
              std::make_tuple(DWORD{WS_VISIBLE}, DWORD{0}, DWORD{0}));
    EXPECT_NE(dialog.m_dwStyle & WS_POPUP, 0u);
}

TEST(Cursors, TheGraphCursorsAreThirtyTwoSquareAndDistinct)
{
    std::vector<std::vector<BYTE>> pictures;
    for (WORD id : {149, 150, 151, 152}) {
        CursorResourceImage image;
        ASSERT_TRUE(GetCursorResourceImage(nullptr, MAKEINTRESOURCE(id), &image)) << id;
        EXPECT_EQ(std::pair(image.m_nWidth, image.m_nHeight), std::pair(32, 32)) << id;
        const std::size_t hot = static_cast<std::size_t>(image.m_yHotSpot * 32 + image.m_xHotSpot);
        // The hot spot lies on the drawn picture, not on a transparent pixel.
        EXPECT_FALSE(image.m_andMask[hot] == 1 && image.m_xorMask[hot] == 0) << id;
        EXPECT_EQ(std::count(pictures.begin(), pictures.end(), image.m_xorMask), 0) << id << " looks like another";
        pictures.push_back(image.m_xorMask);
    }
}

}  // namespace
