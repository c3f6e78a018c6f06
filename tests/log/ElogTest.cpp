#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "log/Exceptions.h"
#include "LogFixture.h"

namespace {

namespace fs = std::filesystem;

// "YYYY/MM/DD hh:mm:ss" CR LF, the body's line end and the blank line.
std::size_t EntryBytes(std::size_t bodyChars) { return 21 + bodyChars + 4; }

std::string Failure(const char* text, int line) { return std::string(text) + "\nFILE Elog LINE " + std::to_string(line); }

// The control-flow exceptions are caught by type alone; a member would be
// paid for at every throw.
static_assert(std::is_empty_v<localException>);

// The strings come from this program's own resources (LogStrings.rc).
const HMODULE kModule = nullptr;

}  // namespace

using ElogLayout = LogDirTest;

TEST_F(ElogLayout, EntriesAreStampedAndEndWithOneBlankLine)
{
    ASSERT_FALSE(fs::exists(g_szLogFile));
    const std::time_t before = std::time(nullptr);
    LogText("gain %d dB", -3);
    const std::time_t after = std::time(nullptr);
    const auto first = LogEntries();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(before <= first[0].m_time && first[0].m_time <= after);
    EXPECT_EQ(fs::file_size(g_szLogFile), EntryBytes(10));
    EXPECT_FALSE(fs::exists(g_szOldLogFile));

    LogText("abc");
    LogText("abc\n");
    LogText("%s", "");
    LogText("two\nlines");
    const std::string raw = ReadFile(g_szLogFile);
    EXPECT_EQ(raw.substr(EntryBytes(10) + 21, 7), "abc\r\n\r\n");
    EXPECT_EQ(raw.substr(EntryBytes(10) + EntryBytes(3) + 21, 7), "abc\r\n\r\n");
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"gain -3 dB", "abc", "abc", "", "two\nlines"}));
    EXPECT_EQ(raw.size(), EntryBytes(10) + 2 * EntryBytes(3) + EntryBytes(0) + EntryBytes(10));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(ElogLayout, PrefixesCarryTheBaseNameOfTheSourceFile)
{
    SetErrorFilter(0x1);
    ErrorText("C:\\work\\src\\Engine.cpp", 42, 0x1, "level %d", 7);
    ErrorTextBox(true, "Mixed/dir\\Shifter.cpp", 3, "x");
    ErrorTextBox(true, "NoSeparators", 1, "y");
    InitErrorLog();
    TraceAt("a/b/Trace.cpp", 10, "t%s", "!");
    TraceSource("ActvPlug", 869, "CIntonaraPlugIn::Stop, %x.\nm_Paused = %d", 0xbeef0u, 1);
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"FILE Engine.cpp LINE 42\nlevel 7", "FILE Shifter.cpp LINE 3\nx",
                                                  "FILE NoSeparators LINE 1\ny", "TRACE FILE Trace.cpp LINE 10\nt!",
                                                  "TRACE CIntonaraPlugIn::Stop, beef0.\nm_Paused = 1"}));
}

TEST_F(ElogLayout, LongMessagesAreCutToTheBuffer)
{
    const std::string huge(30000, 'q');
    LogText("%s", huge.c_str());
    ErrorTextBox(true, "f.cpp", 1, "%s", huge.c_str());
    LogId(kModule, 6);  // 600 r's
    const std::string prefix = "FILE f.cpp LINE 1\n";
    EXPECT_EQ(Bodies(), (std::vector<std::string>{std::string(kLogBufferSize - 1, 'q'),
                                                  prefix + std::string(kLogBufferSize - 1 - prefix.size(), 'q'),
                                                  std::string(512, 'r')}));
}

using ElogRotation = LogDirTest;

