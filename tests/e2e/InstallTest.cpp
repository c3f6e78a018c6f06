// "make install" as a user runs it, into a scratch prefix and home: the
// layout, the installed tool running without any environment variable, a
// copy of it made elsewhere, the manual page, and "make uninstall".

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <set>
#include <string>

#include "cli/CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

class Install : public clitest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_Home = m_Dir / "home";
        m_Prefix = m_Home / ".local";
        fs::create_directories(m_Home);
        // The children's environment: a home of the test's own, nothing
        // that names the module or the bundle's folder.
        ::setenv("HOME", m_Home.c_str(), 1);
        ::unsetenv("INTONARA_MODULE");
        ::unsetenv("LV2_INSTALL_DIR");
    }

    clitest::ProgramResult CMake(const std::vector<std::string>& arguments)
    {
        return clitest::RunProgram(INTONARA_CMAKE_COMMAND, arguments);
    }

    fs::path m_Home;
    fs::path m_Prefix;
};

} // namespace

TEST_F(Install, InstalledToolRunsFromItsPrefixAndUninstallRemovesIt)
{
    // The default prefix, ~/.local: its LV2 bundle goes where hosts look.
    const clitest::ProgramResult installed = CMake({"--install", INTONARA_BUILD_DIR, "--prefix", m_Prefix.string()});
    ASSERT_EQ(installed.nStatus, 0) << installed.sOut << installed.sErr;
    const fs::path tool = m_Prefix / "bin" / "intonara";
    const std::vector<fs::path> files = {tool, m_Prefix / "lib" / "intonara" / "intonara-filter.so",
                                         m_Prefix / "share" / "man" / "man1" / "intonara.1"};
    for (const fs::path& file : files)
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
#ifdef INTONARA_HAS_GUI
    // The desktop app, and a menu entry whose program and icon are there.
    const std::vector<fs::path> desktop = {m_Prefix / "bin" / "intonara-gui",
                                           m_Prefix / "share" / "applications" / "intonara.desktop",
                                           m_Prefix / "share" / "icons" / "hicolor" / "64x64" / "apps" / "intonara.png"};
    for (const fs::path& file : desktop)
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    const std::string entry = clitest::ReadBytes(desktop[1].string());
    EXPECT_NE(entry.find("\nExec=intonara-gui %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=intonara\n"), std::string::npos) << entry;
    EXPECT_EQ(clitest::ReadBytes(desktop[2].string()).substr(1, 3), "PNG");
#endif
    EXPECT_TRUE(fs::status(tool).permissions() != fs::perms::none &&
                (fs::status(tool).permissions() & fs::perms::owner_exec) != fs::perms::none);
#ifdef INTONARA_HAS_LV2
    for (const char* name : {"manifest.ttl", "intonara.ttl", "presets.ttl", "intonara.so"})
        EXPECT_TRUE(fs::is_regular_file(m_Home / ".lv2" / "intonara.lv2" / name)) << name;
#endif

    // The installed tool, with no environment variable naming its module,
    // corrects exactly as the build tree's does.
    const std::string in = Path("in.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, clitest::FadedTone(44100, 227.0, 0.2));
    const clitest::ProgramResult run = clitest::RunProgram(tool.string(), {"correct", in, "-o", Path("a.wav")});
    ASSERT_EQ(run.nStatus, 0) << run.sErr;
    const clitest::ProgramResult built = clitest::RunProgram(
        (clitest::OwnDirectory() / "intonara").string(), {"correct", in, "-o", Path("b.wav"), "--quiet"});
    ASSERT_EQ(built.nStatus, 0) << built.sErr;
    EXPECT_EQ(clitest::ReadSound(Path("a.wav")).floats, clitest::ReadSound(Path("b.wav")).floats);

    // A copy of the tool alone, elsewhere, finds the module in ~/.local.
    fs::create_directories(m_Dir / "elsewhere");
    const fs::path copy = m_Dir / "elsewhere" / "intonara";
    fs::copy_file(tool, copy);
    const clitest::ProgramResult copied = clitest::RunProgram(copy.string(), {"correct", in, "-o", Path("c.wav")});
    EXPECT_EQ(copied.nStatus, 0) << copied.sErr;

    // The manual page documents every option the tool's help lists.
    const std::string page = clitest::ReadBytes(files[2].string());
    EXPECT_EQ(page.rfind(".TH INTONARA 1", 0), 0u);
    std::set<std::string> options;
    for (const char* sub : {"correct", "notes"}) {
        const std::string help = clitest::RunProgram(tool.string(), {sub, "--help"}).sOut;
        // Every "--name" in it.
        for (size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
            size_t end = at + 2;
            while (end < help.size() && (std::islower(static_cast<unsigned char>(help[end])) ||
                                         std::isdigit(static_cast<unsigned char>(help[end])) || help[end] == '-'))
                ++end;
            if (end > at + 2)
                options.insert(help.substr(at, end - at));
        }
    }
    EXPECT_GT(options.size(), 15u);
    for (std::string option : options) {
        std::string roff;
        for (char c : option)
            roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(page.find(roff), std::string::npos) << option;
    }

    const clitest::ProgramResult removed =
        CMake({"-DPREFIX=" + m_Prefix.string(), "-P", std::string(INTONARA_SOURCE_TREE) + "/cmake/Uninstall.cmake"});
    ASSERT_EQ(removed.nStatus, 0) << removed.sErr;
    for (const fs::path& file : files)
        EXPECT_FALSE(fs::exists(file)) << file;
#ifdef INTONARA_HAS_GUI
    for (const fs::path& file : desktop)
        EXPECT_FALSE(fs::exists(file)) << file;
#endif
    EXPECT_FALSE(fs::exists(m_Prefix / "lib" / "intonara"));
    EXPECT_FALSE(fs::exists(m_Home / ".lv2" / "intonara.lv2"));

    // Now the copy has nothing to find, and says where it looked (unless
    // the build's own prefix holds an installation of its own).
    if (!fs::exists(std::string(INTONARA_INSTALL_PREFIX) + "/lib/intonara/intonara-filter.so")) {
        const clitest::ProgramResult lost = clitest::RunProgram(copy.string(), {"correct", in, "-o", Path("d.wav")});
        EXPECT_EQ(lost.nStatus, 1);
        EXPECT_NE(lost.sErr.find("cannot find the plug-in module"), std::string::npos) << lost.sErr;
        EXPECT_NE(lost.sErr.find((m_Prefix / "lib" / "intonara").string()), std::string::npos) << lost.sErr;
    }
}

TEST_F(Install, AnyOtherPrefixKeepsTheBundleUnderIt)
{
    const fs::path prefix = m_Dir / "opt";
    const clitest::ProgramResult installed = CMake({"--install", INTONARA_BUILD_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(installed.nStatus, 0) << installed.sErr;
    EXPECT_TRUE(fs::is_regular_file(prefix / "bin" / "intonara"));
#ifdef INTONARA_HAS_LV2
    EXPECT_TRUE(fs::is_regular_file(prefix / "lib" / "lv2" / "intonara.lv2" / "manifest.ttl"));
#endif
    EXPECT_FALSE(fs::exists(m_Home / ".lv2"));
    // The whole installation moved elsewhere still works: the tool looks
    // beside itself first.
    fs::rename(prefix, m_Dir / "moved");
    const std::string in = Path("in.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 22050, clitest::FadedTone(22050, 300.0, 0.1));
    const clitest::ProgramResult run =
        clitest::RunProgram((m_Dir / "moved" / "bin" / "intonara").string(), {"correct", in, "-o", Path("o.wav")});
    EXPECT_EQ(run.nStatus, 0) << run.sErr;
}
