#include <cstring>

#include "LogFixture.h"

using ElogBroadcast = LogDirTest;

TEST_F(ElogBroadcast, AnnouncesEntriesWithTheirTextInAnAtom)
{
    MessageSpy spy;
    ErrorTextBox(true, "e.cpp", 1, "before the message is registered");
    const UINT id = InitErrorLog();
    EXPECT_EQ(id, RegisterWindowMessageA("zel_error_log_written_event"));
    EXPECT_GE(id, kFirstRegisteredId);

    Trace("hello %d", 5);
    ErrorTextBox(true, "dir/e.cpp", 2, "error");
    const std::string tooLongForAnAtom(kMaxAtomLength + 1, 'L');
    Trace("%s", tooLongForAnAtom.c_str());
    LogText("quiet");
    TraceSource("s.cpp", 1, "quiet");
    NoteIdBox(true, nullptr, 1);
    LogId(nullptr, 1);
    SetTraceFilter(0xFF);
    TraceCategory(0x1, "c1");
    TraceCategory(0x2, "c2");
    TraceCategoryAt("k.cpp", 3, 0x4, "c4");
    TraceCategoryAt("k.cpp", 4, 0x8, "c8");

    const auto deliveries = spy.Deliveries();
    ASSERT_EQ(deliveries.size(), 5u);
    const char* const texts[] = {"hello 5", "FILE e.cpp LINE 2\nerror", "", "c2", "FILE k.cpp LINE 3\nc4"};
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        EXPECT_EQ(deliveries[i].m_uMessage, id);
        EXPECT_EQ(deliveries[i].m_lParam, 0);
        EXPECT_EQ(deliveries[i].m_strAtomText, texts[i]) << "delivery " << i;
    }
    EXPECT_EQ(deliveries[2].m_wParam, 0u) << "text too long for an atom still announced, without one";
    EXPECT_NE(deliveries[0].m_wParam, 0u);
    EXPECT_EQ(GlobalFindAtomA("hello 5"), 0) << "atoms are freed once everyone has seen them";
    EXPECT_EQ(LogEntries().size(), 12u) << "announcing is on top of writing, never instead";
}
