#include "LogFixture.h"

using ElogBroadcast = LogDirTest;

TEST_F(ElogBroadcast, AnnouncesEntriesWithTheirTextInAnAtom)
{
    std::vector<std::pair<UINT, std::string>> heard;  // the text is read while the message is handled
    const HWND spy = CreateMessageWindow([&heard](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        char name[256] = {};
        GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name);
        heard.emplace_back(lParam == 0 ? message : 0, wParam != 0 ? name : "<no atom>");
        return 0;
    });
    ErrorTextBox(true, "e.cpp", 1, "before the message is registered");
    const UINT id = InitErrorLog();
    EXPECT_EQ(id, RegisterWindowMessageA("zel_error_log_written_event"));
    EXPECT_GE(id, kFirstRegisteredId);
    Trace("hello %d", 5);
    ErrorTextBox(true, "dir/e.cpp", 2, "error");
    Trace("%s", std::string(kMaxAtomLength + 1, 'L').c_str());  // too long for an atom, still announced
    LogText("quiet");
    TraceSource("s.cpp", 1, "quiet");
    NoteIdBox(true, nullptr, 1);
    LogId(nullptr, 1);
    SetTraceFilter(0xFF);
    TraceCategory(0x1, "c1");
    TraceCategory(0x2, "c2");
    TraceCategoryAt("k.cpp", 3, 0x4, "c4");
    TraceCategoryAt("k.cpp", 4, 0x8, "c8");
    DestroyMessageWindow(spy);
    EXPECT_EQ(heard, (std::vector<std::pair<UINT, std::string>>{
                         {id, "hello 5"}, {id, "FILE e.cpp LINE 2\nerror"}, {id, "<no atom>"}, {id, "c2"}, {id, "FILE k.cpp LINE 3\nc4"}}));
    EXPECT_EQ(GlobalFindAtomA("hello 5"), 0) << "atoms are freed once everyone has seen them";
    EXPECT_EQ(LogEntries().size(), 12u) << "announcing is on top of writing, never instead";
}
