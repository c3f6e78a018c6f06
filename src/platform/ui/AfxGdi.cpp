// The drawing wrappers: ownership of handles, temporary wrappers and the
// contexts of paints and windows.

#include "platform/ui/AfxWin.h"

#include <cstring>
#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace {

// Set while this thread's maps exist. Lookups that only look go through it,
// so deleting or detaching an object never creates the maps: a module that
// frees its objects while it is being unloaded must not leave a thread-exit
// destructor behind in code about to disappear.
struct CGdiMaps;
thread_local CGdiMaps* t_pMaps = nullptr;

struct CGdiMaps {
    // One temporary per handle and wrapper class, so a handle asked for as
    // a CFont is given a CFont even when it was wrapped before as another.
    std::map<std::pair<HGDIOBJ, std::type_index>, std::unique_ptr<CGdiObject>> m_objects;
    std::unordered_map<HDC, std::unique_ptr<CDC>> m_dcs;

    // At thread exit the wrappers left go without looking at the maps.
    ~CGdiMaps()
    {
        t_pMaps = nullptr;
        for (auto& [handle, wrapper] : m_objects) {
            wrapper->m_hObject = nullptr;
        }
        for (auto& [handle, wrapper] : m_dcs) {
            wrapper->m_hDC = nullptr;
        }
    }
};

CGdiMaps& GdiMaps()
{
    thread_local CGdiMaps maps;
    t_pMaps = &maps;
    return maps;
}

CGdiMaps* ExistingMaps()
{
    return t_pMaps;
}

}  // namespace

CGdiObject* CGdiObject::FromHandleOfType(HGDIOBJ object, const std::type_info& type, CGdiObject* (*make)())
{
    if (object == nullptr) {
        return nullptr;
    }
    auto& objects = GdiMaps().m_objects;
    auto& slot = objects[{object, std::type_index(type)}];
    if (!slot) {
        slot.reset(make());
        slot->m_hObject = object;
    }
    return slot.get();
}

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (object == nullptr) {
        return FALSE;
    }
    DeleteObject();
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == nullptr) {
        return FALSE;
    }
    if (CGdiMaps* maps = ExistingMaps(); maps != nullptr) {
        auto& objects = maps->m_objects;
        if (auto it = objects.find({m_hObject, std::type_index(typeid(*this))});
            it != objects.end() && it->second.get() == this) {
            m_hObject = nullptr;  // a temporary owns nothing
            return FALSE;
        }
    }
    const BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

BOOL CGdiObject::CreateStockObject(int index)
{
    DeleteObject();
    // Stock objects are the system's: DeleteObject does nothing to them.
    m_hObject = ::GetStockObject(index);
    return m_hObject != nullptr ? TRUE : FALSE;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object)
{
    return TypedFromHandle<CGdiObject>(object);
}

void CGdiObject::DeleteTempMap()
{
    auto& objects = GdiMaps().m_objects;
    for (auto& [handle, wrapper] : objects) {
        wrapper->m_hObject = nullptr;
    }
    objects.clear();
}

BOOL CFont::CreatePointFont(int tenthsOfPoint, LPCSTR face)
{
    LOGFONT lf{};
    lf.lfHeight = -((tenthsOfPoint * platform::gdi::GetLogicalDpi() + 360) / 720);
    lf.lfWeight = 400;
    std::strncpy(lf.lfFaceName, face != nullptr ? face : "", sizeof lf.lfFaceName - 1);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc != nullptr ? dc->m_hDC : nullptr, width, height));
}

// ---------------------------------------------------------------------------

CDC::~CDC()
{
    if (m_bOwned && m_hDC != nullptr) {
        ::DeleteDC(m_hDC);
    }
}

BOOL CDC::Attach(HDC dc)
{
    if (dc == nullptr || m_hDC != nullptr) {
        return FALSE;
    }
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    if (CGdiMaps* maps = ExistingMaps(); maps != nullptr) {
        auto& dcs = maps->m_dcs;
        if (auto it = dcs.find(dc); it != dcs.end() && it->second.get() == this) {
            // A temporary wrapper is done with once its context goes back.
            std::unique_ptr<CDC> self = std::move(it->second);
            dcs.erase(it);
        }
    }
    return dc;
}

CDC* CDC::FromHandle(HDC dc)
{
    if (dc == nullptr) {
        return nullptr;
    }
    auto& dcs = GdiMaps().m_dcs;
    auto it = dcs.find(dc);
    if (it == dcs.end()) {
        auto wrapper = std::make_unique<CDC>();
        wrapper->m_hDC = dc;
        it = dcs.emplace(dc, std::move(wrapper)).first;
    }
    return it->second.get();
}

void CDC::DeleteTempMap()
{
    auto& dcs = GdiMaps().m_dcs;
    for (auto& [handle, wrapper] : dcs) {
        wrapper->m_hDC = nullptr;
    }
    dcs.clear();
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_hDC != nullptr) {
        return FALSE;
    }
    m_hDC = ::CreateCompatibleDC(dc != nullptr ? dc->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_hDC != nullptr ? TRUE : FALSE;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr) {
        return FALSE;
    }
    const BOOL deleted = ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_bOwned = false;
    return deleted;
}

CPen* CDC::SelectObject(CPen* pen)
{
    return TypedFromHandle<CPen>(::SelectObject(m_hDC, pen != nullptr ? pen->m_hObject : nullptr));
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    return TypedFromHandle<CBrush>(::SelectObject(m_hDC, brush != nullptr ? brush->m_hObject : nullptr));
}

CFont* CDC::SelectObject(CFont* font)
{
    return TypedFromHandle<CFont>(::SelectObject(m_hDC, font != nullptr ? font->m_hObject : nullptr));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    return TypedFromHandle<CBitmap>(::SelectObject(m_hDC, bitmap != nullptr ? bitmap->m_hObject : nullptr));
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    return TypedFromHandle<CGdiObject>(::SelectObject(m_hDC, object != nullptr ? object->m_hObject : nullptr));
}

CGdiObject* CDC::SelectStockObject(int index)
{
    return TypedFromHandle<CGdiObject>(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPalette* CDC::SelectPalette(CPalette* palette, BOOL background)
{
    return TypedFromHandle<CPalette>(
        ::SelectPalette(m_hDC, palette != nullptr ? static_cast<HPALETTE>(palette->m_hObject) : nullptr, background));
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT previous{};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

void CDC::FillSolidRect(const RECT* rc, COLORREF color)
{
    HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(m_hDC, rc, brush);
    ::DeleteObject(brush);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color)
{
    const RECT rc{x, y, x + width, y + height};
    FillSolidRect(&rc, color);
}

void CDC::Draw3dRect(const RECT* rc, COLORREF topLeft, COLORREF bottomRight)
{
    const int x = rc->left;
    const int y = rc->top;
    const int w = rc->right - rc->left;
    const int h = rc->bottom - rc->top;
    FillSolidRect(x, y, w - 1, 1, topLeft);
    FillSolidRect(x, y, 1, h - 1, topLeft);
    FillSolidRect(x + w - 1, y, 1, h, bottomRight);
    FillSolidRect(x, y + h - 1, w, 1, bottomRight);
}

CSize CDC::GetTextExtent(LPCSTR text, int length) const
{
    SIZE size{0, 0};
    ::GetTextExtentPoint32(m_hDC, text, length, &size);
    return CSize(size);
}

// ---------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd != nullptr ? wnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd != nullptr ? wnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}
