// Window objects: the handle maps, attaching, creation, the framework's
// window procedure and message-map dispatch.

#include "platform/ui/AfxWin.h"
#include "platform/ui/Internal.h"

#include <cstdio>
#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace {

// Window objects belong to the thread of their windows, as the windows do.
struct CHandleMaps {
    std::unordered_map<HWND, CWnd*> m_permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> m_temporary;
    // Temporaries of a given class, for handlers that ask for one.
    std::map<std::pair<HWND, std::type_index>, std::unique_ptr<CWnd>> m_typed;
    std::vector<MSG> m_current;  // messages being handled, innermost last

    // At thread exit the temporaries left go without looking at the maps.
    ~CHandleMaps()
    {
        for (auto& [hwnd, wnd] : m_temporary) {
            wnd->m_hWnd = nullptr;
        }
        for (auto& [key, wnd] : m_typed) {
            wnd->m_hWnd = nullptr;
        }
    }
};

CHandleMaps& WindowMaps()
{
    thread_local CHandleMaps maps;
    return maps;
}


// Message loops outside the framework give framework windows their
// PreTranslateMessage through this.
const bool g_bHookInstalled = [] {
    platform::ui::SetPreTranslateHook([](MSG* msg) { return AfxPreTranslateMessage(msg) != FALSE; });
    return true;
}();

void ForgetTemporaries(HWND hwnd)
{
    auto& maps = WindowMaps();
    maps.m_temporary.erase(hwnd);
    for (auto it = maps.m_typed.begin(); it != maps.m_typed.end();) {
        it = it->first.first == hwnd ? maps.m_typed.erase(it) : std::next(it);
    }
}

bool EntryMatches(const AFX_MSGMAP_ENTRY& e, UINT message)
{
    if (e.pnRegistered != nullptr) {
        return *e.pnRegistered != 0 && *e.pnRegistered == message;
    }
    return e.nMessage == message && message != WM_COMMAND && message != WM_NOTIFY;
}

}  // namespace

// ---------------------------------------------------------------------------

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CCmdTarget::DispatchCommand(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfnThunk != nullptr; ++e) {
            if (e->nMessage != message || id < e->nID || id > e->nLastID) {
                continue;
            }
            // A plain command entry also answers accelerators (code 1).
            const bool codeMatches = e->nCode == code || (message == WM_COMMAND && e->nCode == 0 && code == 1);
            if (codeMatches && e->pfnThunk(this, message, wParam, lParam, result)) {
                return TRUE;
            }
        }
        if (map->pfnGetBaseMap == nullptr) {
            break;
        }
    }
    return FALSE;
}

CWnd* afx::WndFromHandle(HWND hwnd)
{
    return CWnd::FromHandle(hwnd);
}

void afx::AttachOnCreate(HWND hwnd, void* wnd)
{
    auto* object = static_cast<CWnd*>(wnd);
    object->Attach(hwnd);
    object->SubclassWindow(hwnd);
}

CWnd* afx::TemporaryAs(HWND hwnd, const std::type_info& type, CWnd* (*make)())
{
    auto& typed = WindowMaps().m_typed;
    auto& slot = typed[{hwnd, std::type_index(type)}];
    if (!slot) {
        slot.reset(make());
        slot->m_hWnd = hwnd;
    }
    return slot.get();
}

CDC* afx::DcFromHandle(HDC dc)
{
    return CDC::FromHandle(dc);
}

// ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd != nullptr) {
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    auto& permanent = WindowMaps().m_permanent;
    auto it = permanent.find(hwnd);
    return it == permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (hwnd == nullptr) {
        return nullptr;
    }
    if (CWnd* wnd = FromHandlePermanent(hwnd)) {
        return wnd;
    }
    auto& temporary = WindowMaps().m_temporary;
    auto it = temporary.find(hwnd);
    if (it == temporary.end()) {
        auto wnd = std::make_unique<CWnd>();
        wnd->m_hWnd = hwnd;
        it = temporary.emplace(hwnd, std::move(wnd)).first;
    }
    return it->second.get();
}

void CWnd::DeleteTempMap()
{
    auto& temporary = WindowMaps().m_temporary;
    for (auto& [hwnd, wnd] : temporary) {
        wnd->m_hWnd = nullptr;  // the window is not the wrapper's to destroy
    }
    temporary.clear();
    auto& typed = WindowMaps().m_typed;
    for (auto& [key, wnd] : typed) {
        wnd->m_hWnd = nullptr;
    }
    typed.clear();
}

BOOL CWnd::OnChildNotify(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* /*result*/)
{
    return FALSE;
}

