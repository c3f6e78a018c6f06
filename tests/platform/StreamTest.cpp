// Byte streams over memory and files: the same reading, writing and seeking
// rules for both, and the failures particular to files.

#include "platform/com/Stream.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

LARGE_INTEGER Offset(LONGLONG value)
{
    return LARGE_INTEGER{value};
}

struct CStreamKind {
    const char* m_pName;
    std::function<HRESULT(const CScratchDir&, IStream**)> m_create;
};

class StreamSemantics : public ::testing::TestWithParam<CStreamKind> {
protected:
    CComPtr<IStream> Create()
    {
        CComPtr<IStream> pStream;
        EXPECT_EQ(GetParam().m_create(m_dir, pStream.GetAddressOf()), S_OK);
        return pStream;
    }
    CScratchDir m_dir;
};

const BYTE kBytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

} // namespace

TEST_P(StreamSemantics, ShortReadsAreReportedAsSFalseWithTheCount)
{
    CComPtr<IStream> pStream = Create();
    ULONG cb = 0;
    ASSERT_EQ(pStream->Write(kBytes, sizeof kBytes, &cb), S_OK);
    EXPECT_EQ(cb, 10u);
    ASSERT_EQ(pStream->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);

    BYTE buffer[20] = {};
    EXPECT_EQ(pStream->Read(buffer, 4, &cb), S_OK);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(buffer[3], 4);
    // Asking for more than is left: the rest arrives and the shortfall shows.
    EXPECT_EQ(pStream->Read(buffer, 20, &cb), S_FALSE);
    EXPECT_EQ(cb, 6u);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[5], 10);
    EXPECT_EQ(pStream->Read(buffer, 1, &cb), S_FALSE);
    EXPECT_EQ(cb, 0u);
}

TEST_P(StreamSemantics, SeekFromEveryOriginAndStat)
{
    CComPtr<IStream> pStream = Create();
    pStream->Write(kBytes, sizeof kBytes, nullptr);
    ULARGE_INTEGER position{};
    ASSERT_EQ(pStream->Seek(Offset(-3), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 7u);
    ASSERT_EQ(pStream->Seek(Offset(-2), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 5u);
    BYTE value = 0;
    pStream->Read(&value, 1, nullptr);
    EXPECT_EQ(value, 6);

    EXPECT_EQ(pStream->Seek(Offset(-1), STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(pStream->Seek(Offset(0), 7, &position), STG_E_INVALIDFUNCTION);

    STATSTG stat{};
    ASSERT_EQ(pStream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 10u);
}

TEST_P(StreamSemantics, WritingPastTheEndFillsTheGapWithZeros)
{
    CComPtr<IStream> pStream = Create();
    pStream->Write(kBytes, 2, nullptr);
    pStream->Seek(Offset(5), STREAM_SEEK_SET, nullptr);
    pStream->Write(kBytes, 1, nullptr);
    pStream->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    BYTE buffer[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ULONG cb = 0;
    EXPECT_EQ(pStream->Read(buffer, 6, &cb), S_OK);
    const BYTE expected[6] = {1, 2, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 6), std::vector<BYTE>(expected, expected + 6));

    ULARGE_INTEGER size{3};
    ASSERT_EQ(pStream->SetSize(size), S_OK);
    STATSTG stat{};
    pStream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, StreamSemantics,
    ::testing::Values(
        CStreamKind{"Memory", [](const CScratchDir&, IStream** pp) { return CreateStreamOnMemory(nullptr, 0, pp); }},
        CStreamKind{"File",
                    [](const CScratchDir& dir, IStream** pp) {
                        return CreateStreamOnFile(dir.File("stream.bin").c_str(), STGM_READWRITE | STGM_CREATE, pp);
                    }}),
    [](const ::testing::TestParamInfo<CStreamKind>& info) { return std::string(info.param.m_pName); });

TEST(MemoryStream, StartsWithACopyOfTheInitialBytes)
{
    BYTE initial[3] = {7, 8, 9};
    CComPtr<IStream> pStream;
    ASSERT_EQ(CreateStreamOnMemory(initial, sizeof initial, pStream.GetAddressOf()), S_OK);
    initial[0] = 0;
    BYTE buffer[3] = {};
    ULONG cb = 0;
    EXPECT_EQ(pStream->Read(buffer, 3, &cb), S_OK);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[2], 9);
}

TEST(FileStream, ContentSurvivesReopeningAndAccessIsEnforced)
{
    CScratchDir dir;
    const std::string path = dir.File("saved.bin");
    {
        CComPtr<IStream> pStream;
        ASSERT_EQ(CreateStreamOnFile(path.c_str(), STGM_WRITE | STGM_CREATE, pStream.GetAddressOf()), S_OK);
        ASSERT_EQ(pStream->Write(kBytes, sizeof kBytes, nullptr), S_OK);
        EXPECT_EQ(pStream->Commit(0), S_OK);
    }
    const std::string onDisk = FileText(path);
    ASSERT_EQ(onDisk.size(), sizeof kBytes);
    EXPECT_EQ(onDisk[9], 10);

    CComPtr<IStream> pReader;
    ASSERT_EQ(CreateStreamOnFile(path.c_str(), STGM_READ, pReader.GetAddressOf()), S_OK);
    ULONG cb = 0;
    EXPECT_EQ(pReader->Write(kBytes, 1, &cb), STG_E_ACCESSDENIED);
    EXPECT_EQ(cb, 0u);
    BYTE buffer[10] = {};
    EXPECT_EQ(pReader->Read(buffer, 10, &cb), S_OK);
    EXPECT_EQ(buffer[0], 1);

    CComPtr<IStream> pMissing;
    EXPECT_EQ(CreateStreamOnFile(dir.File("missing.bin").c_str(), STGM_READ, pMissing.GetAddressOf()),
              STG_E_FILENOTFOUND);
    EXPECT_EQ(CreateStreamOnFile(dir.File("missing.bin").c_str(), STGM_READ | STGM_CREATE, pMissing.GetAddressOf()),
              STG_E_INVALIDFLAG);
}
