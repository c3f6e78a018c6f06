#include "job/GraphSession.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/TextFormat.h"

namespace job {

namespace {

constexpr char kMagic[16] = {'I', 'N', 'T', 'O', 'N', 'A', 'R', 'A', ' ', 'S', 'E', 'S', 'S', 'I', 'O', 'N'};
constexpr size_t kHeaderBytes = sizeof kMagic + 8;  // magic, format, body length
constexpr size_t kChecksumBytes = 4;

class CWriter
{
public:
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_Bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I64(int64_t v)
    {
        U32(static_cast<uint32_t>(static_cast<uint64_t>(v)));
        U32(static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32));
    }
    void Bytes(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_Bytes.insert(m_Bytes.end(), b, b + n);
    }
    std::vector<uint8_t>& Result() { return m_Bytes; }

private:
    std::vector<uint8_t> m_Bytes;
};

class CReader
{
public:
    CReader(const uint8_t* p, size_t n, const std::string& name) : m_p(p), m_n(n), m_sName(name) {}
    uint32_t U32(const char* what)
    {
        Need(4, what);
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(m_p[m_nPos + i]) << (8 * i);
        m_nPos += 4;
        return v;
    }
    int32_t I32(const char* what) { return static_cast<int32_t>(U32(what)); }
    int64_t I64(const char* what)
    {
        const uint64_t lo = U32(what);
        const uint64_t hi = U32(what);
        return static_cast<int64_t>(lo | (hi << 32));
    }
    void Bytes(void* out, size_t n, const char* what)
    {
        Need(n, what);
        std::memcpy(out, m_p + m_nPos, n);
        m_nPos += n;
    }
    size_t Remaining() const { return m_n - m_nPos; }
    [[noreturn]] void Damaged(const std::string& what) const
    {
        ThrowFailure(m_sName + " is damaged: " + what);
    }

private:
    void Need(size_t n, const char* what) const
    {
        if (m_n - m_nPos < n)
            Damaged(std::string("its ") + what + " runs past its end");
    }
    const uint8_t* m_p;
    size_t m_n;
    size_t m_nPos = 0;
    const std::string& m_sName;
};

} // namespace

uint32_t SessionChecksum(const uint8_t* data, size_t size)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> EncodeSession(const GraphSession& s)
{
    CWriter body;
    body.U32(static_cast<uint32_t>(s.sSourcePath.size()));
    body.Bytes(s.sSourcePath.data(), s.sSourcePath.size());
    body.I64(s.nSourceFrames);
    body.I32(s.nSampleRate);
    body.I64(s.nSourceBytes);
    body.U32(kSessionParameters);
    for (int32_t v : s.parameters)
        body.I32(v);
    body.I32(s.nTrackedFrames);
    body.U32(static_cast<uint32_t>(s.records.size() / 5));
    for (size_t i = 0; i < s.records.size() / 5 * 5; ++i)
        body.U32(s.records[i]);
    body.U32(static_cast<uint32_t>(s.viewState.size()));
    body.Bytes(s.viewState.data(), s.viewState.size());

    CWriter file;
    file.Bytes(kMagic, sizeof kMagic);
    file.U32(kSessionFormat);
    file.U32(static_cast<uint32_t>(body.Result().size()));
    file.Bytes(body.Result().data(), body.Result().size());
    file.U32(SessionChecksum(file.Result().data(), file.Result().size()));
    return file.Result();
}

GraphSession DecodeSession(const std::vector<uint8_t>& bytes, const std::string& name)
{
    if (bytes.size() < kHeaderBytes + kChecksumBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        ThrowFailure(name + " is not an Intonara session file");
    CReader header(bytes.data() + sizeof kMagic, 8, name);
    const uint32_t format = header.U32("header");
    const uint32_t bodyBytes = header.U32("header");
    if (format > kSessionFormat)
        ThrowFailure(Printf("%s was written by a newer Intonara (session format %u; this one reads format %u)",
                            name.c_str(), format, kSessionFormat));
    if (format == 0)
        ThrowFailure(name + " is damaged: its format number is 0");
    const uint64_t expected = kHeaderBytes + static_cast<uint64_t>(bodyBytes) + kChecksumBytes;
    if (bytes.size() < expected)
        ThrowFailure(Printf("%s is truncated: it has %zu bytes where its header announces %llu", name.c_str(),
                            bytes.size(), static_cast<unsigned long long>(expected)));
    if (bytes.size() > expected)
        ThrowFailure(Printf("%s is damaged: %llu bytes follow its end", name.c_str(),
                            static_cast<unsigned long long>(bytes.size() - expected)));
    CReader tail(bytes.data() + expected - kChecksumBytes, kChecksumBytes, name);
    if (tail.U32("checksum") != SessionChecksum(bytes.data(), expected - kChecksumBytes))
        ThrowFailure(name + " is damaged: its checksum does not match its contents");

    GraphSession s;
    CReader in(bytes.data() + kHeaderBytes, bodyBytes, name);
    const uint32_t pathBytes = in.U32("source path");
    if (pathBytes > in.Remaining())
        in.Damaged("its source path runs past its end");
    s.sSourcePath.resize(pathBytes);
    in.Bytes(s.sSourcePath.data(), pathBytes, "source path");
    s.nSourceFrames = in.I64("source length");
    s.nSampleRate = in.I32("sample rate");
    s.nSourceBytes = in.I64("source size");
    if (s.nSampleRate <= 0 || s.nSourceFrames < 0 || s.nSourceBytes < 0)
        in.Damaged("its source file's length or rate is impossible");
    if (in.U32("settings") != kSessionParameters)
        in.Damaged("it does not hold the 34 settings");
    for (int32_t& v : s.parameters)
        v = in.I32("settings");
    s.nTrackedFrames = in.I32("tracked length");
    const uint32_t records = in.U32("track records");
    if (records > in.Remaining() / 20)
        in.Damaged("its track records run past its end");
    if (s.nTrackedFrames < 0 || static_cast<uint32_t>(s.nTrackedFrames) > records)
        in.Damaged("it counts more tracked frames than it holds records");
    s.records.resize(static_cast<size_t>(records) * 5);
    for (uint32_t& word : s.records)
        word = in.U32("track records");
    const uint32_t stateBytes = in.U32("curves");
    if (stateBytes != in.Remaining())
        in.Damaged("its curves do not fill the rest of it");
    s.viewState.resize(stateBytes);
    in.Bytes(s.viewState.data(), stateBytes, "curves");
    return s;
}

GraphSession ReadSession(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        ThrowFailure("cannot open the session " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        ThrowFailure("cannot read the session " + path);
    return DecodeSession(bytes, path);
}

void WriteSession(const GraphSession& session, const std::string& path)
{
    const std::vector<uint8_t> bytes = EncodeSession(session);
    CPendingOutput output(path);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(output.Descriptor(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ThrowFailure("cannot write " + output.TemporaryPath() + ": " + std::strerror(errno));
        done += static_cast<size_t>(n);
    }
    output.Commit();
}

} // namespace job
