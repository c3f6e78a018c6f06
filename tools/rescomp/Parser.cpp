#include "Parser.h"

#include "Constants.h"
#include "ImageFiles.h"

#include "platform/resources/ResourceFormat.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace rescomp {

namespace {

// Thrown after a syntax error has been reported; the entry being parsed is
// abandoned and parsing resumes at the next line.
struct SyntaxError {};

constexpr std::uint32_t kSetFont = resource_format::kDialogStyleSetFont;
constexpr std::uint32_t kControlDefaultStyle = 0x40000000u | 0x10000000u;  // WS_CHILD | WS_VISIBLE

bool IsTopKeyword(const Token& token)
{
    return token.m_kind == TokenKind::Name &&
           (token.m_strText == "STRINGTABLE" || token.m_strText == "DIALOG" || token.m_strText == "BITMAP" ||
            token.m_strText == "CURSOR" || token.m_strText == "VERSIONINFO");
}

class Parser {
public:
    Parser(std::vector<Token> tokens, std::string file, Diagnostics& diagnostics, Script& script)
        : m_tokens(std::move(tokens)), m_strFile(std::move(file)), m_diagnostics(diagnostics), m_script(script)
    {
    }

    void Run()
    {
        while (Peek().m_kind != TokenKind::End) {
            const std::size_t start = m_nEntryStart = m_i;
            try {
                Statement();
            } catch (const SyntaxError&) {
                // A statement that went wrong outside its block is skipped
                // whole, block included.
                if (m_i == start) {
                    Take();
                }
                while (Peek().m_kind != TokenKind::End && !(IsTopKeyword(Peek()) && Peek().m_bStartsLine)) {
                    Take();
                }
            }
        }
    }

private:
    // --- token access -------------------------------------------------------

    const Token& Peek() const { return m_tokens[m_i]; }

    const Token& Take()
    {
        const Token& token = m_tokens[m_i];
        if (token.m_kind != TokenKind::End) {
            ++m_i;
        }
        return token;
    }

    SourcePos PosOf(const Token& token) const { return SourcePos{m_strFile, token.m_nLine}; }

    // At a token the lexer already complained about, one message is enough.
    // When the entry stopped short at the end of its line, the problem is
    // on that line, not on the next one.
    [[noreturn]] void Fail(const Token& at, std::string message)
    {
        if (at.m_kind != TokenKind::Invalid) {
            SourcePos pos = PosOf(at);
            if (&at == &Peek() && at.m_bStartsLine && m_i > m_nEntryStart) {
                pos.m_nLine = m_tokens[m_i - 1].m_nLine;
                const std::size_t found = message.rfind(", found ");
                if (found != std::string::npos) {
                    message = message.substr(0, found) + ", found the end of the line";
                }
            }
            m_diagnostics.Error(pos, std::move(message));
        }
        throw SyntaxError{};
    }

    bool IsPunct(const Token& token, char c) const
    {
        return token.m_kind == TokenKind::Punct && token.m_strText.size() == 1 && token.m_strText[0] == c;
    }

    void ExpectPunct(char c, const char* what)
    {
        if (!IsPunct(Peek(), c)) {
            Fail(Peek(), std::string("expected '") + c + "' " + what + ", found " + Describe(Peek()));
        }
        Take();
    }

    bool AcceptComma()
    {
        if (IsPunct(Peek(), ',')) {
            Take();
            return true;
        }
        return false;
    }

    // After an error in the tokens from `start` on: go on with the next line,
    // unless the offending token itself begins a line that is not the
    // entry's first (then the entry simply stopped short).
    void Resynchronise(std::size_t start)
    {
        if (m_i > start && Peek().m_bStartsLine) {
            return;
        }
        Take();
        while (Peek().m_kind != TokenKind::End && !Peek().m_bStartsLine) {
            Take();
        }
    }

    // --- values -------------------------------------------------------------

    std::string String(const char* what)
    {
        if (Peek().m_kind != TokenKind::String) {
            Fail(Peek(), std::string("expected ") + what + " in double quotes, found " + Describe(Peek()));
        }
        std::string text = Take().m_strText;
        while (Peek().m_kind == TokenKind::String) {
            text += Take().m_strText;
        }
        return text;
    }

