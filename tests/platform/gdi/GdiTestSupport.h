#pragma once

// Shared helpers of the drawing tests: a bitmap selected into a memory
// context, and pixel reads in COLORREF terms.

#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <string>

// A w x h bitmap in its own memory context, cleared to one colour.
class CCanvas {
public:
    CCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
        : m_hDC(CreateCompatibleDC(nullptr)), m_hBitmap(CreateCompatibleBitmap(m_hDC, width, height))
    {
        m_hOld = static_cast<HBITMAP>(SelectObject(m_hDC, m_hBitmap));
        Clear(fill);
    }
    ~CCanvas()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_hDC; }
    HBITMAP Bitmap() const { return m_hBitmap; }
    platform::gdi::Surface& Pixels() const { return *platform::gdi::BitmapSurface(m_hBitmap); }
    int Width() const { return Pixels().Width(); }
    int Height() const { return Pixels().Height(); }

    // Straight from the surface, whatever the clipping.
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= Width() || y >= Height()) {
            ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the canvas";
            return CLR_INVALID;
        }
        return platform::gdi::ToColorRef(Pixels().Pixel(x, y));
    }
    void Clear(COLORREF color)
    {
        auto& s = Pixels();
        for (int y = 0; y < s.Height(); ++y) {
            for (int x = 0; x < s.Width(); ++x) {
                s.Row(y)[x] = platform::gdi::ToPixel(color);
            }
        }
    }
    // Pixels that differ from `background`.
    int CountNot(COLORREF background) const
    {
        int n = 0;
        for (int y = 0; y < Height(); ++y) {
            for (int x = 0; x < Width(); ++x) {
                n += At(x, y) != background ? 1 : 0;
            }
        }
        return n;
    }
    // A picture of the canvas, one character per pixel: '#' where the pixel
    // differs from `background`, '.' elsewhere; rows end with '\n'.
    std::string Ascii(COLORREF background) const
    {
        std::string out;
        for (int y = 0; y < Height(); ++y) {
            for (int x = 0; x < Width(); ++x) {
                out += At(x, y) != background ? '#' : '.';
            }
            out += '\n';
        }
        return out;
    }

private:
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HBITMAP m_hOld = nullptr;
};

// Selects an object for the life of the holder and deletes it afterwards.
class CSelected {
public:
    CSelected(HDC dc, HGDIOBJ object) : m_hDC(dc), m_hObject(object), m_hOld(SelectObject(dc, object)) {}
    ~CSelected()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hObject);
    }
    CSelected(const CSelected&) = delete;
    CSelected& operator=(const CSelected&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hObject;
    HGDIOBJ m_hOld;
};
