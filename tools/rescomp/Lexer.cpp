#include "Lexer.h"

#include <cctype>

namespace rescomp {

namespace {

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

class Lexer {
public:
    Lexer(const std::string& text, const std::string& file, const Variables& variables, Diagnostics& diagnostics,
          int firstLine, std::vector<Token>& out)
        : m_text(text), m_strFile(file), m_variables(variables), m_diagnostics(diagnostics), m_nLine(firstLine),
          m_out(out)
    {
    }

    void Run(int depth)
    {
        while (m_i < m_text.size()) {
            const char c = m_text[m_i];
            if (c == '\n') {
                ++m_nLine;
                m_bLineStart = true;
                ++m_i;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++m_i;
            } else if (c == '/' && Next(1) == '/') {
                while (m_i < m_text.size() && m_text[m_i] != '\n') {
                    ++m_i;
                }
            } else if (c == '/' && Next(1) == '*') {
                SkipBlockComment();
            } else if (c == '$' && Next(1) == '{') {
                const int line = m_nLine;
                std::string value;
                if (!ExpandVariable(value)) {
                    Emit(TokenKind::Invalid, {});
                } else {
                    if (depth > 8) {
                        Error(line, "variables nested too deeply");
                        Emit(TokenKind::Invalid, {});
                    } else {
                        // The value is lexed as if it stood in the script.
                        Lexer inner(value, m_strFile, m_variables, m_diagnostics, line, m_out);
                        inner.m_bLineStart = m_bLineStart;
                        inner.Run(depth + 1);
                        m_bLineStart = false;
                    }
                }
            } else if (c == '"') {
                LexString();
            } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
                       (c == '-' && std::isdigit(static_cast<unsigned char>(Next(1))) != 0)) {
                LexNumber();
            } else if (IsNameStart(c)) {
                std::size_t end = m_i;
                while (end < m_text.size() && IsNameChar(m_text[end])) {
                    ++end;
                }
                Emit(TokenKind::Name, m_text.substr(m_i, end - m_i));
                m_i = end;
            } else if (c == ',' || c == '.' || c == '|' || c == '{' || c == '}') {
                Emit(TokenKind::Punct, std::string(1, c));
                ++m_i;
            } else {
                Error(m_nLine, std::string("unexpected character '") + c + "'");
                Emit(TokenKind::Invalid, {});
                ++m_i;
            }
        }
    }

private:
    char Next(std::size_t ahead) const { return m_i + ahead < m_text.size() ? m_text[m_i + ahead] : '\0'; }

    void Error(int line, std::string message) { m_diagnostics.Error(SourcePos{m_strFile, line}, std::move(message)); }

    Token& Emit(TokenKind kind, std::string text)
    {
        Token token;
        token.m_kind = kind;
        token.m_strText = std::move(text);
        token.m_nLine = m_nLine;
        token.m_bStartsLine = m_bLineStart;
        m_bLineStart = false;
        m_out.push_back(std::move(token));
        return m_out.back();
    }

    void SkipBlockComment()
    {
        const int line = m_nLine;
        m_i += 2;
        while (m_i < m_text.size() && !(m_text[m_i] == '*' && Next(1) == '/')) {
            if (m_text[m_i] == '\n') {
                ++m_nLine;
                m_bLineStart = true;
            }
            ++m_i;
        }
        if (m_i >= m_text.size()) {
            Error(line, "comment is not closed with */");
            return;
        }
        m_i += 2;
    }

    // At "${": reads the name and its closing brace.
    bool ExpandVariable(std::string& value)
    {
        const std::size_t close = m_text.find('}', m_i + 2);
        const std::size_t newline = m_text.find('\n', m_i + 2);
        if (close == std::string::npos || close > newline) {
            Error(m_nLine, "'${' without a closing '}'");
            m_i += 2;
            return false;
        }
        const std::string name = m_text.substr(m_i + 2, close - m_i - 2);
        m_i = close + 1;
        auto it = m_variables.find(name);
        if (it == m_variables.end()) {
            Error(m_nLine, "variable ${" + name + "} is not defined (give it with -D " + name + "=VALUE)");
            return false;
        }
        value = it->second;
        return true;
    }