    struct Expression {
        std::int64_t m_nSet = 0;
        std::uint32_t m_dwCleared = 0;
        bool m_bHasNot = false;
    };

    std::int64_t Term(const char* what)
    {
        const Token& token = Peek();
        if (token.m_kind == TokenKind::Number) {
            return Take().m_nNumber;
        }
        if (token.m_kind == TokenKind::Name && !IsTopKeyword(token)) {
            const std::optional<std::uint32_t> value = LookUpConstant(token.m_strText);
            if (!value) {
                Fail(token, "unknown name '" + token.m_strText + "'");
            }
            Take();
            return *value;
        }
        Fail(token, std::string("expected ") + what + ", found " + Describe(token));
    }

    Expression Expr(const char* what)
    {
        Expression result;
        for (bool first = true;; first = false) {
            if (Peek().m_kind == TokenKind::Name && Peek().m_strText == "NOT") {
                Take();
                result.m_bHasNot = true;
                result.m_dwCleared |= static_cast<std::uint32_t>(Term(what));
            } else {
                const std::int64_t value = Term(what);
                // A lone term keeps its sign, so an ID of -1 can be checked.
                result.m_nSet = first ? value
                                      : static_cast<std::uint32_t>(result.m_nSet) | static_cast<std::uint32_t>(value);
            }
            if (!IsPunct(Peek(), '|')) {
                return result;
            }
            Take();
        }
    }

    std::uint32_t Flags(const char* what, std::uint32_t defaults = 0)
    {
        const Expression e = Expr(what);
        return (defaults | static_cast<std::uint32_t>(e.m_nSet)) & ~e.m_dwCleared;
    }

    // A single value within [low, high]; a name counts as its 32-bit value,
    // so IDC_STATIC reads as -1 where negative values are allowed.
    std::int64_t Number(const char* what, std::int64_t low, std::int64_t high)
    {
        const Token& at = Peek();
        const Expression e = Expr(what);
        if (e.m_bHasNot) {
            Fail(at, std::string("NOT is not allowed in ") + what);
        }
        std::int64_t value = e.m_nSet;
        if (low < 0 && value == 0xFFFFFFFF) {
            value = -1;
        }
        if (value < low || value > high) {
            Fail(at, std::string(what) + " " + std::to_string(value) + " is outside " + std::to_string(low) + " to " +
                         std::to_string(high));
        }
        return value;
    }

    std::uint16_t ResourceId(const char* kind)
    {
        return static_cast<std::uint16_t>(Number((std::string(kind) + " ID").c_str(), 1, 0xFFFF));
    }

    std::int16_t Coordinate(const char* what, bool size)
    {
        return static_cast<std::int16_t>(Number(what, size ? 0 : -32768, 32767));
    }

    std::array<std::uint16_t, 4> VersionNumber()
    {
        std::array<std::uint16_t, 4> parts{};
        std::size_t count = 0;
        for (;;) {
            const Token& at = Peek();
            if (at.m_kind != TokenKind::Number) {
                Fail(at, "expected a version number such as 1.2.0.0, found " + Describe(at));
            }
            if (count == 4) {
                Fail(at, "a version has at most four parts");
            }
            if (at.m_nNumber < 0 || at.m_nNumber > 0xFFFF) {
                Fail(at, "version part " + at.m_strText + " is outside 0 to 65535");
            }
            parts[count++] = static_cast<std::uint16_t>(Take().m_nNumber);
            if (!IsPunct(Peek(), '.') && !IsPunct(Peek(), ',')) {
                return parts;
            }
            Take();
        }
    }

    // --- statements ---------------------------------------------------------

    void Statement()
    {
        const Token& keyword = Peek();
        if (!IsTopKeyword(keyword)) {
            Fail(keyword, "expected STRINGTABLE, DIALOG, BITMAP, CURSOR or VERSIONINFO, found " + Describe(keyword));
        }
        Take();
        const std::string& name = keyword.m_strText;
        if (name == "STRINGTABLE") {
            Block("STRINGTABLE", keyword, [this] { StringLine(); });
        } else if (name == "DIALOG") {
            Dialog(keyword);
        } else if (name == "BITMAP" || name == "CURSOR") {
            FileStatement(keyword, name == "BITMAP");
        } else {
            Version(keyword);
        }
    }

