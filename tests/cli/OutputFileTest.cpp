// The output appears whole or not at all, and the input is never the output.

#include "CliTestSupport.h"

#include <sys/stat.h>

#include <fstream>

#include "job/JobError.h"
#include "job/OutputFile.h"

namespace {

class OutputFileTest : public clitest::ScratchTest
{
protected:
    void Put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    void Write(int fd, const std::string& text)
    {
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    int Refusal(const std::string& in, const std::string& out)
    {
        try {
            job::CheckInputAndOutput(in, out);
        } catch (const job::CJobError& e) {
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
            return e.ExitCode();
        }
        return 0;
    }
};

} // namespace

TEST_F(OutputFileTest, AbandonedOutputLeavesNothingAndACommitRenamesTheHiddenTemporaryIntoPlace)
{
    const std::string out = Path("out.wav");
    Put(out, "old");
    {
        job::CPendingOutput pending(out);
        Write(pending.Descriptor(), "half-written");
    }
    EXPECT_EQ(clitest::ReadBytes(out), "old");
    EXPECT_EQ(Listing(), std::vector<std::string>{"out.wav"});
    // Into a directory that does not exist: nothing to create, nothing left.
    EXPECT_THROW(job::CPendingOutput(Path("nowhere/out.wav")), job::CJobError);
    EXPECT_EQ(Listing(), std::vector<std::string>{"out.wav"});

    {
        job::CPendingOutput pending(out);
        const clitest::fs::path temp(pending.TemporaryPath());
        EXPECT_EQ(temp.parent_path(), m_Dir);
        EXPECT_EQ(temp.filename().string()[0], '.');
        Write(pending.Descriptor(), "new contents");
        EXPECT_EQ(clitest::ReadBytes(out), "old"); // untouched until the commit
        pending.Commit();
    }
    EXPECT_EQ(clitest::ReadBytes(out), "new contents");
    EXPECT_EQ(Listing(), std::vector<std::string>{"out.wav"});
}

TEST_F(OutputFileTest, PermissionsAreThoseOfANewFileOrOfTheReplacedOne)
{
    const mode_t saved = ::umask(022);
    const std::string fresh = Path("fresh.wav"), kept = Path("kept.wav");
    Put(kept, "old");
    ::chmod(kept.c_str(), 0600);
    for (const std::string& out : {fresh, kept}) {
        job::CPendingOutput pending(out);
        pending.Commit();
    }
    ::umask(saved);
    struct stat st{};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(OutputFileTest, TheInputUnderAnyNameIsRefused)
{
    const std::string in = Path("in.wav");
    Put(in, "input");
    clitest::fs::create_symlink(in, Path("link.wav"));
    clitest::fs::create_hard_link(in, Path("hard.wav"));
    clitest::fs::create_directory(Path("dir"));

    EXPECT_EQ(Refusal(in, in), 2);
    EXPECT_EQ(Refusal(in, (m_Dir / "." / "in.wav").string()), 2);
    EXPECT_EQ(Refusal(in, Path("link.wav")), 2);
    EXPECT_EQ(Refusal(in, Path("hard.wav")), 2);
    EXPECT_EQ(Refusal(Path("link.wav"), in), 2);
    EXPECT_EQ(Refusal(in, Path("dir")), 2);
    // Renaming over a pipe or a device would replace it with a plain file.
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(Refusal(in, Path("pipe")), 2);
    EXPECT_EQ(Refusal(in, "/dev/null"), 2);
    EXPECT_EQ(Refusal(Path("missing.wav"), Path("out.wav")), 1);
    EXPECT_EQ(Refusal(Path("dir"), Path("out.wav")), 1);
    EXPECT_EQ(Refusal(in, Path("out.wav")), 0);
    EXPECT_EQ(clitest::ReadBytes(in), "input");
}
