#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <stdexcept>
#include <type_traits>

#include "log/Exceptions.h"
#include "LogFixture.h"

namespace {

namespace fs = std::filesystem;

// "YYYY/MM/DD hh:mm:ss" plus CR LF.
constexpr std::size_t kHeaderBytes = 19 + 2;

std::size_t EntryBytes(std::size_t bodyChars)
{
    return kHeaderBytes + bodyChars + 4;  // the body's line end and the blank line
}

std::string Failure(const char* text, int line)
{
    return std::string(text) + "\nFILE Elog LINE " + std::to_string(line);
}

// The control-flow exceptions are caught by type alone; a member would be
// paid for at every throw.
static_assert(std::is_empty_v<localException>);

// The strings come from this program's own resources (LogStrings.rc).
const HMODULE kModule = nullptr;

}  // namespace

using ElogLayout = LogDirTest;

TEST_F(ElogLayout, FirstEntryCreatesTheFileWithOneStampedEntry)
{
    ASSERT_FALSE(fs::exists(g_szLogFile));
    const std::time_t before = std::time(nullptr);
    LogText("gain %d dB", -3);
    const std::time_t after = std::time(nullptr);

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].m_bTrace);
    EXPECT_EQ(entries[0].m_strBody, "gain -3 dB");
    std::tm stamp = entries[0].m_time;
    const std::time_t written = std::mktime(&stamp);
    EXPECT_LE(before, written);
    EXPECT_LE(written, after);
    EXPECT_EQ(fs::file_size(g_szLogFile), EntryBytes(10));
    EXPECT_FALSE(fs::exists(g_szOldLogFile));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(ElogLayout, EveryEntryEndsWithOneBlankLine)
{
    LogText("abc");
    LogText("abc\n");
    LogText("%s", "");
    LogText("two\nlines");
    const std::string raw = ReadFile(g_szLogFile);
    // Both forms of "abc" give the same bytes after their headers.
    EXPECT_EQ(raw.substr(kHeaderBytes, 7), "abc\r\n\r\n");
    EXPECT_EQ(raw.substr(kHeaderBytes + 7 + kHeaderBytes, 7), "abc\r\n\r\n");

    const auto entries = ParseEntries(raw);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].m_strBody, "");
    EXPECT_EQ(entries[3].m_strBody, "two\nlines");
    EXPECT_EQ(raw.size(), 2 * EntryBytes(3) + kHeaderBytes + 4 + EntryBytes(10));
}

TEST_F(ElogLayout, PrefixesCarryTheBaseNameOfTheSourceFile)
{
    SetErrorFilter(0x1);
    ErrorText("C:\\work\\src\\Engine.cpp", 42, 0x1, "level %d", 7);
    ErrorTextBox(true, "src/host/ActvPlug.cpp", 869, "plain");
    ErrorTextBox(true, "Mixed/dir\\Shifter.cpp", 3, "x");
    ErrorTextBox(true, "NoSeparators", 1, "y");
    InitErrorLog();
    TraceAt("a/b/Trace.cpp", 10, "t%s", "!");

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].m_strBody, "FILE Engine.cpp LINE 42\nlevel 7");
    EXPECT_EQ(entries[1].m_strBody, "FILE ActvPlug.cpp LINE 869\nplain");
    EXPECT_EQ(entries[2].m_strBody, "FILE Shifter.cpp LINE 3\nx");
    EXPECT_EQ(entries[3].m_strBody, "FILE NoSeparators LINE 1\ny");
    EXPECT_TRUE(entries[4].m_bTrace);
    EXPECT_EQ(entries[4].m_strBody, "FILE Trace.cpp LINE 10\nt!");
}

TEST_F(ElogLayout, StopTraceShowsNeitherFileNorLine)
{
    InitErrorLog();
    TraceSource("ActvPlug", 869, "CIntonaraPlugIn::Stop, %x.\nm_Paused = %d, m_DspObject = %x", 0xbeef0u, 1, 0u);
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].m_bTrace);
    EXPECT_EQ(entries[0].m_strBody, "CIntonaraPlugIn::Stop, beef0.\nm_Paused = 1, m_DspObject = 0");
}

