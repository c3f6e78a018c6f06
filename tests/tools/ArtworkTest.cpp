// The module's pictures are generated: the committed files under resources/
// must be exactly what tools/artwork draws, and every picture the resource
// script names must come from it.

#include "artwork/Artwork.h"
#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path ResourcesDir()
{
    const char* source = std::getenv("INTONARA_SOURCE_DIR");
    return fs::path(source != nullptr ? source : ".") / "resources";
}

using clitest::ReadBytes;

TEST(Artwork, TheCommittedFilesAreWhatTheGeneratorDrawsAndWhatTheScriptNames)
{
    const auto files = artwork::DrawArtwork();
    ASSERT_EQ(files.size(), 25u) << "21 bitmaps and 4 cursors";
    std::set<std::string> generated;
    for (const artwork::ArtworkFile& file : files) {
        const fs::path path = ResourcesDir() / file.m_strPath;
        ASSERT_TRUE(fs::exists(path)) << path;
        EXPECT_TRUE(ReadBytes(path) == file.m_strBytes)
            << path << " differs: run build/bin/intonara-artwork -o resources and commit the result";
        generated.insert(file.m_strPath);
    }
    // Lines of the form: BITMAP|CURSOR <number> "<file>"
    std::set<std::string> referenced;
    std::istringstream lines(ReadBytes(ResourcesDir() / "intonara.rc"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind, name;
        int number = 0;
        if ((words >> kind) && (kind == "BITMAP" || kind == "CURSOR") && (words >> number >> std::quoted(name)))
            referenced.insert(name);
    }
    EXPECT_EQ(referenced, generated);
}

TEST(Artwork, TheProgramWritesTheFilesAndChecksThem)
{
    const fs::path dir = fs::temp_directory_path() / ("intonara-artwork-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    auto run = [](const std::string& args) {
        const int status = std::system((std::string(INTONARA_ARTWORK_EXE) + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--check -o " + dir.string()), 1) << "nothing written yet";
    EXPECT_EQ(run("-o " + dir.string()), 0);
    EXPECT_EQ(run("--check -o " + dir.string()), 0);
    std::ofstream(dir / "cursors" / "zoom.cursor", std::ios::app) << "\n// touched\n";
    EXPECT_EQ(run("--check -o " + dir.string()), 1);
    EXPECT_EQ(run("--no-such-option"), 109) << "CLI11 reports an unknown option";
    fs::remove_all(dir);
}

}  // namespace
