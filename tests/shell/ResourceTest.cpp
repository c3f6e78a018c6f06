// The module's dialog templates and cursors as the panel, the scale editor
// and the graph views will read them.

#include "platform/resources/DialogTemplate.h"
#include "platform/resources/ImageResources.h"
#include "platform/ui/WinUser.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Control styles, with the window system's values.
constexpr DWORD kButtonTypeMask = 0x0F;
constexpr DWORD kPushButton = 0x0;
constexpr DWORD kAutoCheckBox = 0x3;
constexpr DWORD kGroupBox = 0x7;
constexpr DWORD kAutoRadioButton = 0x9;
constexpr DWORD kPushLike = 0x1000;
constexpr DWORD kEditRight = 0x0002;
constexpr DWORD kEditReadOnly = 0x0800;
constexpr DWORD kDropDownList = 0x0003;
constexpr DWORD kListViewReport = 0x0001;
constexpr DWORD kListViewNoSortHeader = 0x8000;
constexpr DWORD kListBoxTabStops = 0x0080;

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
    {1120, "Button", "Mode:"}, {1121, "Button", "Automatic"}, {1122, "Button", "Graphical"},
    {1173, "Static", nullptr}, {1051, "Static", "Scale:"}, {1052, "Static", "Key:"},
    {1023, "ComboBox", nullptr}, {1024, "ComboBox", nullptr}, {1026, "Button", "&Edit Scale"},
    {1155, "Button", "&Bypass"}, {1028, "Edit", ""}, {1029, "Edit", ""}, {1030, "Edit", ""},
    {1097, "Static", "Scale Detune"}, {1098, "Static", "Retune"}, {1099, "Static", "Tracking"},
    {1174, "Static", "Hold the <Ctrl> key while dragging the Scale Detune slider for fine tuning."},
    {1106, "Static", "fast"}, {1107, "Static", "slow"}, {1108, "Static", "choosy"}, {1109, "Static", "relaxed"},
    {1124, "Static", nullptr}, {1129, "Static", nullptr}, {1100, "Static", "Change"}, {1101, "Static", "(Cents)"},
    {1110, "Static", "+100"}, {1111, "Static", "+66"}, {1112, "Static", "+33"}, {1113, "Static", "0"},
    {1114, "Static", "-33"}, {1115, "Static", "-66"}, {1116, "Static", "-100"}, {1125, "Static", nullptr},
    {1102, "Static", "Vibrato:"}, {1027, "ComboBox", nullptr}, {1103, "Static", "Depth"}, {1104, "Static", "Rate"},
    {1105, "Static", "Delay"}, {1031, "Edit", ""}, {1032, "Edit", ""}, {1033, "Edit", ""}, {1179, "Static", nullptr},
    {1071, "Button", "undo"}, {1073, "Button", "cut"}, {1075, "Button", "copy"}, {1074, "Button", "paste"},
    {1077, "Button", "select all"}, {1078, "Button", "make curve"}, {1079, "Button", "make auto"},
    {1080, "Button", "All"}, {1081, "Button", "Tie"}, {1117, "Button", "Playback:"},
    {1058, "Button", "&Track Pitch"}, {1060, "Button", "&Correct Pitch"}, {1118, "Static", "Buffers:"},
    {1127, "Edit", ""}, {1119, "Static", "(secs)"}, {1126, "Static", nullptr}, {1128, "Static", nullptr},
    {1035, "Edit", ""}, {1036, "Edit", ""},
};

TEST(PanelTemplates, HoldEveryControlOfBothModes)
{
    for (WORD id : {101, 102}) {
        const DialogTemplate dialog = Load(id);
        EXPECT_EQ(dialog.m_cx, 392);
        EXPECT_EQ(dialog.m_cy, 458);
        EXPECT_TRUE(dialog.m_bHasFont);
        EXPECT_EQ(dialog.m_strFont, "Arial");
        EXPECT_EQ(dialog.m_nPointSize, 8);
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
        // Value fields are read-only numbers aligned right.
        for (int field : {1028, 1029, 1030, 1031, 1032, 1033, 1035, 1036}) {
            EXPECT_EQ(items.at(field).m_dwStyle & (kEditRight | kEditReadOnly), kEditRight | kEditReadOnly) << field;
        }
        for (int list : {1023, 1024, 1027}) {
            EXPECT_EQ(items.at(list).m_dwStyle & 0x3, kDropDownList) << list;
        }
        EXPECT_EQ(items.at(1120).m_dwStyle & kButtonTypeMask, kGroupBox);
        EXPECT_EQ(items.at(1117).m_dwStyle & kButtonTypeMask, kGroupBox);
        EXPECT_EQ(items.at(1121).m_dwStyle & kButtonTypeMask, kAutoRadioButton);
        EXPECT_EQ(items.at(1122).m_dwStyle & kButtonTypeMask, kAutoRadioButton);
        for (int pushLike : {1155, 1058, 1060, 1080, 1081}) {
            EXPECT_EQ(items.at(pushLike).m_dwStyle & (kButtonTypeMask | kPushLike), kAutoCheckBox | kPushLike)
                << pushLike;
        }
        EXPECT_EQ(items.at(1071).m_dwStyle & kButtonTypeMask, kPushButton);
    }
    EXPECT_NE(Load(101).m_dwStyle & WS_POPUP, 0u);
    EXPECT_NE(Load(102).m_dwStyle & WS_CHILD, 0u) << "the property page shows 102 inside the host's window";
}

