#include "platform/ui/controls/ItemList.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform::ui::controls {

namespace {

// A pause longer than this starts a new prefix.
constexpr DWORD kTypeAheadMs = 1000;

bool StartsWith(const std::string& text, const std::string& prefix, bool exact)
{
    if (text.size() < prefix.size() || (exact && text.size() != prefix.size())) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

int CItemList::Add(const char* text, bool sorted)
{
    CListItem item{text != nullptr ? text : "", 0};
    auto at = m_items.end();
    if (sorted) {
        at = std::upper_bound(m_items.begin(), m_items.end(), item, [](const CListItem& a, const CListItem& b) {
            return std::lexicographical_compare(
                a.m_strText.begin(), a.m_strText.end(), b.m_strText.begin(), b.m_strText.end(),
                [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) <
                                            std::tolower(static_cast<unsigned char>(y)); });
        });
    }
    const auto placed = m_items.insert(at, item);  // may move the items: begin() only after
    return static_cast<int>(placed - m_items.begin());
}

int CItemList::Insert(int index, const char* text)
{
    if (index < -1 || index > Count()) {
        return -1;
    }
    const auto at = index < 0 ? m_items.end() : m_items.begin() + index;
    const auto placed = m_items.insert(at, CListItem{text != nullptr ? text : "", 0});
    return static_cast<int>(placed - m_items.begin());
}

bool CItemList::Remove(int index)
{
    if (!Valid(index)) {
        return false;
    }
    m_items.erase(m_items.begin() + index);
    return true;
}

int CItemList::Find(int start, const std::string& text, bool exact) const
{
    const int count = Count();
    for (int step = 1; step <= count; ++step) {
        const int i = ((start < 0 ? -1 : start) + step) % count;
        if (StartsWith(At(i).m_strText, text, exact)) {
            return i;
        }
    }
    return -1;
}

LRESULT CItemList::CopyText(int index, char* buffer) const
{
    if (!Valid(index)) {
        return -1;
    }
    const std::string& text = At(index).m_strText;
    if (buffer != nullptr) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    }
    return static_cast<LRESULT>(text.size());
}

LRESULT ApplyItemOp(CItemList& items, ItemOp op, WPARAM wParam, LPARAM lParam, bool sorted, int* sel)
{
    const int index = static_cast<int>(wParam);
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (op) {
    case ItemOp::Add:
    case ItemOp::Insert: {
        const int at = op == ItemOp::Add ? items.Add(text, sorted) : items.Insert(index, text);
        if (at >= 0 && *sel >= at) {
            ++*sel;
        }
        return at;
    }
    case ItemOp::Delete:
        if (!items.Remove(index)) {
            return -1;
        }
        *sel = *sel == index ? -1 : (*sel > index ? *sel - 1 : *sel);
        return items.Count();
    case ItemOp::Reset:
        items.Clear();
        *sel = -1;
        return 0;
    case ItemOp::Count:
        return items.Count();
    case ItemOp::GetText:
        return items.CopyText(index, reinterpret_cast<char*>(lParam));
    case ItemOp::GetTextLen:
        return items.CopyText(index, nullptr);
    case ItemOp::GetData:
        return items.Valid(index) ? static_cast<LRESULT>(items.At(index).m_data) : -1;
    case ItemOp::SetData:
        if (!items.Valid(index)) {
            return -1;
        }
        items.At(index).m_data = static_cast<std::uintptr_t>(lParam);
        return 0;
    case ItemOp::Find:
    case ItemOp::FindExact:
        return text != nullptr ? items.Find(index, text, op == ItemOp::FindExact) : -1;
    }
    return -1;
}

int CTypeAhead::Next(const CItemList& items, int current, char letter, DWORD time)
{
    if (time - m_dwLast > kTypeAheadMs) {
        m_strPrefix.clear();
    }
    m_dwLast = time;
    m_strPrefix += letter;
    const bool repeated = std::all_of(m_strPrefix.begin(), m_strPrefix.end(), [&](char c) {
        return std::tolower(static_cast<unsigned char>(c)) == std::tolower(static_cast<unsigned char>(letter));
    });
    if (repeated) {
        return items.Find(current, std::string(1, letter), false);
    }
    // A longer prefix may still fit the current item.
    return items.Find(current - 1, m_strPrefix, false);
}

}  // namespace platform::ui::controls