TEST_F(ElogLayout, LongMessagesAreCutToTheBuffer)
{
    const std::string huge(30000, 'q');
    LogText("%s", huge.c_str());
    ErrorTextBox(true, "f.cpp", 1, "%s", huge.c_str());
    LogId(kModule, 6);  // 600 r's

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].m_strBody, std::string(kLogBufferSize - 1, 'q'));
    const std::string prefix = "FILE f.cpp LINE 1\n";
    EXPECT_EQ(entries[1].m_strBody, prefix + std::string(kLogBufferSize - 1 - prefix.size(), 'q'));
    EXPECT_EQ(entries[2].m_strBody, std::string(512, 'r'));
}

using ElogRotation = LogDirTest;

TEST_F(ElogRotation, FileAtExactlyOneMebibyteIsStillAppendedTo)
{
    WriteFile(g_szLogFile, std::string(1048576, 'x'));
    LogText("after");
    EXPECT_EQ(fs::file_size(g_szLogFile), 1048576 + EntryBytes(5));
    EXPECT_FALSE(fs::exists(g_szOldLogFile));
}

TEST_F(ElogRotation, OneByteMoreRotatesAndReplacesTheOldFile)
{
    WriteFile(g_szOldLogFile, "oldest generation");
    WriteFile(g_szLogFile, "second" + std::string(1048577 - 6, 'x'));
    LogText("first of the new file");

    const std::string old = ReadFile(g_szOldLogFile);
    EXPECT_EQ(old.size(), 1048577u);
    EXPECT_EQ(old.substr(0, 6), "second");
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].m_strBody, "first of the new file");

    // Grown past the limit again, the next entry pushes out the previous
    // old file.
    WriteFile(g_szLogFile, "third" + std::string(1048600, 'y'));
    LogText("again");
    EXPECT_EQ(ReadFile(g_szOldLogFile).substr(0, 5), "third");
    ASSERT_EQ(LogEntries().size(), 1u);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

using ElogGates = LogDirTest;

TEST_F(ElogGates, TracesNeedAnInitialisedLog)
{
    Trace("early");
    TraceAt("f.cpp", 1, "early");
    TraceSource("f.cpp", 1, "early");
    SetTraceFilter(~0u);
    TraceCategory(0x1, "early");
    EXPECT_FALSE(fs::exists(g_szLogFile));
    EXPECT_EQ(m_boxes.Count(), 0u);

    EXPECT_NE(InitErrorLog(), 0u);
    EXPECT_TRUE(IsErrorLogInitialised());
    Trace("on");
    CloseErrorLog();
    EXPECT_FALSE(IsErrorLogInitialised());
    Trace("off again");
    LogText("errors need no initialisation");

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].m_bTrace);
    EXPECT_EQ(entries[0].m_strBody, "on");
    EXPECT_FALSE(entries[1].m_bTrace);
}

