// Tokens of the layout text format (see LayoutReader.h). Internal to the layout reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TLayoutToken { End, Ident, Number, String, Symbol };

struct TLayoutTokenValue {
    TLayoutToken Kind = TLayoutToken::End;
    std::string Text; // identifier, number text, decoded string, or the symbol character
    int Line = 0;
};

class TLayoutLexer {
public:
    TLayoutLexer(std::string_view text, std::string sourceName);

    const TLayoutTokenValue& Peek();
    TLayoutTokenValue Next();
    // After a '{' that opens binary data: the bytes written as hexadecimal digit pairs
    // (white space anywhere), up to and including the closing '}'.
    std::vector<std::uint8_t> ReadHexBlock();

    int Line() const noexcept { return line_; }
    // "<source>, ligne <n> : <message>" as an EReadError.
    [[noreturn]] void Fail(int line, const std::string& message) const;

private:
    TLayoutTokenValue Scan();
    void SkipBlanks();

    std::string_view text_;
    std::string source_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool peeked_ = false;
    TLayoutTokenValue peek_;
};