    // "{ entries }", each entry parsed by `entry`; an error inside skips to
    // the next line and goes on with the block.
    template <typename Entry>
    void Block(const char* what, const Token& opener, Entry entry)
    {
        ExpectPunct('{', (std::string("to open the ") + what + " block").c_str());
        for (;;) {
            const Token& next = Peek();
            if (IsPunct(next, '}')) {
                Take();
                return;
            }
            if (next.m_kind == TokenKind::End || (IsTopKeyword(next) && next.m_bStartsLine)) {
                m_diagnostics.Error(PosOf(next), std::string("missing '}' to close the ") + what + " block opened at line " +
                                                      std::to_string(opener.m_nLine));
                return;
            }
            const std::size_t start = m_nEntryStart = m_i;
            try {
                entry();
            } catch (const SyntaxError&) {
                Resynchronise(start);
            }
        }
    }

    void StringLine()
    {
        const Token& at = Peek();
        StringEntry entry;
        entry.m_nId = static_cast<std::uint32_t>(Number("string ID", 0, 0xFFFF));
        entry.m_strText = String("the string's text");
        entry.m_pos = PosOf(at);
        if (entry.m_strText.size() > 0xFFFF) {
            Fail(at, "string " + std::to_string(entry.m_nId) + " is longer than 65535 bytes");
        }
        m_script.m_strings.push_back(std::move(entry));
    }

    void Dialog(const Token& keyword)
    {
        DialogResource dialog;
        dialog.m_pos = PosOf(keyword);
        dialog.m_nId = ResourceId("dialog");
        ExpectPunct(',', "after the dialog ID");
        dialog.m_x = Coordinate("x", false);
        ExpectPunct(',', "after x");
        dialog.m_y = Coordinate("y", false);
        ExpectPunct(',', "after y");
        dialog.m_cx = Coordinate("width", true);
        ExpectPunct(',', "after the width");
        dialog.m_cy = Coordinate("height", true);

        std::map<std::string, int> seen;
        while (Peek().m_kind == TokenKind::Name && !IsTopKeyword(Peek())) {
            const std::size_t start = m_nEntryStart = m_i;
            try {
                DialogOption(dialog, seen);
            } catch (const SyntaxError&) {
                Resynchronise(start);
            }
        }
        if (dialog.m_bHasFont) {
            dialog.m_dwStyle |= kSetFont;  // the template carries its font
        } else if ((dialog.m_dwStyle & kSetFont) != 0) {
            m_diagnostics.Error(dialog.m_pos, "dialog " + std::to_string(dialog.m_nId) +
                                                  " has the style DS_SETFONT but no FONT line");
        }
        Block("DIALOG", keyword, [this, &dialog] { Control(dialog); });
        m_script.m_dialogs.push_back(std::move(dialog));
    }

    void DialogOption(DialogResource& dialog, std::map<std::string, int>& seen)
    {
        const Token& option = Take();
        const std::string& name = option.m_strText;
        if (seen.count(name) != 0) {
            Fail(option, name + " is given twice for dialog " + std::to_string(dialog.m_nId) + " (first at line " +
                             std::to_string(seen[name]) + ")");
        }
        seen[name] = option.m_nLine;
        if (name == "STYLE") {
            dialog.m_dwStyle = Flags("a style");
        } else if (name == "EXSTYLE") {
            dialog.m_dwExStyle = Flags("an extended style");
        } else if (name == "CAPTION") {
            dialog.m_strCaption = String("the caption");
        } else if (name == "FONT") {
            dialog.m_bHasFont = true;
            dialog.m_nPointSize = static_cast<std::uint16_t>(Number("point size", 1, 1000));
            ExpectPunct(',', "after the point size");
            dialog.m_strFont = String("the font name");
            if (dialog.m_strFont.empty()) {
                Fail(option, "the font name is empty");
            }
            if (AcceptComma()) {
                dialog.m_nWeight = static_cast<std::uint16_t>(Number("font weight", 0, 1000));
                if (AcceptComma()) {
                    dialog.m_nItalic = static_cast<std::uint8_t>(Number("italic flag", 0, 1));
                    if (AcceptComma()) {
                        dialog.m_nCharSet = static_cast<std::uint8_t>(Number("character set", 0, 255));
                    }
                }
            }
        } else {
            Fail(option, "unknown dialog statement '" + name + "' (expected STYLE, EXSTYLE, CAPTION or FONT)");
        }
    }