TEST_F(ElogRotation, AtOneMebibyteItAppendsOneByteMoreRotates)
{
    WriteFile(g_szLogFile, std::string(1048576, 'x'));
    LogText("after");
    EXPECT_EQ(fs::file_size(g_szLogFile), 1048576 + EntryBytes(5));
    EXPECT_FALSE(fs::exists(g_szOldLogFile));

    // The old file is replaced, the new one holds only the new entry.
    for (const char* generation : {"second", "third"}) {
        WriteFile(g_szLogFile, generation + std::string(1048577 - std::strlen(generation), 'x'));
        LogText("first of the new file");
        const std::string old = ReadFile(g_szOldLogFile);
        EXPECT_EQ(std::pair(old.size(), old.substr(0, std::strlen(generation))), std::pair(std::size_t{1048577}, std::string(generation)));
        EXPECT_EQ(Bodies(), std::vector<std::string>{"first of the new file"});
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

using ElogGates = LogDirTest;

TEST_F(ElogGates, TracesNeedAnInitialisedLogAndCategoriesTheirFilter)
{
    Trace("early");
    TraceAt("f.cpp", 1, "early");
    TraceSource("f.cpp", 1, "early");
    SetTraceFilter(~0u);
    TraceCategory(0x1, "early");
    EXPECT_FALSE(fs::exists(g_szLogFile));

    EXPECT_EQ(SetErrorFilter(0x30), 0x30u);
    EXPECT_EQ(InitErrorLog(), RegisterWindowMessageA("ZEL_ERROR_LOG_WRITTEN_EVENT"));
    EXPECT_TRUE(IsErrorLogInitialised());
    EXPECT_EQ(std::pair(GetErrorFilter(), GetTraceFilter()), std::pair(0u, 0u)) << "initialising clears the filters";
    Trace("on");
    ErrorText("f.cpp", 1, 0xFFFFFFFF, "error with empty filter");
    TraceCategory(0xFFFFFFFF, "trace with empty filter");
    EXPECT_EQ(SetTraceFilter(0x5), 0x5u);
    SetErrorFilter(0x30);
    ErrorText("f.cpp", 2, 0x10, "error 0x10");
    ErrorText("f.cpp", 3, 0x40, "error 0x40");
    TraceCategory(0x4, "trace 0x4");
    TraceCategory(0x2, "trace 0x2");
    TraceCategoryAt("g.cpp", 9, 0x1, "at 0x1");
    CloseErrorLog();
    EXPECT_FALSE(IsErrorLogInitialised());
    Trace("off again");
    LogText("errors need no initialisation");
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"TRACE on", "FILE f.cpp LINE 2\nerror 0x10", "TRACE trace 0x4",
                                                  "TRACE FILE g.cpp LINE 9\nat 0x1", "errors need no initialisation"}));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

using ElogResources = LogDirTest;

TEST_F(ElogResources, StringsComeFromTheModuleWithTheirOwnPrefix)
{
    const HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
    ErrorIdBox(false, "C:\\src\\Engine.cpp", 42, kModule, 7, 99);
    ErrorIdBoxOwned(owner, false, "Dialog.cpp", 5, kModule, 8, "C#");
    ErrorIdBox(true, "Quiet.cpp", 6, kModule, 7, 1);
    NoteIdBox(false, kModule, 8, "A");
    LogId(kModule, 7, 2);
    g_hLogModule.store(kModule);
    SetErrorFilter(0x8);
    ErrorId("Id.cpp", 11, 0x8, 7, 3);
    ErrorId("Id.cpp", 12, 0x1, 7, 4);
    ErrorIdBox(true, "lib/Scale%d.cpp", 17, kModule, 404, 5);  // no such string
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"Engine.cpp(42)\nGain 99 out of range", "Dialog.cpp(5)\nNote C#",
                                                  "Quiet.cpp(6)\nGain 1 out of range", "Note A", "Gain 2 out of range",
                                                  "Id.cpp(11)\nGain 3 out of range",
                                                  "Scale%d.cpp(17)\nFILE lib/Scale%d.cpp LINE 17: LoadString failure"}));
    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(std::tuple(boxes[0].m_strText, boxes[0].m_hOwner, boxes[0].m_uType, boxes[0].m_strCaption),
              std::tuple(std::string("Gain 99 out of range"), HWND{}, UINT{MB_OK | MB_ICONEXCLAMATION}, std::string("Error")));
    EXPECT_EQ(std::pair(boxes[1].m_strText, boxes[1].m_hOwner), std::pair(std::string("Note C#"), owner));
    EXPECT_EQ(std::pair(boxes[2].m_strText, boxes[2].m_uType), std::pair(std::string("Note A"), UINT{MB_OK | MB_ICONINFORMATION}));
}