TEST(PanelTemplates, TheWindowAndTheChildTemplateAgreeControlForControl)
{
    const DialogTemplate a = Load(101);
    const DialogTemplate b = Load(102);
    ASSERT_EQ(a.m_items.size(), b.m_items.size());
    for (std::size_t i = 0; i < a.m_items.size(); ++i) {
        const DialogItemTemplate& x = a.m_items[i];
        const DialogItemTemplate& y = b.m_items[i];
        EXPECT_TRUE(x.m_nId == y.m_nId && x.m_strClass == y.m_strClass && x.m_strText == y.m_strText &&
                    x.m_dwStyle == y.m_dwStyle && x.m_dwExStyle == y.m_dwExStyle && x.m_x == y.m_x &&
                    x.m_y == y.m_y && x.m_cx == y.m_cx && x.m_cy == y.m_cy)
            << "item " << i << " (" << x.m_nId << ")";
    }
}

TEST(ScaleEditorTemplate, HasItsListsButtonsAndLabels)
{
    const DialogTemplate dialog = Load(105);
    EXPECT_EQ(dialog.m_cx, 299);
    EXPECT_EQ(dialog.m_cy, 241);
    EXPECT_EQ(dialog.m_strCaption, "Edit Scales");
    EXPECT_EQ(dialog.m_strFont, "Arial");
    EXPECT_EQ(dialog.m_nPointSize, 8);
    const auto items = ById(dialog);
    const DialogItemTemplate& list = items.at(1053);
    EXPECT_EQ(list.m_strClass, "SysListView32");
    EXPECT_EQ(list.m_x, 7);
    EXPECT_EQ(list.m_y, 41);
    EXPECT_EQ(list.m_cx, 225);
    EXPECT_EQ(list.m_cy, 100);
    EXPECT_EQ(list.m_dwStyle & (kListViewReport | kListViewNoSortHeader), kListViewReport | kListViewNoSortHeader);
    EXPECT_EQ(items.at(1).m_strText, "OK");
    EXPECT_EQ(items.at(2).m_strText, "Cancel");
    EXPECT_EQ(items.at(1049).m_strText, "Set &Major Scale");
    EXPECT_EQ(items.at(1050).m_strText, "Set Mi&nor Scale");
    EXPECT_EQ(items.at(1175).m_strText, "Edit Scale:");
    EXPECT_EQ(items.at(1177).m_strText, "Key:");
    EXPECT_EQ(items.at(1176).m_strText, "Microtonal Tuning Data");
    EXPECT_EQ(items.at(1051).m_strClass, "Static");
    EXPECT_EQ(items.at(1052).m_strClass, "Static");
    for (int box : {1054, 1072, 1076}) {
        EXPECT_EQ(items.at(box).m_strClass, "ListBox") << box;
        EXPECT_NE(items.at(box).m_dwStyle & kListBoxTabStops, 0u) << box;
    }
    std::multiset<std::string> headings;
    for (const DialogItemTemplate& item : dialog.m_items) {
        if (item.m_nId == -1) {
            headings.insert(item.m_strText);
        }
    }
    EXPECT_EQ(headings.count("Interval"), 3u);
    EXPECT_EQ(headings.count("Ratio"), 3u);
    EXPECT_EQ(headings.count("Cents"), 3u);
    // The short form of the dialog (160 units) must not cut the note list.
    EXPECT_LE(list.m_y + list.m_cy, 160);
}

TEST(ValueEntryTemplate, IsTheEditFieldWithHiddenOkAndCancel)
{
    const DialogTemplate dialog = Load(158);
    const auto items = ById(dialog);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items.at(1178).m_strClass, "Edit");
    EXPECT_EQ(items.at(1178).m_strText, "");
    EXPECT_NE(items.at(1178).m_dwStyle & WS_VISIBLE, 0u);
    EXPECT_EQ(items.at(IDOK).m_dwStyle & WS_VISIBLE, 0u);
    EXPECT_EQ(items.at(IDCANCEL).m_dwStyle & WS_VISIBLE, 0u);
    EXPECT_NE(dialog.m_dwStyle & WS_POPUP, 0u);
}

TEST(Cursors, TheGraphCursorsAreThirtyTwoSquareAndDistinct)
{
    std::vector<std::vector<BYTE>> pictures;
    for (WORD id : {149, 150, 151, 152}) {
        CursorResourceImage image;
        ASSERT_TRUE(GetCursorResourceImage(nullptr, MAKEINTRESOURCE(id), &image)) << id;
        EXPECT_EQ(image.m_nWidth, 32);
        EXPECT_EQ(image.m_nHeight, 32);
        const std::size_t hot = static_cast<std::size_t>(image.m_yHotSpot * 32 + image.m_xHotSpot);
        // The hot spot lies on the drawn picture, not on a transparent pixel.
        EXPECT_FALSE(image.m_andMask[hot] == 1 && image.m_xorMask[hot] == 0) << id;
        for (const std::vector<BYTE>& other : pictures) {
            EXPECT_FALSE(other == image.m_xorMask) << id << " looks like another cursor";
        }
        pictures.push_back(image.m_xorMask);
    }
}

}  // namespace
