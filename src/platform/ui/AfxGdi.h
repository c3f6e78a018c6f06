#pragma once

// Thin owners of drawing objects and contexts for the framework: each one
// holds a handle, deletes what it created, and passes wherever the handle
// is asked for. FromHandle wraps a handle it did not create in an object
// that lasts until the application's next idle time and deletes nothing.

#include "platform/gdi/Gdi.h"
#include "platform/ui/AfxTypes.h"

#include <string>
#include <typeinfo>

class CWnd;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    // Deletes the object this one owns, if any.
    BOOL DeleteObject();
    int GetObject(int size, void* out) const { return ::GetObject(m_hObject, size, out); }
    BOOL CreateStockObject(int index);

    static CGdiObject* FromHandle(HGDIOBJ object);
    // A temporary wrapper of the given class (what each class's FromHandle
    // gives), made with `make` the first time.
    static CGdiObject* FromHandleOfType(HGDIOBJ object, const std::type_info& type, CGdiObject* (*make)());
    static void DeleteTempMap();
};

template <class T>
T* TypedFromHandle(HGDIOBJ object)
{
    return static_cast<T*>(CGdiObject::FromHandleOfType(object, typeid(T), [] { return static_cast<CGdiObject*>(new T); }));
}

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    static CPen* FromHandle(HPEN pen) { return TypedFromHandle<CPen>(pen); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH brush) { return TypedFromHandle<CBrush>(brush); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCSTR face)
    {
        return Attach(::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                   charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
    }
    BOOL CreateFontIndirect(const LOGFONT* font) { return Attach(::CreateFontIndirect(font)); }
    // A font of `tenthsOfPoint` / 10 points at the screen's pixels per inch.
    BOOL CreatePointFont(int tenthsOfPoint, LPCSTR face);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* FromHandle(HFONT font) { return TypedFromHandle<CFont>(font); }
};

class CDC;

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // A bitmap resource of the module whose resources are in force
    // (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(LPCSTR name);
    BOOL GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info) != 0; }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    static CBitmap* FromHandle(HBITMAP bitmap) { return TypedFromHandle<CBitmap>(bitmap); }
};

class CPalette : public CGdiObject {
public:
    BOOL CreatePalette(const LOGPALETTE* palette) { return Attach(::CreatePalette(palette)); }
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    static CPalette* FromHandle(HPALETTE palette) { return TypedFromHandle<CPalette>(palette); }
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL Attach(HDC dc);
    HDC Detach();
    static CDC* FromHandle(HDC dc);
    static void DeleteTempMap();

    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectObject(CGdiObject* object);
    CGdiObject* SelectStockObject(int index);
    CPalette* SelectPalette(CPalette* palette, BOOL background);
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* rc) { return Rectangle(rc->left, rc->top, rc->right, rc->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    void FillRect(const RECT* rc, CBrush* brush) { ::FillRect(m_hDC, rc, static_cast<HBRUSH>(brush->m_hObject)); }
    void FillSolidRect(const RECT* rc, COLORREF color);
    void FillSolidRect(int x, int y, int width, int height, COLORREF color);
    void FrameRect(const RECT* rc, CBrush* brush) { ::FrameRect(m_hDC, rc, static_cast<HBRUSH>(brush->m_hObject)); }
    void InvertRect(const RECT* rc) { ::InvertRect(m_hDC, rc); }
    // Top and left in one colour, bottom and right in the other.
    void Draw3dRect(const RECT* rc, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(RECT* rc, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rc, edge, flags); }
    void DrawFocusRect(const RECT* rc) { ::DrawFocusRect(m_hDC, rc); }
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, src != nullptr ? src->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int widthSrc, int heightSrc,
                    DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, width, height, src != nullptr ? src->m_hDC : nullptr, xSrc, ySrc, widthSrc,
                            heightSrc, rop);
    }
    COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
    BOOL TextOut(int x, int y, LPCSTR text, int length) { return ::TextOut(m_hDC, x, y, text, length); }
    BOOL TextOut(int x, int y, const std::string& text)
    {
        return TextOut(x, y, text.c_str(), static_cast<int>(text.size()));
    }
    int DrawText(LPCSTR text, int length, RECT* rc, UINT format) { return ::DrawText(m_hDC, text, length, rc, format); }
    int DrawText(const std::string& text, RECT* rc, UINT format)
    {
        return DrawText(text.c_str(), static_cast<int>(text.size()), rc, format);
    }
    CSize GetTextExtent(LPCSTR text, int length) const;
    CSize GetTextExtent(const std::string& text) const
    {
        return GetTextExtent(text.c_str(), static_cast<int>(text.size()));
    }
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const { return ::GetTextMetrics(m_hDC, metrics); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(const RECT* rc) { return IntersectClipRect(rc->left, rc->top, rc->right, rc->bottom); }
    int GetClipBox(RECT* rc) const { return ::GetClipBox(m_hDC, rc); }
    CPoint SetViewportOrg(int x, int y);

protected:
    bool m_bOwned = false;  // created by CreateCompatibleDC: deleted with the object
};

// BeginPaint and EndPaint around the object's life.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// GetDC and ReleaseDC around the object's life.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// GetWindowDC and ReleaseDC around the object's life.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