    void Control(DialogResource& dialog)
    {
        const Token& keyword = Peek();
        if (keyword.m_kind != TokenKind::Name || keyword.m_strText != "CONTROL") {
            Fail(keyword, "expected CONTROL or '}' in dialog " + std::to_string(dialog.m_nId) + ", found " +
                              Describe(keyword));
        }
        Take();
        ControlItem item;
        item.m_pos = PosOf(keyword);
        item.m_strText = String("the control's text");
        ExpectPunct(',', "after the control's text");
        item.m_nId = static_cast<std::uint32_t>(Number("control ID", -1, 0xFFFF));
        ExpectPunct(',', "after the control ID");
        const Token& classToken = Peek();
        item.m_strClass = String("the control's class name");
        if (item.m_strClass.empty()) {
            Fail(classToken, "the control's class name is empty");
        }
        ExpectPunct(',', "after the class name");
        item.m_dwStyle = Flags("a style", kControlDefaultStyle);
        ExpectPunct(',', "after the style");
        item.m_x = Coordinate("x", false);
        ExpectPunct(',', "after x");
        item.m_y = Coordinate("y", false);
        ExpectPunct(',', "after y");
        item.m_cx = Coordinate("width", true);
        ExpectPunct(',', "after the width");
        item.m_cy = Coordinate("height", true);
        if (AcceptComma()) {
            item.m_dwExStyle = Flags("an extended style");
        }
        if (!Peek().m_bStartsLine) {
            Fail(Peek(), "expected the end of the CONTROL line, found " + Describe(Peek()));
        }
        dialog.m_items.push_back(std::move(item));
    }

    void FileStatement(const Token& keyword, bool bitmap)
    {
        FileResource resource;
        resource.m_pos = PosOf(keyword);
        resource.m_nId = ResourceId(bitmap ? "bitmap" : "cursor");
        const Token& nameToken = Peek();
        const std::string name = String("the file name");
        if (name.empty()) {
            Fail(nameToken, "the file name is empty");
        }
        const std::filesystem::path folder = std::filesystem::path(m_strFile).parent_path();
        resource.m_strPath = (folder / name).lexically_normal().string();
        m_script.m_inputs.push_back(resource.m_strPath);
        if (bitmap ? LoadBitmapFile(resource, m_diagnostics) : LoadCursorFile(resource, m_diagnostics)) {
            (bitmap ? m_script.m_bitmaps : m_script.m_cursors).push_back(std::move(resource));
        }
    }

    void Version(const Token& keyword)
    {
        VersionResource version;
        version.m_pos = PosOf(keyword);
        std::map<std::string, int> seen;
        Block("VERSIONINFO", keyword, [&] { VersionEntry(version, seen); });
        if (seen.count("FILEVERSION") == 0) {
            m_diagnostics.Error(version.m_pos, "VERSIONINFO needs a FILEVERSION");
        }
        if (seen.count("PRODUCTVERSION") == 0) {
            version.m_productVersion = version.m_fileVersion;
        }
        if (m_script.m_version) {
            m_diagnostics.Error(version.m_pos, "a second VERSIONINFO (the first is at " +
                                                   FirstAt(m_script.m_version->m_pos, version.m_pos) + ")");
            return;
        }
        m_script.m_version = std::move(version);
    }

