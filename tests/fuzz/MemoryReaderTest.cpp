// The sound-file target reads its input through the tool's reader opened
// over memory; that reader must see exactly what the reader of a file on
// disk sees, or the fuzzing would be of a different path.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "job/JobError.h"
#include "job/SoundIo.h"

namespace {

std::filesystem::path Seed(const std::string& name)
{
    const char* source = std::getenv("INTONARA_SOURCE_DIR");
    return std::filesystem::path(source != nullptr ? source : ".") / "tests" / "fuzz" / "corpus" / "fuzz_sound_file" /
           name;
}

std::vector<char> Bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(MemoryReader, SeesWhatTheFileReaderSees)
{
    for (const char* name : {"mono-16bit.wav", "mono-float.wav", "stereo-16bit.wav", "mono-aiff.aiff"}) {
        SCOPED_TRACE(name);
        const std::vector<char> bytes = Bytes(Seed(name));
        ASSERT_FALSE(bytes.empty());
        job::CSoundReader fromDisk(Seed(name).string());
        job::CSoundReader fromMemory(bytes.data(), static_cast<int64_t>(bytes.size()), name);
        const job::SoundFormat& a = fromDisk.Format();
        const job::SoundFormat& b = fromMemory.Format();
        EXPECT_EQ(b.nChannels, a.nChannels);
        EXPECT_EQ(b.nFormat, a.nFormat);
        EXPECT_EQ(b.nSampleRate, a.nSampleRate);
        EXPECT_EQ(b.nFrames, a.nFrames);
        ASSERT_GT(a.nFrames, 0);

        // Read in odd-sized pieces, so that the reads and seeks the library
        // makes through the memory callbacks are not all aligned.
        std::vector<float> disk, memory;
        std::vector<float> piece(static_cast<size_t>(a.nChannels) * 333);
        for (int64_t n; (n = fromDisk.ReadFloat(piece.data(), 333)) > 0;)
            disk.insert(disk.end(), piece.begin(), piece.begin() + n * a.nChannels);
        for (int64_t n; (n = fromMemory.ReadFloat(piece.data(), 333)) > 0;)
            memory.insert(memory.end(), piece.begin(), piece.begin() + n * a.nChannels);
        EXPECT_EQ(disk.size(), static_cast<size_t>(a.nFrames * a.nChannels));
        EXPECT_TRUE(memory == disk);
    }
}

TEST(MemoryReader, RefusesWhatIsNotASoundFileNamingIt)
{
    for (const char* name : {"not-audio.wav", "truncated-header.wav"}) {
        SCOPED_TRACE(name);
        const std::vector<char> bytes = Bytes(Seed(name));
        try {
            job::CSoundReader reader(bytes.data(), static_cast<int64_t>(bytes.size()), name);
            ADD_FAILURE() << "accepted";
        } catch (const job::CJobError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
    }
    try {
        job::CSoundReader reader(nullptr, 0, "nothing.wav");
        ADD_FAILURE() << "an empty buffer was accepted";
    } catch (const job::CJobError& e) {
        EXPECT_NE(std::string(e.what()).find("nothing.wav"), std::string::npos) << e.what();
    }
}