using ElogFailures = LogDirTest;

TEST_F(ElogFailures, FileProblemsBecomeBoxesAndDropTheEntry)
{
    fs::create_directory(g_szLogFile);
    LogText("cannot open");
    fs::remove(g_szLogFile);
    ASSERT_EQ(symlink(g_szLogFile, g_szLogFile), 0);  // a loop: stat fails, but not with "missing"
    LogText("cannot stat");
    fs::remove(g_szLogFile);
    ASSERT_EQ(symlink("/dev/full", g_szLogFile), 0);
    LogText("cannot write");
    fs::remove(g_szLogFile);
    WriteFile(g_szLogFile, std::string(1048577, 'z'));
    fs::create_directory(g_szOldLogFile);
    LogText("cannot rotate");
    EXPECT_EQ(fs::file_size(g_szLogFile), 1048577u);

    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].m_strText, Failure("open of log file failed", 760));
    EXPECT_EQ(boxes[1].m_strText, Failure("unable to obtain log file size", 729));
    EXPECT_EQ(boxes[2].m_strText, Failure("write of log file failed", 777));
    EXPECT_EQ(boxes[3].m_strText, Failure("rename of log file failed", 741));
    for (const auto& box : boxes)
        EXPECT_EQ(std::tuple(box.m_uType, box.m_strCaption, box.m_hOwner), std::tuple(UINT{MB_OK | MB_ICONEXCLAMATION}, std::string("Error"), HWND{}));
}

TEST_F(ElogFailures, ExceptionsOnTheWayAreCaughtAndReported)
{
    // The first box throws, as a framework allocation failure would; the
    // failure report that follows is recorded.
    auto recorder = std::make_shared<std::vector<std::string>>();
    auto throwing = std::make_shared<bool>(true);
    MessageBoxSink previous = SetMessageBoxSink([recorder, throwing](const MessageBoxRequest& request) {
        if (std::exchange(*throwing, false))
            throw std::bad_alloc();
        recorder->push_back(request.m_strText);
        return IDOK;
    });
    EXPECT_NO_THROW(ErrorTextBox(false, "src/x.cpp", 12, "boom %d", 1));
    *throwing = true;
    EXPECT_NO_THROW(ErrorIdBox(false, "y.cpp", 4, kModule, 3));
    // A listener that throws while the trace is announced.
    InitErrorLog();
    const HWND thrower = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("listener failed"); });
    EXPECT_NO_THROW(Trace("announced %s", "once"));
    DestroyMessageWindow(thrower);
    SetMessageBoxSink(previous);

    char module[32];
    std::snprintf(module, sizeof module, "%" PRIxPTR, reinterpret_cast<std::uintptr_t>(kModule));
    EXPECT_EQ(*recorder, (std::vector<std::string>{"boom %d\nFILE src/x.cpp LINE 12",
                                                   std::string("FILE y.cpp LINE 4 instance ") + module + " stringID 3",
                                                   Failure("announced %s", 518)}));
    EXPECT_EQ(GlobalFindAtomA("announced once"), 0) << "the atom outlived the broadcast";
    EXPECT_EQ(LogEntries().size(), 3u) << "entries are written before the box and the broadcast";
}
