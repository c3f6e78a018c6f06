#include "platform/Messages.h"

#include "platform/ui/dialogs/MessageBoxWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// ---------------------------------------------------------------------------
// Name tables

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Strings mapped to small identifiers in kFirstRegisteredId..kLastRegisteredId,
// compared without ASCII case and reference counted, as atoms are. Registered
// window messages use the same kind of table but never release an entry.
class CNameTable {
public:
    UINT Add(std::string_view text)
    {
        if (text.empty() || text.size() > kMaxAtomLength) {
            return 0;
        }
        std::string key = FoldCase(text);
        std::lock_guard lock(m_mutex);
        if (auto it = m_byKey.find(key); it != m_byKey.end()) {
            ++m_slots[it->second - kFirstRegisteredId]->m_nRefs;
            return it->second;
        }
        while (m_nFreeHint < m_slots.size() && m_slots[m_nFreeHint]) {
            ++m_nFreeHint;
        }
        if (m_nFreeHint == m_slots.size()) {
            if (m_slots.size() == kSlotCount) {
                return 0;
            }
            m_slots.emplace_back();
        }
        const std::size_t index = m_nFreeHint++;
        m_slots[index] = CEntry{std::string(text), key, 1};
        const UINT id = kFirstRegisteredId + static_cast<UINT>(index);
        m_byKey.emplace(std::move(key), id);
        return id;
    }

    UINT Find(std::string_view text) const
    {
        if (text.empty() || text.size() > kMaxAtomLength) {
            return 0;
        }
        const std::string key = FoldCase(text);
        std::lock_guard lock(m_mutex);
        auto it = m_byKey.find(key);
        return it == m_byKey.end() ? 0 : it->second;
    }

    bool Release(UINT id)
    {
        std::lock_guard lock(m_mutex);
        std::optional<CEntry>* slot = SlotOf(id);
        if (slot == nullptr) {
            return false;
        }
        if (--(*slot)->m_nRefs == 0) {
            m_byKey.erase((*slot)->m_strKey);
            slot->reset();
            m_nFreeHint = std::min(m_nFreeHint, static_cast<std::size_t>(id - kFirstRegisteredId));
        }
        return true;
    }

    std::optional<std::string> Text(UINT id)
    {
        std::lock_guard lock(m_mutex);
        std::optional<CEntry>* slot = SlotOf(id);
        if (slot == nullptr) {
            return std::nullopt;
        }
        return (*slot)->m_strText;
    }

private:
    static constexpr std::size_t kSlotCount = kLastRegisteredId - kFirstRegisteredId + 1;

    struct CEntry {
        std::string m_strText;
        std::string m_strKey;
        std::uint64_t m_nRefs;
    };

    // Caller holds m_mutex.
    std::optional<CEntry>* SlotOf(UINT id)
    {
        if (id < kFirstRegisteredId || id > kLastRegisteredId) {
            return nullptr;
        }
        const std::size_t index = id - kFirstRegisteredId;
        if (index >= m_slots.size() || !m_slots[index]) {
            return nullptr;
        }
        return &m_slots[index];
    }

    mutable std::mutex m_mutex;
    std::unordered_map<std::string, UINT> m_byKey;
    std::vector<std::optional<CEntry>> m_slots;
    std::size_t m_nFreeHint = 0;
};

// Function-local statics so that code running during static initialisation
// of other files (module start-up) finds the tables ready.
CNameTable& RegisteredMessages()
{
    static CNameTable table;
    return table;
}

CNameTable& GlobalAtoms()
{
    static CNameTable table;
    return table;
}

// ---------------------------------------------------------------------------
// Message-box sink

int StderrSink(const MessageBoxRequest& request)
{
    // One line per box keeps the output greppable next to other diagnostics.
    std::string line = request.m_strCaption + ": ";
    for (char c : request.m_strText) {
        if (c == '\n') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return DefaultMessageBoxAnswer(request.m_uType);
}

class CSinkSlot {
public:
    std::shared_ptr<const MessageBoxSink> Current() const
    {
        std::lock_guard lock(m_mutex);
        return m_pSink;
    }

    MessageBoxSink Replace(MessageBoxSink sink)
    {
        auto next = sink ? std::make_shared<const MessageBoxSink>(std::move(sink)) : nullptr;
        std::lock_guard lock(m_mutex);
        std::shared_ptr<const MessageBoxSink> previous = std::exchange(m_pSink, std::move(next));
        return previous ? *previous : MessageBoxSink{};
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const MessageBoxSink> m_pSink;  // null: the stderr default
};

CSinkSlot& Sink()
{
    static CSinkSlot slot;
    return slot;
}

}  // namespace

// ---------------------------------------------------------------------------

UINT RegisterWindowMessageA(const char* name)
{
    return name == nullptr ? 0 : RegisteredMessages().Add(name);
}

ATOM GlobalAddAtomA(const char* text)
{
    return text == nullptr ? 0 : static_cast<ATOM>(GlobalAtoms().Add(text));
}

ATOM GlobalFindAtomA(const char* text)
{
    return text == nullptr ? 0 : static_cast<ATOM>(GlobalAtoms().Find(text));
}

ATOM GlobalDeleteAtom(ATOM atom)
{
    return GlobalAtoms().Release(atom) ? 0 : atom;
}

UINT GlobalGetAtomNameA(ATOM atom, char* buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    const std::optional<std::string> text = GlobalAtoms().Text(atom);
    if (!text || bufferSize < 2) {
        return 0;
    }
    const std::size_t count = std::min(text->size(), static_cast<std::size_t>(bufferSize - 1));
    std::memcpy(buffer, text->data(), count);
    buffer[count] = '\0';
    return static_cast<UINT>(count);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink)
{
    return Sink().Replace(std::move(sink));
}

int DefaultMessageBoxAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type)
{
    MessageBoxRequest request;
    request.m_hOwner = owner;
    request.m_strText = text != nullptr ? text : "";
    request.m_strCaption = caption != nullptr ? caption : kDefaultMessageBoxCaption;
    request.m_uType = type;
    // Called outside the slot's lock, so a sink may itself show a box or
    // replace the sink.
    std::shared_ptr<const MessageBoxSink> sink = Sink().Current();
    if (sink) {
        return (*sink)(request);
    }
    if (platform::ui::dialogs::CanShowMessageBoxWindow()) {
        return platform::ui::dialogs::ShowMessageBoxWindow(request);
    }
    return StderrSink(request);
}

int AfxMessageBox(const char* text, UINT type)
{
    return MessageBoxA(platform::ui::dialogs::ApplicationBoxOwner(), text, kApplicationCaption, type);
}