TEST_F(ElogGates, CategoriesPassOnlyThroughTheirFilter)
{
    EXPECT_EQ(SetErrorFilter(0x30), 0x30u);
    EXPECT_EQ(SetTraceFilter(0x5), 0x5u);
    EXPECT_EQ(InitErrorLog(), RegisterWindowMessageA("ZEL_ERROR_LOG_WRITTEN_EVENT"));
    EXPECT_EQ(GetErrorFilter(), 0u) << "initialising clears the filters";
    EXPECT_EQ(GetTraceFilter(), 0u);

    ErrorText("f.cpp", 1, 0xFFFFFFFF, "error with empty filter");
    TraceCategory(0xFFFFFFFF, "trace with empty filter");
    SetErrorFilter(0x30);
    SetTraceFilter(0x5);
    ErrorText("f.cpp", 2, 0x10, "error 0x10");
    ErrorText("f.cpp", 3, 0x40, "error 0x40");
    TraceCategory(0x4, "trace 0x4");
    TraceCategory(0x2, "trace 0x2");
    TraceCategoryAt("g.cpp", 9, 0x1, "trace at 0x1");

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].m_strBody, "FILE f.cpp LINE 2\nerror 0x10");
    EXPECT_EQ(entries[1].m_strBody, "trace 0x4");
    EXPECT_EQ(entries[2].m_strBody, "FILE g.cpp LINE 9\ntrace at 0x1");
    EXPECT_TRUE(entries[2].m_bTrace);
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

    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].m_strBody, "Engine.cpp(42)\nGain 99 out of range");
    EXPECT_EQ(entries[1].m_strBody, "Dialog.cpp(5)\nNote C#");
    EXPECT_EQ(entries[2].m_strBody, "Quiet.cpp(6)\nGain 1 out of range");
    EXPECT_EQ(entries[3].m_strBody, "Note A");
    EXPECT_EQ(entries[4].m_strBody, "Gain 2 out of range");
    EXPECT_EQ(entries[5].m_strBody, "Id.cpp(11)\nGain 3 out of range");

    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].m_strText, "Gain 99 out of range");
    EXPECT_EQ(boxes[0].m_hOwner, nullptr);
    EXPECT_EQ(boxes[0].m_uType, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[0].m_strCaption, "Error");
    EXPECT_EQ(boxes[1].m_strText, "Note C#");
    EXPECT_EQ(boxes[1].m_hOwner, owner);
    EXPECT_EQ(boxes[2].m_strText, "Note A");
    EXPECT_EQ(boxes[2].m_uType, MB_OK | MB_ICONINFORMATION);
}

TEST_F(ElogResources, MissingStringIsReportedInItsPlace)
{
    ErrorIdBox(false, "lib/Scale%d.cpp", 17, kModule, 404, 5);
    const auto entries = LogEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].m_strBody, "Scale%d.cpp(17)\nFILE lib/Scale%d.cpp LINE 17: LoadString failure");
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].m_strText, "FILE lib/Scale%d.cpp LINE 17: LoadString failure");
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
    for (const auto& box : boxes) {
        EXPECT_EQ(box.m_uType, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(box.m_strCaption, "Error");
        EXPECT_EQ(box.m_hOwner, nullptr);
    }
}

TEST_F(ElogFailures, ExceptionsOnTheWayAreCaughtAndReported)
{
    // The first box throws, as a framework allocation failure would; the
    // failure report that follows is recorded.
    auto recorder = std::make_shared<std::vector<std::string>>();
    auto throwing = std::make_shared<bool>(true);
    MessageBoxSink previous = SetMessageBoxSink([recorder, throwing](const MessageBoxRequest& request) {
        if (std::exchange(*throwing, false)) {
            throw std::bad_alloc();
        }
        recorder->push_back(request.m_strText);
        return IDOK;
    });
    EXPECT_NO_THROW(ErrorTextBox(false, "src/x.cpp", 12, "boom %d", 1));
    *throwing = true;
    EXPECT_NO_THROW(ErrorIdBox(false, "y.cpp", 4, kModule, 3));

    // A listener that throws while the trace is announced.
    InitErrorLog();
    const HWND thrower = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        throw std::runtime_error("listener failed");
    });
    EXPECT_NO_THROW(Trace("announced %s", "once"));
    DestroyMessageWindow(thrower);
    SetMessageBoxSink(previous);

    char module[32];
    std::snprintf(module, sizeof module, "%" PRIxPTR, reinterpret_cast<std::uintptr_t>(kModule));
    ASSERT_EQ(recorder->size(), 3u);
    EXPECT_EQ((*recorder)[0], "boom %d\nFILE src/x.cpp LINE 12");
    EXPECT_EQ((*recorder)[1], std::string("FILE y.cpp LINE 4 instance ") + module + " stringID 3");
    EXPECT_EQ((*recorder)[2], Failure("announced %s", 518));
    EXPECT_EQ(GlobalFindAtomA("announced once"), 0) << "the atom outlived the broadcast";
    EXPECT_EQ(LogEntries().size(), 3u) << "entries are written before the box and the broadcast";
}
