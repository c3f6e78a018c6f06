#include "platform/resources/DialogTemplate.h"

#include "platform/resources/ResourceFormat.h"
#include "platform/resources/Utf16.h"

#include <algorithm>
#include <optional>

namespace rf = resource_format;

namespace {

// Reads the template front to back; any read past the end fails.
class Reader {
public:
    Reader(const void* data, std::size_t size) : m_p(static_cast<const BYTE*>(data)), m_nSize(size) {}

    bool U16(WORD* value)
    {
        if (m_nSize - m_nAt < 2) {
            return false;
        }
        *value = static_cast<WORD>(m_p[m_nAt] | m_p[m_nAt + 1] << 8);
        m_nAt += 2;
        return true;
    }

    bool U32(DWORD* value)
    {
        WORD low = 0;
        WORD high = 0;
        if (!U16(&low) || !U16(&high)) {
            return false;
        }
        *value = static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16;
        return true;
    }

    bool Short(short* value)
    {
        WORD raw = 0;
        if (!U16(&raw)) {
            return false;
        }
        *value = static_cast<short>(raw);
        return true;
    }

    bool U8(BYTE* value)
    {
        if (m_nAt >= m_nSize) {
            return false;
        }
        *value = m_p[m_nAt++];
        return true;
    }

    bool Text(std::string* text)
    {
        std::u16string wide;
        for (WORD unit = 0;;) {
            if (!U16(&unit)) {
                return false;
            }
            if (unit == 0) {
                break;
            }
            wide.push_back(static_cast<char16_t>(unit));
        }
        *text = rf::Utf16ToUtf8(wide);
        return true;
    }

    // A name that may be an ordinal: 0 for none, 0xFFFF and a number, or
    // text. Returns the ordinal, or 0 with the text.
    bool NameOrOrdinal(WORD* ordinal, std::string* text)
    {
        WORD first = 0;
        const std::size_t start = m_nAt;
        if (!U16(&first)) {
            return false;
        }
        *ordinal = 0;
        text->clear();
        if (first == 0) {
            return true;
        }
        if (first == 0xFFFF) {
            return U16(ordinal);
        }
        m_nAt = start;
        return Text(text);
    }

    bool Skip(std::size_t count)
    {
        if (m_nSize - m_nAt < count) {
            return false;
        }
        m_nAt += count;
        return true;
    }

    bool AlignTo4() { return Skip((4 - m_nAt % 4) % 4); }

private:
    const BYTE* m_p;
    std::size_t m_nSize;
    std::size_t m_nAt = 0;
};

std::optional<std::string> ClassName(WORD ordinal)
{
    const auto* it = std::find_if(std::begin(rf::kClassOrdinals), std::end(rf::kClassOrdinals),
                                  [&](const rf::ClassOrdinal& c) { return c.m_nOrdinal == ordinal; });
    return it != std::end(rf::kClassOrdinals) ? std::optional<std::string>(it->m_pszName) : std::nullopt;
}

bool ReadItem(Reader& in, DialogItemTemplate* item)
{
    DWORD id = 0;
    WORD classOrdinal = 0;
    WORD textOrdinal = 0;
    WORD extra = 0;
    if (!in.AlignTo4() || !in.U32(&item->m_dwHelpId) || !in.U32(&item->m_dwExStyle) || !in.U32(&item->m_dwStyle) ||
        !in.Short(&item->m_x) || !in.Short(&item->m_y) || !in.Short(&item->m_cx) || !in.Short(&item->m_cy) ||
        !in.U32(&id) || !in.NameOrOrdinal(&classOrdinal, &item->m_strClass) ||
        !in.NameOrOrdinal(&textOrdinal, &item->m_strText) || textOrdinal != 0 || !in.U16(&extra) || !in.Skip(extra)) {
        return false;
    }
    item->m_nId = static_cast<int>(id);
    if (classOrdinal != 0) {
        std::optional<std::string> name = ClassName(classOrdinal);
        if (!name) {
            return false;
        }
        item->m_strClass = *name;
    }
    return !item->m_strClass.empty();
}

}  // namespace

bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate* dialog)
{
    if (data == nullptr || dialog == nullptr) {
        return false;
    }
    Reader in(data, size);
    WORD version = 0;
    WORD signature = 0;
    WORD count = 0;
    WORD menuOrdinal = 0;
    WORD classOrdinal = 0;
    std::string menu;
    DialogTemplate result;
    if (!in.U16(&version) || !in.U16(&signature) || version != rf::kDialogVersion || signature != rf::kDialogSignature ||
        !in.U32(&result.m_dwHelpId) || !in.U32(&result.m_dwExStyle) || !in.U32(&result.m_dwStyle) || !in.U16(&count) ||
        !in.Short(&result.m_x) || !in.Short(&result.m_y) || !in.Short(&result.m_cx) || !in.Short(&result.m_cy) ||
        !in.NameOrOrdinal(&menuOrdinal, &menu) || menuOrdinal != 0 || !menu.empty() ||
        !in.NameOrOrdinal(&classOrdinal, &result.m_strClass) || classOrdinal != 0 || !in.Text(&result.m_strCaption)) {
        return false;
    }
    if ((result.m_dwStyle & rf::kDialogStyleSetFont) != 0) {
        result.m_bHasFont = true;
        if (!in.U16(&result.m_nPointSize) || !in.U16(&result.m_nWeight) || !in.U8(&result.m_bItalic) ||
            !in.U8(&result.m_nCharSet) || !in.Text(&result.m_strFont)) {
            return false;
        }
    }
    result.m_items.resize(count);
    for (DialogItemTemplate& item : result.m_items) {
        if (!ReadItem(in, &item)) {
            return false;
        }
    }
    *dialog = std::move(result);
    return true;
}

bool LoadDialogTemplate(HMODULE hModule, LPCSTR lpName, DialogTemplate* dialog)
{
    HRSRC resource = FindResourceA(hModule, lpName, RT_DIALOG);
    if (resource == nullptr) {
        return false;
    }
    if (!ParseDialogTemplate(LockResource(LoadResource(hModule, resource)), SizeofResource(hModule, resource), dialog)) {
        SetLastError(static_cast<DWORD>(ERROR_BAD_FORMAT));
        return false;
    }
    return true;
}
