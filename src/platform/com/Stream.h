#pragma once

// Byte streams over memory and over files, for objects that save and load
// their state.

#include "platform/com/Com.h"

inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;

inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;

// Access modes for CreateStreamOnFile.
inline constexpr DWORD STGM_READ = 0x0000;
inline constexpr DWORD STGM_WRITE = 0x0001;
inline constexpr DWORD STGM_READWRITE = 0x0002;
inline constexpr DWORD STGM_CREATE = 0x1000;

struct STATSTG {
    DWORD type;
    ULARGE_INTEGER cbSize;
};

struct IStream : IUnknown {
    // Reads up to cb bytes. S_OK when all cb bytes were read; S_FALSE when
    // fewer were (the end of the stream was reached), with *pcbRead saying
    // how many. A caller that needs exactly cb bytes treats anything but S_OK
    // as a short read.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    // Writes all cb bytes or fails; *pcbWritten says how many went out.
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
    // Moving before the start gives STG_E_INVALIDFUNCTION; moving past the
    // end is allowed and a later write fills the gap with zero bytes.
    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

protected:
    ~IStream() = default;
};

// A growable stream in memory, optionally starting with a copy of
// pInitial/cbInitial, positioned at the start.
HRESULT CreateStreamOnMemory(const void* pInitial, std::size_t cbInitial, IStream** ppStream);

// A stream over a file. STGM_READ opens an existing file for reading;
// STGM_WRITE or STGM_READWRITE open it for writing, and with STGM_CREATE the
// file is created or emptied first. STG_E_FILENOTFOUND when the file is
// missing and STGM_CREATE is not given.
HRESULT CreateStreamOnFile(const char* pszPath, DWORD grfMode, IStream** ppStream);
