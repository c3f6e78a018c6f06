#pragma once

// The data side of bitmap and cursor resources. The drawing layer makes an
// HBITMAP from a BitmapResourceData (LoadBitmapA, the shell's
// LoadDIBitmap), the window layer an HCURSOR from a CursorResourceImage
// (LoadCursorA with a module handle).

#include "platform/resources/Resources.h"

#include <vector>

// A device-independent bitmap as the resource holds it, inside the
// module's image.
struct BitmapResourceData {
    // The 40-byte BITMAPINFOHEADER followed by the colour table: what
    // CreateDIBitmap takes as its BITMAPINFO.
    const BYTE* m_pInfo = nullptr;
    DWORD m_cbInfo = 0;
    // The rows, bottom-up, each padded to 4 bytes: CreateDIBitmap's bits.
    const BYTE* m_pBits = nullptr;
    DWORD m_cbBits = 0;
    LONG m_nWidth = 0;
    LONG m_nHeight = 0;
    WORD m_nBitCount = 0;  // 1, 4, 8, 24 or 32
    DWORD m_nColours = 0;  // entries in the colour table: 2 to the bit count, none above 8 bits
};

// False (with the last error from FindResourceA, or ERROR_BAD_FORMAT) when
// there is no such bitmap or it is damaged.
bool GetBitmapResourceData(HMODULE hModule, LPCSTR lpName, BitmapResourceData* data);

// A cursor's picture, one byte (0 or 1) per pixel in each mask, rows from
// the top. The screen under a pixel becomes (screen AND m_andMask) XOR
// m_xorMask, white counting as all ones: AND 1 XOR 0 leaves the screen,
// 0 0 is black, 0 1 white, 1 1 inverts the screen.
struct CursorResourceImage {
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_xHotSpot = 0;
    int m_yHotSpot = 0;
    std::vector<BYTE> m_andMask;
    std::vector<BYTE> m_xorMask;
};

bool GetCursorResourceImage(HMODULE hModule, LPCSTR lpName, CursorResourceImage* image);
