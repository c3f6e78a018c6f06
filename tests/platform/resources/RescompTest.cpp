// The resource compiler as the build runs it: broken scripts give one line
// per problem naming file and line, a non-zero status and no output; good
// scripts give the same bytes every time.

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCompiler = INTONARA_RESCOMP;

struct CompilerRun {
    int m_nStatus = -1;
    std::vector<std::string> m_lines;  // what it printed, stderr included
};

CompilerRun Compile(const std::string& arguments)
{
    CompilerRun run;
    std::FILE* pipe = ::popen((kCompiler + " " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::string output;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    const int status = ::pclose(pipe);
    run.m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        run.m_lines.push_back(line);
    }
    return run;
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A .bmp file of 8 bits per pixel, 2 x 2, whose header claims `coloursUsed`
// table entries and which holds `pixelBytes` bytes of pixels (8 are needed).
std::string EightBitBmp(std::uint32_t coloursUsed, std::size_t pixelBytes)
{
    const std::uint32_t tableEntries = coloursUsed == 0 ? 256 : coloursUsed;
    std::string file;
    auto u16 = [&](std::uint32_t v) {
        file += static_cast<char>(v & 0xFF);
        file += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    file += "BM";
    u32(0);
    u32(0);
    u32(14 + 40 + tableEntries * 4);
    for (std::uint32_t v : {40u, 2u, 2u}) {
        u32(v);
    }
    u16(1);
    u16(8);
    for (std::uint32_t v : {0u, 8u, 0u, 0u, coloursUsed, 0u}) {
        u32(v);
    }
    file += std::string(tableEntries * 4 + pixelBytes, '\x11');
    return file;
}

}  // namespace

TEST(Rescomp, EachProblemIsOneLineWithFileAndLineInOrder)
{
    CScratchDir scratch;
    const std::string script = scratch.File("broken.rc");
    Write(script,
          "STRINGTABLE\n"                                 // 1
          "{\n"                                           // 2
          "    7 \"not closed\n"                          // 3
          "    8 \"fine\"\n"                              // 4
          "    8 \"again\"\n"                             // 5
          "}\n"                                           // 6
          "DIALOG 101, 0, 0, 10, 10\n"                    // 7
          "    STYLE WS_POPUP | BS_PUSHBUTON\n"           // 8
          "{\n"                                           // 9
          "    CONTROL \"a\", 5, \"Button\", 0, 0, 0, 10, 10\n"  // 10
          "    CONTROL \"b\", 5, \"Button\", 0, 0, 0, 10, 10\n"  // 11
          "    CONTROL \"c\", 6, \"Button\", 0, 0, 0, 10\n"      // 12
          "}\n");                                         // 13
    const std::string output = scratch.File("out.cpp");
    const CompilerRun run = Compile("-o " + output + " " + script);
    EXPECT_EQ(run.m_nStatus, 1);
    ASSERT_EQ(run.m_lines.size(), 5u) << ::testing::PrintToString(run.m_lines);
    const std::pair<int, const char*> expected[] = {
        {3, "string is not closed"},
        {5, "string 8 is defined twice (first at line 4)"},
        {8, "unknown name 'BS_PUSHBUTON'"},
        {11, "control ID 5 is used twice in dialog 101 (first at line 10)"},
        {12, "found the end of the line"},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::string prefix = script + ":" + std::to_string(expected[i].first) + ": ";
        EXPECT_EQ(run.m_lines[i].rfind(prefix, 0), 0u) << run.m_lines[i];
        EXPECT_NE(run.m_lines[i].find(expected[i].second), std::string::npos) << run.m_lines[i];
    }
    EXPECT_FALSE(std::filesystem::exists(output)) << "nothing is written for a broken script";
}

TEST(Rescomp, UnusableBitmapsAreNamedWithTheirLine)
{
    CScratchDir scratch;
    Write(scratch.File("short-table.bmp"), EightBitBmp(100, 8));
    Write(scratch.File("cut.bmp"), EightBitBmp(0, 5));
    Write(scratch.File("good.bmp"), EightBitBmp(256, 8));
    Write(scratch.File("text.bmp"), "not a picture");
    const std::string script = scratch.File("bitmaps.rc");
    Write(script,
          "BITMAP 1 \"short-table.bmp\"\n"
          "BITMAP 2 \"good.bmp\"\n"
          "BITMAP 3 \"cut.bmp\"\n"
          "BITMAP 4 \"text.bmp\"\n"
          "BITMAP 5 \"absent.bmp\"\n"
          "BITMAP 2 \"good.bmp\"\n");
    const CompilerRun run = Compile("-o " + scratch.File("out.cpp") + " " + script);
    EXPECT_NE(run.m_nStatus, 0);
    ASSERT_EQ(run.m_lines.size(), 5u) << ::testing::PrintToString(run.m_lines);
    EXPECT_EQ(run.m_lines[0].rfind(script + ":1: bitmap 1: ", 0), 0u) << run.m_lines[0];
    EXPECT_NE(run.m_lines[0].find("save it with all 256"), std::string::npos) << run.m_lines[0];
    EXPECT_EQ(run.m_lines[1].rfind(script + ":3: ", 0), 0u) << run.m_lines[1];
    EXPECT_NE(run.m_lines[1].find("cut short: 8 bytes are needed"), std::string::npos) << run.m_lines[1];
    EXPECT_EQ(run.m_lines[2].rfind(script + ":4: ", 0), 0u) << run.m_lines[2];
    EXPECT_NE(run.m_lines[2].find("not a .bmp file"), std::string::npos);
    EXPECT_EQ(run.m_lines[3].rfind(script + ":5: ", 0), 0u) << run.m_lines[3];
    EXPECT_NE(run.m_lines[3].find("cannot read"), std::string::npos);
    EXPECT_EQ(run.m_lines[4], script + ":6: bitmap 2 is defined twice (first at line 2)");
}

TEST(Rescomp, CursorPicturesAreCheckedLineByLine)
{
    CScratchDir scratch;
    const std::string cursor = scratch.File("bad.cursor");
    Write(cursor,
          "// comment\n"   // 1
          "HOTSPOT 9, 0\n"  // 2
          "..##..\n"        // 3
          ".#x#..\n"        // 4
          "..##\n");        // 5
    const std::string script = scratch.File("cursor.rc");
    Write(script, "CURSOR 149 \"bad.cursor\"\n");
    CompilerRun run = Compile("-o " + scratch.File("out.cpp") + " " + script);
    EXPECT_NE(run.m_nStatus, 0);
    ASSERT_EQ(run.m_lines.size(), 2u) << ::testing::PrintToString(run.m_lines);
    EXPECT_EQ(run.m_lines[0].rfind(cursor + ":4: unexpected character 'x'", 0), 0u) << run.m_lines[0];
    EXPECT_EQ(run.m_lines[1], cursor + ":5: this row is 4 pixels wide, the first row 6");

    Write(cursor, "HOTSPOT 6, 0\n......\n");
    run = Compile("-o " + scratch.File("out.cpp") + " " + script);
    ASSERT_EQ(run.m_lines.size(), 1u) << ::testing::PrintToString(run.m_lines);
    EXPECT_EQ(run.m_lines[0], cursor + ":1: the hot spot (6, 0) lies outside the 6 x 1 picture");
}

TEST(Rescomp, VariablesMustBeGivenAndVersionsMustFit)
{
    CScratchDir scratch;
    const std::string script = scratch.File("version.rc");
    Write(script,
          "VERSIONINFO\n"                            // 1
          "{\n"                                      // 2
          "    FILEVERSION ${PROJECT_VERSION}\n"     // 3
          "    PRODUCTVERSION 1.70000\n"             // 4
          "    VALUE \"Comments\", \"${WHO}\"\n"     // 5
          "}\n"                                      // 6
          "VERSIONINFO\n"                            // 7
          "{\n"                                      // 8
          "}\n");                                    // 9
    const CompilerRun run = Compile("-D PROJECT_VERSION=1.2.3 -o " + scratch.File("out.cpp") + " " + script);
    EXPECT_NE(run.m_nStatus, 0);
    ASSERT_EQ(run.m_lines.size(), 4u) << ::testing::PrintToString(run.m_lines);
    EXPECT_EQ(run.m_lines[0], script + ":4: version part 70000 is outside 0 to 65535");
    EXPECT_EQ(run.m_lines[1], script + ":5: variable ${WHO} is not defined (give it with -D WHO=VALUE)");
    EXPECT_EQ(run.m_lines[2], script + ":7: VERSIONINFO needs a FILEVERSION");
    EXPECT_EQ(run.m_lines[3], script + ":7: a second VERSIONINFO (the first is at line 1)");
}

TEST(Rescomp, AFailedRunLeavesTheEarlierOutputAlone)
{
    CScratchDir scratch;
    const std::string script = scratch.File("strings.rc");
    const std::string output = scratch.File("out.cpp");
    Write(script, "STRINGTABLE\n{\n    1 \"one\"\n}\n");
    ASSERT_EQ(Compile("-o " + output + " " + script).m_nStatus, 0);
    const std::string good = FileText(output);
    EXPECT_NE(good.find(".intonara_rsrc"), std::string::npos);

    Write(script, "STRINGTABLE\n{\n    1 \"one\n}\n");
    EXPECT_EQ(Compile("-o " + output + " " + script).m_nStatus, 1);
    EXPECT_EQ(FileText(output), good);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 2)
        << "no temporary file is left behind";
}

TEST(Rescomp, TheSameScriptGivesTheSameBytes)
{
    CScratchDir scratch;
    const std::string script = kResourceDir + "/ResourceTest.rc";
    ASSERT_EQ(Compile("-o " + scratch.File("a.cpp") + " " + script).m_nStatus, 0);
    ASSERT_EQ(Compile("-o " + scratch.File("b.cpp") + " --depfile " + scratch.File("b.d") + " " + script).m_nStatus, 0);
    const std::string first = FileText(scratch.File("a.cpp"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, FileText(scratch.File("b.cpp")));
    // Every picture the script names is a dependency of the output.
    const std::string depends = FileText(scratch.File("b.d"));
    for (const char* input : {"ResourceTest.rc", "bitmaps/four.bmp", "bitmaps/eight.bmp", "bitmaps/true.bmp",
                              "cursors/test.cursor"}) {
        EXPECT_NE(depends.find(kResourceDir + "/" + input), std::string::npos) << input;
    }
}

TEST(Rescomp, SmallerMistakesEachGetTheirOwnLine)
{
    CScratchDir scratch;
    const std::string script = scratch.File("mistakes.rc");
    Write(script,
          "MENU 1\n"                                                  // 1
          "DIALOG 5, 0, 0, 10, 10\n"                                  // 2
          "    STYLE DS_SETFONT\n"                                    // 3
          "    CAPTION \"a\"\n"                                       // 4
          "    CAPTION \"b\"\n"                                       // 5
          "{\n"                                                       // 6
          "    CONTROL \"\\xff\", 7, \"Edit\", 0, 0, 0, 1, 1\n"       // 7
          "    CONTROL \"x\", 70000, \"Edit\", 0, 0, 0, 1, 1\n"       // 8
          "    CONTROL \"y\", 8, \"Edit\", 0, 0, 0, 1, -1\n"          // 9
          "}\n"                                                       // 10
          "STRINGTABLE\n"                                             // 11
          "{\n"                                                       // 12
          "    1 \"bad \\q\"\n"                                       // 13
          "    2 \"fine\" 3\n"                                        // 14: 3 has no text
          "}\n"                                                       // 15
          "/* not closed\n");                                         // 16
    const CompilerRun run = Compile("-o " + scratch.File("out.cpp") + " " + script);
    EXPECT_EQ(run.m_nStatus, 1);
    const std::vector<std::string> expected = {
        script + ":1: expected STRINGTABLE, DIALOG, BITMAP, CURSOR or VERSIONINFO, found 'MENU'",
        script + ":2: dialog 5 has the style DS_SETFONT but no FONT line",
        script + ":5: CAPTION is given twice for dialog 5 (first at line 4)",
        script + ":7: the control's text is not valid UTF-8",
        script + ":8: control ID 70000 is outside -1 to 65535",
        script + ":9: height -1 is outside 0 to 32767",
        script + ":13: unknown escape \\q in string",
        script + ":14: expected the string's text in double quotes, found the end of the line",
        script + ":16: comment is not closed with */",
    };
    EXPECT_EQ(run.m_lines, expected);
}