void CWnd::OnDrawItem(int /*id*/, LPDRAWITEMSTRUCT item)
{
    // An owner-drawn control whose object draws itself gets the message
    // back; otherwise the default handling.
    CWnd* control = item != nullptr ? FromHandlePermanent(item->hwndItem) : nullptr;
    LRESULT result = 0;
    if (control == nullptr || !control->OnChildNotify(WM_DRAWITEM, static_cast<WPARAM>(item->CtlID),
                                                      reinterpret_cast<LPARAM>(item), &result)) {
        Default();
    }
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (hwnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hwnd) != nullptr) {
        return FALSE;
    }
    m_hWnd = hwnd;
    WindowMaps().m_permanent[hwnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    const HWND hwnd = m_hWnd;
    if (hwnd != nullptr) {
        auto& permanent = WindowMaps().m_permanent;
        auto it = permanent.find(hwnd);
        if (it != permanent.end() && it->second == this) {
            permanent.erase(it);
        }
    }
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (m_hWnd != hwnd && !Attach(hwnd)) {
        return FALSE;
    }
    const auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    if (previous != &AfxWndProc) {
        m_pfnSuper = previous;
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    }
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    return Detach();
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = parent != nullptr ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
    return control != nullptr && SubclassWindow(control);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& /*cs*/)
{
    return TRUE;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* /*context*/)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent != nullptr ? parent->m_hWnd : nullptr,
                    (style & WS_CHILD) != 0 ? ControlId(static_cast<int>(id)) : nullptr, param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, void* param)
{
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    CREATESTRUCT cs{param,  AfxGetInstanceHandle(), idOrMenu,  parent, height, width,
                    y,      x,                      static_cast<LONG>(style), windowName, className, exStyle};
    if (className == nullptr) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
    }
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    platform::ui::detail::SetNextCreationHook(&afx::AttachOnCreate, this);
    HWND hwnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    // A creation that failed before any window existed leaves the hook set.
    platform::ui::detail::SetNextCreationHook(nullptr, nullptr);
    if (hwnd == nullptr && m_hWnd != nullptr) {
        Detach();
    }
    return hwnd != nullptr ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd) ? TRUE : FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (message == WM_COMMAND) {
        return OnCommand(wParam, lParam);
    }
    if (message == WM_NOTIFY) {
        return OnNotify(wParam, lParam, result);
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfnThunk != nullptr; ++e) {
            if (EntryMatches(*e, message)) {
                return e->pfnThunk(this, message, wParam, lParam, result);
            }
        }
        if (map->pfnGetBaseMap == nullptr) {
            break;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT ignored = 0;
    return DispatchCommand(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), wParam, lParam, &ignored);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) {
        return FALSE;
    }
    return DispatchCommand(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), wParam, lParam, result);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG* /*msg*/)
{
    return FALSE;
}

const MSG* CWnd::GetCurrentMessage()
{
    auto& current = WindowMaps().m_current;
    return current.empty() ? nullptr : &current.back();
}

LRESULT CWnd::Default()
{
    const MSG* msg = GetCurrentMessage();
    return msg != nullptr ? DefWindowProc(msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = GetStyle();
    const DWORD next = (style & ~remove) | add;
    if (next == style) {
        return FALSE;
    }
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(next));
    if (flags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = GetExStyle();
    const DWORD next = (style & ~remove) | add;
    if (next == style) {
        return FALSE;
    }
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(next));
    if (flags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

void CWnd::GetWindowText(std::string& text) const
{
    text.assign(static_cast<std::size_t>(std::max(GetWindowTextLength(), 0)) + 1, '\0');
    const int n = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
}

void CWnd::GetDlgItemText(int id, std::string& text) const
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    text.clear();
    if (control != nullptr) {
        FromHandle(control)->GetWindowText(text);
    }
}

void CWnd::ClientToScreen(RECT* rc) const
{
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::OffsetRect(rc, origin.x, origin.y);
}

void CWnd::ScreenToClient(RECT* rc) const
{
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::OffsetRect(rc, -origin.x, -origin.y);
}

int CWnd::ReleaseDC(CDC* dc)
{
    if (dc == nullptr) {
        return 0;
    }
    const HDC handle = dc->Detach();
    return ::ReleaseDC(m_hWnd, handle);
}

// ---------------------------------------------------------------------------

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& current = WindowMaps().m_current;
    current.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        current.pop_back();
        throw;
    }
    current.pop_back();
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) {
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd == nullptr) {
        if (message == WM_NCDESTROY) {
            ForgetTemporaries(hwnd);
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return AfxCallWndProc(wnd, hwnd, message, wParam, lParam);
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<std::string>> names;
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard lock(mutex);
    auto& kept = names[name];
    if (!kept) {
        WNDCLASSA wc{};
        wc.style = classStyle;
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        wc.style |= CS_GLOBALCLASS;
        ::RegisterClassA(&wc);
        kept = std::make_unique<std::string>(name);
    }
    return kept->c_str();
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    if (msg == nullptr) {
        return FALSE;
    }
    for (HWND hwnd = msg->hwnd; hwnd != nullptr; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd != nullptr && wnd->PreTranslateMessage(msg)) {
            return TRUE;
        }
        if ((::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
    }
    return FALSE;
}
