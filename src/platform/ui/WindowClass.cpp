// Window classes: registered by name, found by name or atom.

#include "platform/ui/Internal.h"
#include "platform/ui/controls/Classes.h"

#include <algorithm>
#include <cstring>

namespace platform::ui::detail {

namespace {

std::string Fold(const char* text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

struct CClassTable {
    std::mutex m_mutex;
    std::vector<std::shared_ptr<CWindowClass>> m_classes;
    ATOM m_nextAtom = 0xC000;
};

CClassTable& Classes()
{
    static CClassTable table;
    return table;
}

// Caller holds the table's mutex.
std::shared_ptr<CWindowClass> FindLocked(CClassTable& table, HINSTANCE instance, const char* name, bool exactOnly)
{
    if (name == nullptr) {
        return nullptr;
    }
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
        for (const auto& cls : table.m_classes) {
            if (cls->m_atom == atom) {
                return cls;
            }
        }
        return nullptr;
    }
    const std::string key = Fold(name);
    for (const auto& cls : table.m_classes) {
        if (cls->m_strKey == key && cls->m_hInstance == instance) {
            return cls;
        }
    }
    if (exactOnly) {
        return nullptr;
    }
    for (const auto& cls : table.m_classes) {
        if (cls->m_strKey == key && (cls->m_uStyle & CS_GLOBALCLASS) != 0) {
            return cls;
        }
    }
    return nullptr;
}

ATOM Register(const WNDCLASSEXA& wc)
{
    if (wc.lpszClassName == nullptr || IS_INTRESOURCE(wc.lpszClassName) || wc.lpszClassName[0] == '\0' ||
        wc.lpfnWndProc == nullptr || wc.cbWndExtra < 0 || wc.cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    const HINSTANCE instance = (wc.style & CS_GLOBALCLASS) != 0 ? wc.hInstance : wc.hInstance;
    if (FindLocked(table, instance, wc.lpszClassName, true)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<CWindowClass>();
    cls->m_strName = wc.lpszClassName;
    cls->m_strKey = Fold(wc.lpszClassName);
    cls->m_atom = table.m_nextAtom++;
    cls->m_uStyle = wc.style;
    cls->m_pfnProc = wc.lpfnWndProc;
    cls->m_cbWndExtra = wc.cbWndExtra;
    cls->m_hInstance = wc.hInstance;
    cls->m_hIcon = wc.hIcon;
    cls->m_hIconSm = wc.hIconSm;
    cls->m_hCursor = wc.hCursor;
    cls->m_hbrBackground = wc.hbrBackground;
    cls->m_classExtra.assign(static_cast<std::size_t>(wc.cbClsExtra), 0);
    table.m_classes.push_back(cls);
    return cls->m_atom;
}

}  // namespace

std::shared_ptr<CWindowClass> FindClass(HINSTANCE instance, const char* name)
{
    // The standard controls exist from the first lookup on, without anyone
    // having to ask for them.
    platform::ui::controls::EnsureStandardClasses();
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    auto cls = FindLocked(table, instance, name, false);
    if (!cls && instance != nullptr) {
        cls = FindLocked(table, nullptr, name, true);
    }
    return cls;
}

void CountClassWindow(CWindowClass& cls, int delta)
{
    std::lock_guard lock(Classes().m_mutex);
    cls.m_nWindows += delta;
}

}  // namespace platform::ui::detail

using namespace platform::ui::detail;

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszMenuName = wc->lpszMenuName;
    ex.lpszClassName = wc->lpszClassName;
    return Register(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(*wc);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance)
{
    CClassTable& table = Classes();
    std::lock_guard lock(table.m_mutex);
    auto cls = FindLocked(table, instance, className, true);
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (cls->m_nWindows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    table.m_classes.erase(std::find(table.m_classes.begin(), table.m_classes.end(), cls));
    return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* wc)
{
    auto cls = FindClass(instance, className);
    if (!cls || wc == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->cbSize = sizeof *wc;
    wc->style = cls->m_uStyle;
    wc->lpfnWndProc = cls->m_pfnProc;
    wc->cbClsExtra = static_cast<int>(cls->m_classExtra.size());
    wc->cbWndExtra = cls->m_cbWndExtra;
    wc->hInstance = cls->m_hInstance;
    wc->hIcon = cls->m_hIcon;
    wc->hCursor = cls->m_hCursor;
    wc->hbrBackground = cls->m_hbrBackground;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = className;
    wc->hIconSm = cls->m_hIconSm;
    return TRUE;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wc)
{
    WNDCLASSEXA ex{};
    if (wc == nullptr || !GetClassInfoExA(instance, className, &ex)) {
        return FALSE;
    }
    *wc = WNDCLASSA{ex.style,   ex.lpfnWndProc, ex.cbClsExtra,    ex.cbWndExtra,   ex.hInstance,
                    ex.hIcon,   ex.hCursor,     ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
    return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int maxCount)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr || buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    const std::size_t n = std::min(w->m_pClass->m_strName.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, w->m_pClass->m_strName.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

LONG_PTR GetClassLongPtrA(HWND hwnd, int index)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return 0;
    }
    CWindowClass& cls = *w->m_pClass;
    switch (index) {
    case GCL_STYLE:
        return cls.m_uStyle;
    case GCLP_HCURSOR:
        return reinterpret_cast<LONG_PTR>(cls.m_hCursor);
    case GCLP_HBRBACKGROUND:
        return reinterpret_cast<LONG_PTR>(cls.m_hbrBackground);
    case GCL_CBWNDEXTRA:
        return cls.m_cbWndExtra;
    case GCLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(cls.m_pfnProc);
    default:
        break;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= cls.m_classExtra.size()) {
        LONG_PTR value = 0;
        std::memcpy(&value, cls.m_classExtra.data() + index, sizeof value);
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    CWindow* w = Find(hwnd);
    if (w == nullptr) {
        return 0;
    }
    CWindowClass& cls = *w->m_pClass;
    const LONG_PTR previous = GetClassLongPtrA(hwnd, index);
    switch (index) {
    case GCL_STYLE:
        cls.m_uStyle = static_cast<UINT>(value);
        return previous;
    case GCLP_HCURSOR:
        cls.m_hCursor = reinterpret_cast<HCURSOR>(value);
        return previous;
    case GCLP_HBRBACKGROUND:
        cls.m_hbrBackground = reinterpret_cast<HBRUSH>(value);
        return previous;
    default:
        break;
    }
    if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= cls.m_classExtra.size()) {
        std::memcpy(cls.m_classExtra.data() + index, &value, sizeof value);
        return previous;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}
