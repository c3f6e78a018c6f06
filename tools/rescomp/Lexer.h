#pragma once

// Tokens of a resource script: names, numbers, strings with C escapes and
// the punctuation , . | { }. "//" and "/* */" are comments. ${NAME} is
// replaced by the value of a variable given on the command line, inside
// strings too.

#include "Diagnostics.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rescomp {

// Invalid stands where the lexer found a problem, already reported, so the
// parser can skip the entry without a second message.
enum class TokenKind { Name, Number, String, Punct, Invalid, End };

struct Token {
    TokenKind m_kind = TokenKind::End;
    std::string m_strText;        // the name, the punctuation, or the string's bytes
    std::int64_t m_nNumber = 0;   // for numbers
    int m_nLine = 0;
    bool m_bStartsLine = false;   // first token on its line
};

using Variables = std::map<std::string, std::string>;

// Lexing goes on after a bad token, so that every problem is reported.
std::vector<Token> Tokenize(const std::string& text, const std::string& file, const Variables& variables,
                            Diagnostics& diagnostics);

// How a token is shown in messages: 'name', '{', "text", end of file.
std::string Describe(const Token& token);

}  // namespace rescomp
