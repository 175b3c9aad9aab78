#include "framework/LayoutLexer.h"

#include "framework/Exceptions.h"

namespace {

bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

TLayoutLexer::TLayoutLexer(std::string_view text, std::string sourceName)
    : text_(text), source_(std::move(sourceName))
{
}

void TLayoutLexer::Fail(int line, const std::string& message) const
{
    throw EReadError(source_ + ", ligne " + std::to_string(line) + " : " + message);
}

const TLayoutTokenValue& TLayoutLexer::Peek()
{
    if (!peeked_) {
        peek_ = Scan();
        peeked_ = true;
    }
    return peek_;
}

TLayoutTokenValue TLayoutLexer::Next()
{
    if (peeked_) {
        peeked_ = false;
        return std::move(peek_);
    }
    return Scan();
}

void TLayoutLexer::SkipBlanks()
{
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++pos_;
        } else if (c == '#') {
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        } else {
            break;
        }
    }
}

TLayoutTokenValue TLayoutLexer::Scan()
{
    SkipBlanks();
    TLayoutTokenValue token;
    token.Line = line_;
    if (pos_ >= text_.size())
        return token;
    const char c = text_[pos_];
    if (IsIdentStart(c)) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsIdentChar(text_[pos_]))
            ++pos_;
        token.Kind = TLayoutToken::Ident;
        token.Text = text_.substr(start, pos_ - start);
        return token;
    }
    if (IsDigit(c) || ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                       (IsDigit(text_[pos_ + 1]) || IsIdentStart(text_[pos_ + 1])))) {
        // Numbers, and signed words such as -inf for floating-point values.
        const std::size_t start = pos_++;
        while (pos_ < text_.size() &&
               (IsIdentChar(text_[pos_]) || text_[pos_] == '.' ||
                ((text_[pos_] == '-' || text_[pos_] == '+') && (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))))
            ++pos_;
        token.Kind = TLayoutToken::Number;
        token.Text = text_.substr(start, pos_ - start);
        return token;
    }
    if (c == '"') {
        ++pos_;
        token.Kind = TLayoutToken::String;
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] == '\n')
                Fail(token.Line, "chaîne non terminée");
            const char ch = text_[pos_++];
            if (ch == '"')
                break;
            if (ch != '\\') {
                token.Text.push_back(ch);
                continue;
            }
            if (pos_ >= text_.size())
                Fail(token.Line, "chaîne non terminée");
            const char escaped = text_[pos_++];
            switch (escaped) {
            case '"':
            case '\\':
                token.Text.push_back(escaped);
                break;
            case 'n':
                token.Text.push_back('\n');
                break;
            case 'r':
                token.Text.push_back('\r');
                break;
            case 't':
                token.Text.push_back('\t');
                break;
            case 'x': {
                const int high = pos_ < text_.size() ? HexValue(text_[pos_]) : -1;
                const int low = pos_ + 1 < text_.size() ? HexValue(text_[pos_ + 1]) : -1;
                if (high < 0 || low < 0)
                    Fail(line_, "séquence \\x incorrecte");
                token.Text.push_back(static_cast<char>(high * 16 + low));
                pos_ += 2;
                break;
            }
            default:
                Fail(line_, std::string("séquence d'échappement \\") + escaped + " inconnue");
            }
        }
        return token;
    }
    ++pos_;
    token.Kind = TLayoutToken::Symbol;
    token.Text = std::string(1, c);
    return token;
}

std::vector<std::uint8_t> TLayoutLexer::ReadHexBlock()
{
    if (peeked_)
        Fail(peek_.Line, "données binaires mal placées");
    std::vector<std::uint8_t> bytes;
    int high = -1;
    while (true) {
        if (pos_ >= text_.size())
            Fail(line_, "données binaires non terminées");
        const char c = text_[pos_++];
        if (c == '\n') {
            ++line_;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r')
            continue;
        if (c == '}') {
            if (high >= 0)
                Fail(line_, "nombre impair de chiffres hexadécimaux");
            return bytes;
        }
        const int value = HexValue(c);
        if (value < 0)
            Fail(line_, std::string("caractère '") + c + "' dans des données hexadécimales");
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
}
