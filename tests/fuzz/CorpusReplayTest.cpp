// Every committed fuzz input, seeds and the inputs that once crashed a
// target, run through the same target code in the ordinary build, so that
// `make test` keeps them passing without libFuzzer. A target signals a
// fault by aborting, which ends this program and fails the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The targets' entry points, renamed at compile time (see CMakeLists.txt).
extern "C" int FuzzEngineBlocksEntry(const uint8_t* pData, size_t nSize);
extern "C" int FuzzSetParameterEntry(const uint8_t* pData, size_t nSize);
extern "C" int FuzzSoundFileEntry(const uint8_t* pData, size_t nSize);
extern "C" int FuzzSettingsStreamEntry(const uint8_t* pData, size_t nSize);

namespace {

using Entry = int (*)(const uint8_t*, size_t);

std::vector<std::filesystem::path> CorpusFiles(const std::string& target)
{
    const char* source = std::getenv("INTONARA_SOURCE_DIR");
    const std::filesystem::path folder =
        std::filesystem::path(source != nullptr ? source : ".") / "tests" / "fuzz" / "corpus" / target;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(folder)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Runs every input of the target's corpus; returns how many there were.
size_t Replay(const std::string& target, Entry entry)
{
    const std::vector<std::filesystem::path> files = CorpusFiles(target);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
    }
    return files.size();
}

} // namespace

TEST(FuzzCorpus, EngineBlocks)
{
    EXPECT_GT(Replay("fuzz_engine_blocks", FuzzEngineBlocksEntry), 0u);
}

TEST(FuzzCorpus, SetParameterSequences)
{
    EXPECT_GT(Replay("fuzz_set_parameter", FuzzSetParameterEntry), 0u);
}

TEST(FuzzCorpus, SoundFiles)
{
    EXPECT_GT(Replay("fuzz_sound_file", FuzzSoundFileEntry), 0u);
}

TEST(FuzzCorpus, SettingsStreams)
{
    EXPECT_GT(Replay("fuzz_settings_stream", FuzzSettingsStreamEntry), 0u);
}
