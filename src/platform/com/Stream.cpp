#include "platform/com/Stream.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where a seek lands, or false when it would land before the start.
bool SeekTarget(LONGLONG current, LONGLONG size, LARGE_INTEGER move, DWORD origin, LONGLONG* pTarget)
{
    LONGLONG base = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        base = 0;
        break;
    case STREAM_SEEK_CUR:
        base = current;
        break;
    case STREAM_SEEK_END:
        base = size;
        break;
    default:
        return false;
    }
    if ((move.QuadPart > 0 && base > std::numeric_limits<LONGLONG>::max() - move.QuadPart) ||
        base + move.QuadPart < 0) {
        return false;
    }
    *pTarget = base + move.QuadPart;
    return true;
}

class CMemoryStream final : public CUnknown, public IStream {
public:
    CMemoryStream(const void* pInitial, std::size_t cb)
        : CUnknown("Memory stream", nullptr)
    {
        if (pInitial != nullptr && cb > 0) {
            const BYTE* bytes = static_cast<const BYTE*>(pInitial);
            m_data.assign(bytes, bytes + cb);
        }
    }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IStream) {
            return GetInterface(static_cast<IStream*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (pcbRead != nullptr) {
            *pcbRead = 0;
        }
        if (pv == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard lock(m_mutex);
        const std::size_t size = m_data.size();
        const std::size_t available = m_nPosition < size ? size - m_nPosition : 0;
        const std::size_t count = cb < available ? cb : available;
        if (count > 0) {
            std::memcpy(pv, m_data.data() + m_nPosition, count);
        }
        m_nPosition += count;
        if (pcbRead != nullptr) {
            *pcbRead = static_cast<ULONG>(count);
        }
        return count == cb ? S_OK : S_FALSE;
    }

    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten != nullptr) {
            *pcbWritten = 0;
        }
        if (pv == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard lock(m_mutex);
        try {
            if (m_data.size() < m_nPosition + cb) {
                m_data.resize(m_nPosition + cb);
            }
        } catch (const std::exception&) {
            return STG_E_MEDIUMFULL;
        }
        if (cb > 0) {
            std::memcpy(m_data.data() + m_nPosition, pv, cb);
        }
        m_nPosition += cb;
        if (pcbWritten != nullptr) {
            *pcbWritten = cb;
        }
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pNew) override
    {
        std::lock_guard lock(m_mutex);
        LONGLONG target = 0;
        if (!SeekTarget(static_cast<LONGLONG>(m_nPosition), static_cast<LONGLONG>(m_data.size()), move, origin,
                        &target)) {
            return STG_E_INVALIDFUNCTION;
        }
        m_nPosition = static_cast<std::size_t>(target);
        if (pNew != nullptr) {
            pNew->QuadPart = static_cast<ULONGLONG>(target);
        }
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        std::lock_guard lock(m_mutex);
        try {
            m_data.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::exception&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }

    HRESULT Commit(DWORD) override { return S_OK; }

    HRESULT Stat(STATSTG* pStat, DWORD) override
    {
        if (pStat == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard lock(m_mutex);
        pStat->type = STGTY_STREAM;
        pStat->cbSize.QuadPart = m_data.size();
        return S_OK;
    }

private:
    std::mutex m_mutex;
    std::vector<BYTE> m_data;
    std::size_t m_nPosition = 0;
};

class CFileStream final : public CUnknown, public IStream {
public:
    CFileStream(int fd, bool bWritable) : CUnknown("File stream", nullptr), m_fd(fd), m_bWritable(bWritable) {}
    ~CFileStream() override { ::close(m_fd); }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IStream) {
            return GetInterface(static_cast<IStream*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (pcbRead != nullptr) {
            *pcbRead = 0;
        }
        if (pv == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard lock(m_mutex);
        ULONG done = 0;
        while (done < cb) {
            const ssize_t n = ::read(m_fd, static_cast<char*>(pv) + done, cb - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return STG_E_READFAULT;
            }
            if (n == 0) {
                break;
            }
            done += static_cast<ULONG>(n);
        }
        if (pcbRead != nullptr) {
            *pcbRead = done;
        }
        return done == cb ? S_OK : S_FALSE;
    }

    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten != nullptr) {
            *pcbWritten = 0;
        }
        if (pv == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        if (!m_bWritable) {
            return STG_E_ACCESSDENIED;
        }
        std::lock_guard lock(m_mutex);
        ULONG done = 0;
        while (done < cb) {
            const ssize_t n = ::write(m_fd, static_cast<const char*>(pv) + done, cb - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                if (pcbWritten != nullptr) {
                    *pcbWritten = done;
                }
                return (errno == ENOSPC || errno == EFBIG) ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
            }
            done += static_cast<ULONG>(n);
        }
        if (pcbWritten != nullptr) {
            *pcbWritten = done;
        }
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pNew) override
    {
        std::lock_guard lock(m_mutex);
        struct stat st {};
        const off_t current = ::lseek(m_fd, 0, SEEK_CUR);
        if (current < 0 || ::fstat(m_fd, &st) != 0) {
            return STG_E_SEEKERROR;
        }
        LONGLONG target = 0;
        if (!SeekTarget(current, st.st_size, move, origin, &target)) {
            return STG_E_INVALIDFUNCTION;
        }
        if (::lseek(m_fd, static_cast<off_t>(target), SEEK_SET) < 0) {
            return STG_E_SEEKERROR;
        }
        if (pNew != nullptr) {
            pNew->QuadPart = static_cast<ULONGLONG>(target);
        }
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        if (!m_bWritable) {
            return STG_E_ACCESSDENIED;
        }
        std::lock_guard lock(m_mutex);
        return ::ftruncate(m_fd, static_cast<off_t>(size.QuadPart)) == 0 ? S_OK : STG_E_MEDIUMFULL;
    }

    HRESULT Commit(DWORD) override
    {
        std::lock_guard lock(m_mutex);
        if (m_bWritable && ::fsync(m_fd) != 0 && errno != EINVAL) {
            return STG_E_WRITEFAULT;
        }
        return S_OK;
    }

    HRESULT Stat(STATSTG* pStat, DWORD) override
    {
        if (pStat == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::lock_guard lock(m_mutex);
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) {
            return STG_E_ACCESSDENIED;
        }
        pStat->type = STGTY_STREAM;
        pStat->cbSize.QuadPart = static_cast<ULONGLONG>(st.st_size);
        return S_OK;
    }

private:
    std::mutex m_mutex;
    const int m_fd;
    const bool m_bWritable;
};

HRESULT HandOut(IStream* pStream, IStream** ppStream)
{
    pStream->AddRef();
    *ppStream = pStream;
    return S_OK;
}

} // namespace

HRESULT CreateStreamOnMemory(const void* pInitial, std::size_t cbInitial, IStream** ppStream)
{
    if (ppStream == nullptr) {
        return E_POINTER;
    }
    *ppStream = nullptr;
    CMemoryStream* pStream = new (std::nothrow) CMemoryStream(pInitial, cbInitial);
    if (pStream == nullptr) {
        return E_OUTOFMEMORY;
    }
    return HandOut(pStream, ppStream);
}

HRESULT CreateStreamOnFile(const char* pszPath, DWORD grfMode, IStream** ppStream)
{
    if (ppStream == nullptr || pszPath == nullptr) {
        return E_POINTER;
    }
    *ppStream = nullptr;
    const DWORD access = grfMode & 0x3;
    if (access > STGM_READWRITE || (grfMode & ~(0x3u | STGM_CREATE)) != 0) {
        return STG_E_INVALIDFLAG;
    }
    const bool bWritable = access != STGM_READ;
    int flags = O_CLOEXEC;
    flags |= access == STGM_READ ? O_RDONLY : (access == STGM_WRITE ? O_WRONLY : O_RDWR);
    if ((grfMode & STGM_CREATE) != 0) {
        if (!bWritable) {
            return STG_E_INVALIDFLAG;
        }
        flags |= O_CREAT | O_TRUNC;
    }
    const int fd = ::open(pszPath, flags, 0666);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return STG_E_FILENOTFOUND;
        }
        return STG_E_ACCESSDENIED;
    }
    CFileStream* pStream = new (std::nothrow) CFileStream(fd, bWritable);
    if (pStream == nullptr) {
        ::close(fd);
        return E_OUTOFMEMORY;
    }
    return HandOut(pStream, ppStream);
}