    void LexNumber()
    {
        const std::size_t start = m_i;
        bool negative = false;
        if (m_text[m_i] == '-') {
            negative = true;
            ++m_i;
        }
        std::uint64_t value = 0;
        bool overflow = false;
        int base = 10;
        if (m_text[m_i] == '0' && (Next(1) == 'x' || Next(1) == 'X')) {
            base = 16;
            m_i += 2;
        }
        const std::size_t digitsStart = m_i;
        while (m_i < m_text.size()) {
            const int digit = HexValue(m_text[m_i]);
            if (digit < 0 || digit >= base) {
                break;
            }
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            overflow = overflow || value > 0xFFFFFFFFull;
            ++m_i;
        }
        const std::size_t digitsEnd = m_i;
        while (m_i < m_text.size() && IsNameChar(m_text[m_i])) {
            ++m_i;
        }
        const std::string text = m_text.substr(start, m_i - start);
        if (digitsEnd == digitsStart || digitsEnd != m_i) {
            Error(m_nLine, "'" + text + "' is not a number");
            Emit(TokenKind::Invalid, text);
            return;
        }
        if (overflow) {
            Error(m_nLine, "number " + text + " does not fit in 32 bits");
            Emit(TokenKind::Invalid, text);
            return;
        }
        Token& token = Emit(TokenKind::Number, text);
        token.m_nNumber = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    }

    void LexString()
    {
        const int line = m_nLine;
        std::string value;
        bool good = true;
        ++m_i;
        for (;;) {
            if (m_i >= m_text.size() || m_text[m_i] == '\n') {
                Error(line, "string is not closed with '\"' on its line");
                Emit(TokenKind::Invalid, {}).m_nLine = line;
                return;
            }
            const char c = m_text[m_i];
            if (c == '"') {
                ++m_i;
                break;
            }
            if (c == '$' && Next(1) == '{') {
                std::string expansion;
                good = ExpandVariable(expansion) && good;
                value += expansion;
                continue;
            }
            if (c != '\\') {
                value += c;
                ++m_i;
                continue;
            }
            good = LexEscape(value) && good;
        }
        Emit(good ? TokenKind::String : TokenKind::Invalid, std::move(value)).m_nLine = line;
    }

    // At a backslash inside a string.
    bool LexEscape(std::string& value)
    {
        const char e = Next(1);
        m_i += 2;
        switch (e) {
        case 'n': value += '\n'; return true;
        case 't': value += '\t'; return true;
        case 'r': value += '\r'; return true;
        case 'a': value += '\a'; return true;
        case 'b': value += '\b'; return true;
        case 'f': value += '\f'; return true;
        case 'v': value += '\v'; return true;
        case '\\': value += '\\'; return true;
        case '\'': value += '\''; return true;
        case '"': value += '"'; return true;
        case '?': value += '?'; return true;
        case 'x': {
            int code = 0;
            int digits = 0;
            while (digits < 2 && HexValue(Next(0)) >= 0) {
                code = code * 16 + HexValue(m_text[m_i]);
                ++m_i;
                ++digits;
            }
            if (digits == 0) {
                Error(m_nLine, "\\x needs one or two hexadecimal digits");
                return false;
            }
            value += static_cast<char>(code);
            return true;
        }
        default:
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int digits = 1; digits < 3 && Next(0) >= '0' && Next(0) <= '7'; ++digits) {
                    code = code * 8 + (m_text[m_i] - '0');
                    ++m_i;
                }
                if (code > 0xFF) {
                    Error(m_nLine, "octal escape is above \\377");
                    return false;
                }
                value += static_cast<char>(code);
                return true;
            }
            if (e == '\n' || e == '\0') {
                // The string's own loop reports the missing quote.
                m_i -= 1;
                return false;
            }
            Error(m_nLine, std::string("unknown escape \\") + e + " in string");
            return false;
        }
    }

    const std::string& m_text;
    const std::string& m_strFile;
    const Variables& m_variables;
    Diagnostics& m_diagnostics;
    std::size_t m_i = 0;
    int m_nLine;
    bool m_bLineStart = true;
    std::vector<Token>& m_out;
};

}  // namespace

std::vector<Token> Tokenize(const std::string& text, const std::string& file, const Variables& variables,
                            Diagnostics& diagnostics)
{
    std::vector<Token> tokens;
    Lexer(text, file, variables, diagnostics, 1, tokens).Run(0);
    Token end;
    end.m_nLine = tokens.empty() ? 1 : tokens.back().m_nLine;
    end.m_bStartsLine = true;
    tokens.push_back(end);
    return tokens;
}

std::string Describe(const Token& token)
{
    switch (token.m_kind) {
    case TokenKind::End:
        return "end of file";
    case TokenKind::String:
        return "a string";
    case TokenKind::Number:
        return "number " + token.m_strText;
    default:
        return "'" + token.m_strText + "'";
    }
}

}  // namespace rescomp