    void VersionEntry(VersionResource& version, std::map<std::string, int>& seen)
    {
        const Token& keyword = Peek();
        if (keyword.m_kind != TokenKind::Name) {
            Fail(keyword, "expected a VERSIONINFO statement, found " + Describe(keyword));
        }
        Take();
        const std::string& name = keyword.m_strText;
        if (name == "VALUE") {
            const Token& nameToken = Peek();
            std::string key = String("the value's name");
            if (key.empty()) {
                Fail(nameToken, "the value's name is empty");
            }
            ExpectPunct(',', "after the value's name");
            std::string text = String("the value's text");
            if (key.size() + text.size() > 8000) {
                Fail(nameToken, "the value \"" + key + "\" is too long for the version block");
            }
            for (const auto& existing : version.m_values) {
                if (existing.first == key) {
                    Fail(nameToken, "VALUE \"" + key + "\" is given twice");
                }
            }
            version.m_values.emplace_back(std::move(key), std::move(text));
            return;
        }
        if (seen.count(name) != 0) {
            Fail(keyword, name + " is given twice (first at line " + std::to_string(seen[name]) + ")");
        }
        // Marked before the value is read, so a bad value is not also
        // reported as a missing statement.
        seen[name] = keyword.m_nLine;
        if (name == "FILEVERSION") {
            version.m_fileVersion = VersionNumber();
        } else if (name == "PRODUCTVERSION") {
            version.m_productVersion = VersionNumber();
        } else if (name == "FILEFLAGSMASK") {
            version.m_dwFlagsMask = Flags("a flag mask");
        } else if (name == "FILEFLAGS") {
            version.m_dwFlags = Flags("file flags");
        } else if (name == "FILEOS") {
            version.m_dwOs = Flags("an operating system");
        } else if (name == "FILETYPE") {
            version.m_dwType = Flags("a file type");
        } else if (name == "FILESUBTYPE") {
            version.m_dwSubtype = Flags("a file subtype");
        } else if (name == "LANGUAGE") {
            version.m_nLanguage = static_cast<std::uint16_t>(Number("language", 0, 0xFFFF));
            ExpectPunct(',', "between the language and the code page");
            version.m_nCodePage = static_cast<std::uint16_t>(Number("code page", 0, 0xFFFF));
        } else {
            Fail(keyword, "unknown VERSIONINFO statement '" + name +
                              "' (expected FILEVERSION, PRODUCTVERSION, FILEFLAGSMASK, FILEFLAGS, FILEOS, FILETYPE, "
                              "FILESUBTYPE, LANGUAGE or VALUE)");
        }
    }

    std::vector<Token> m_tokens;
    std::size_t m_i = 0;
    std::size_t m_nEntryStart = 0;  // the first token of the entry being parsed
    std::string m_strFile;
    Diagnostics& m_diagnostics;
    Script& m_script;
};

}  // namespace

void ParseScriptFile(const std::string& path, const Variables& variables, Diagnostics& diagnostics, Script& script)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        diagnostics.Error(SourcePos{path, 0}, "cannot read the script");
        return;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    script.m_inputs.push_back(path);
    Parser(Tokenize(text, path, variables, diagnostics), path, diagnostics, script).Run();
}

void CheckScript(const Script& script, Diagnostics& diagnostics)
{
    auto checkUnique = [&](const auto& items, const char* kind, auto idOf) {
        std::map<std::uint32_t, SourcePos> first;
        for (const auto& item : items) {
            auto [it, inserted] = first.emplace(idOf(item), item.m_pos);
            if (!inserted) {
                diagnostics.Error(item.m_pos, std::string(kind) + " " + std::to_string(idOf(item)) +
                                                  " is defined twice (first at " + FirstAt(it->second, item.m_pos) +
                                                  ")");
            }
        }
    };
    auto byId = [](const auto& item) { return static_cast<std::uint32_t>(item.m_nId); };
    checkUnique(script.m_strings, "string", byId);
    checkUnique(script.m_dialogs, "dialog", byId);
    checkUnique(script.m_bitmaps, "bitmap", byId);
    checkUnique(script.m_cursors, "cursor", byId);
    for (const DialogResource& dialog : script.m_dialogs) {
        if (dialog.m_items.size() > 0xFFFF) {
            diagnostics.Error(dialog.m_pos, "dialog " + std::to_string(dialog.m_nId) + " has more than 65535 controls");
        }
        std::map<std::uint32_t, SourcePos> first;
        for (const ControlItem& item : dialog.m_items) {
            if (item.m_nId == 0xFFFFFFFFu) {
                continue;  // IDC_STATIC labels share their ID
            }
            auto [it, inserted] = first.emplace(item.m_nId, item.m_pos);
            if (!inserted) {
                diagnostics.Error(item.m_pos, "control ID " + std::to_string(item.m_nId) + " is used twice in dialog " +
                                                  std::to_string(dialog.m_nId) + " (first at " +
                                                  FirstAt(it->second, item.m_pos) + ")");
            }
        }
    }
}

}  // namespace rescomp
