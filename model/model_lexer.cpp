#include "model/model_lexer.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "model/read_errors.h"

// Sections: the character table; reading characters; tokens; numbers; strings and comments.

namespace kelvaro {
namespace {

constexpr std::string_view punctuationCharacters = "!/<>:=+*^()[]{}&|,;?";
constexpr TokenKind punctuationKinds[] = {
    TokenKind::Exclamation,  TokenKind::Slash,           TokenKind::Less,             TokenKind::Greater,
    TokenKind::Colon,        TokenKind::Equals,          TokenKind::Plus,             TokenKind::Asterisk,
    TokenKind::Circumflex,   TokenKind::LeftParenthesis, TokenKind::RightParenthesis, TokenKind::LeftBracket,
    TokenKind::RightBracket, TokenKind::LeftBrace,       TokenKind::RightBrace,       TokenKind::Ampersand,
    TokenKind::VerticalBar,  TokenKind::Comma,           TokenKind::Semicolon,        TokenKind::Question,
};
static_assert(std::size(punctuationKinds) == punctuationCharacters.size());

constexpr CharClass classify(int c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return CharClass::Identifier;
    if (c >= '0' && c <= '9') return CharClass::Digit;
    switch (c) {
        case ' ': case '\t': return CharClass::Blank;
        case '\n': case '\r': return CharClass::LineEnd;
        case '\0': return CharClass::End;
        case '"': return CharClass::String;
        case '\\': return CharClass::Backslash;
        case '\'': return CharClass::Quote;
        case '-': return CharClass::Minus;
        case '.': return CharClass::Point;
        default: break;
    }
    return punctuationCharacters.find(static_cast<char>(c)) != std::string_view::npos ? CharClass::Punctuation
                                                                                       : CharClass::Invalid;
}

// The class of every code 0..127; codes above are Invalid.
constexpr std::array<CharClass, 128> characterClasses = [] {
    std::array<CharClass, 128> table{};
    for (int c = 0; c < 128; ++c) table[static_cast<std::size_t>(c)] = classify(c);
    return table;
}();

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool continuesIdentifier(int c) {
    const CharClass cls = charClass(c);
    return cls == CharClass::Identifier || cls == CharClass::Digit;
}
int upperCase(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Fraction and exponent digits beyond this keep N / D finite; they cannot change a
// single-precision result.
constexpr double largestFractionScale = 1e300;
constexpr double largestExponent = 300.0;

}  // namespace

CharClass charClass(int c) {
    return c >= 0 && c < 128 ? characterClasses[static_cast<std::size_t>(c)] : CharClass::Invalid;
}

TokenKind punctuationKind(int c) {
    return punctuationKinds[punctuationCharacters.find(static_cast<char>(c))];
}

// ---- reading characters ----

int ModelLexer::getChar() {
    int c;
    if (pendingCount_ > 0) {
        c = pending_[--pendingCount_];
    } else {
        c = std::fgetc(stream_);
        if (c == EOF) {
            c = 0;
        } else if (c == '\r') {
            const int after = std::fgetc(stream_);
            if (after == '\n') {
                c = '\n';
            } else if (after != EOF) {
                std::ungetc(after, stream_);
            }
        }
        if (c != 0) {
            record(c);
            lastCharacterLine_ = nextLine_;
        }
    }
    current_ = c;
    charLine_ = nextLine_;
    if (c == '\n') ++nextLine_;
    return c;
}

int ModelLexer::peekChar() {
    const int c = getChar();
    ungetChar();
    return c;
}

void ModelLexer::pushBack(int c) {
    // The lexer never needs more than two; more would be a fault of the lexer itself.
    if (pendingCount_ == maxPushBack) std::abort();
    pending_[pendingCount_++] = c;
    if (c == '\n') --nextLine_;
}

void ModelLexer::record(int c) {
    if (c == '\n') {
        if (streamLine_ == keptLine_) keptText_ = readingText_;
        lastText_.swap(readingText_);
        readingText_.clear();
        lastLine_ = streamLine_++;
    } else if (readingText_.size() < lineTextLimit && (!readingText_.empty() || charClass(c) != CharClass::Blank)) {
        readingText_.push_back(static_cast<char>(c));
    }
}

std::string_view ModelLexer::lineText(int line) const {
    if (line == streamLine_) return readingText_;
    if (line == lastLine_) return lastText_;
    if (line == keptLine_) return keptText_;
    return {};
}

void ModelLexer::keepLine(int line) {
    if (line == keptLine_) return;
    keptText_ = lineText(line);
    keptLine_ = line;
}

void ModelLexer::skipLine() {
    int c;
    do {
        c = getChar();
    } while (c != '\n' && c != 0);
}

// ---- tokens ----

void ModelLexer::setKind(TokenKind kind) {
    token_.kind = kind;
    token_.length = 0;
    token_.text[0] = '\0';
}

void ModelLexer::store(int c) {
    if (token_.length == Token::maxTextLength) failRead(ReadError::TextTooLong);
    token_.text[token_.length++] = static_cast<char>(c);
    token_.text[token_.length] = '\0';
}

const Token& ModelLexer::nextToken() {
    for (;;) {
        int c = getChar();
        while (charClass(c) == CharClass::Blank) c = getChar();
        token_.line = charLine_;
        setKind(TokenKind::EndOfFile);
        switch (charClass(c)) {
            case CharClass::Identifier:
                readIdentifier(c);
                return token_;
            case CharClass::Digit:
                readNumber(c, false, false);
                return token_;
            case CharClass::LineEnd:
                setKind(TokenKind::EndOfLine);
                return token_;
            case CharClass::End:
                return token_;
            case CharClass::String:
                readString();
                return token_;
            case CharClass::Backslash:
                skipBackslash();
                continue;
            case CharClass::Quote:
                skipQuotedComment();
                continue;
            case CharClass::Minus:
                readMinus();
                return token_;
            case CharClass::Point:
                if (!isDigit(peekChar())) failRead(ReadError::PointWithoutDigit);
                readNumber(getChar(), false, true);
                return token_;
            case CharClass::Punctuation:
                setKind(punctuationKind(c));
                return token_;
            case CharClass::Blank:
            case CharClass::Invalid:
                break;
        }
        failInvalidCharacter(c);
    }
}

void ModelLexer::failInvalidCharacter(int first) {
    invalidCharacter_.assign(1, static_cast<char>(first));
    // A UTF-8 lead byte says how many continuation bytes (10xxxxxx) belong to it.
    const int continuations = (first & 0xE0) == 0xC0 ? 1 : (first & 0xF0) == 0xE0 ? 2 : (first & 0xF8) == 0xF0 ? 3 : 0;
    for (int i = 0; i < continuations && (peekChar() & 0xC0) == 0x80; ++i) {
        invalidCharacter_ += static_cast<char>(getChar());
    }
    failRead(ReadError::InvalidCharacter);
}

void ModelLexer::readIdentifier(int first) {
    setKind(TokenKind::Identifier);
    store(upperCase(first));
    int c;
    while (continuesIdentifier(c = getChar())) store(upperCase(c));
    ungetChar();
}

void ModelLexer::readMinus() {
    const int next = peekChar();
    if (isDigit(next)) {
        readNumber(getChar(), true, false);
        return;
    }
    if (next == '.') {
        getChar();
        if (isDigit(peekChar())) {
            readNumber(getChar(), true, true);
            return;
        }
        pushBack('.');  // the full stop and what follows it stay unread
    }
    setKind(TokenKind::Minus);
}

// ---- numbers ----

void ModelLexer::readNumber(int first, bool negative, bool inFraction) {
    double value = 0.0;
    bool real = inFraction;
    int c = first;
    if (!inFraction) {
        while (isDigit(c)) {
            value = value * 10.0 + (c - '0');
            c = getChar();
        }
        if (c == '.') {
            if (peekChar() == '.') {
                // "1..2": the number ends before the first of the two full stops.
                pushBack('.');
                setKind(TokenKind::Integer);
                token_.number = static_cast<float>(negative ? -value : value);
                return;
            }
            real = true;
            c = getChar();
        }
    }
    if (real) {
        double numerator = 0.0;
        double denominator = 1.0;
        for (; isDigit(c); c = getChar()) {
            if (denominator < largestFractionScale) {
                numerator = numerator * 10.0 + (c - '0');
                denominator *= 10.0;
            }
        }
        value += numerator / denominator;
    }
    if (c == 'e' || c == 'E') {
        real = true;
        c = getChar();
        const bool negativeExponent = c == '-';
        if (c == '-' || c == '+') c = getChar();
        if (!isDigit(c)) failRead(ReadError::ExponentWithoutDigit);
        double exponent = 0.0;
        for (; isDigit(c); c = getChar()) exponent = exponent * 10.0 + (c - '0');
        if (exponent > largestExponent) failRead(ReadError::ExponentTooLarge);
        value *= std::pow(10.0, negativeExponent ? -exponent : exponent);
    }
    ungetChar();
    setKind(real ? TokenKind::Real : TokenKind::Integer);
    token_.number = static_cast<float>(negative ? -value : value);
}

// ---- strings and comments ----

void ModelLexer::readString() {
    setKind(TokenKind::String);
    for (;;) {
        int c = getChar();
        switch (c) {
            case '"':
            case '\0':
                return;
            case '\n':
                failRead(ReadError::LineFeedInString);
            case '\\':
                c = getChar();
                switch (c) {
                    case '\0': return;       // end of input right after the backslash
                    case '\n': continue;     // line continuation inside the string
                    case 'b': c = '\b'; break;
                    case 'f': c = '\f'; break;
                    case 'n': c = '\n'; break;
                    case 'r': c = '\r'; break;
                    case 't': c = '\t'; break;
                    default: break;          // the character itself, quote and backslash included
                }
                break;
            default:
                break;
        }
        store(c);
    }
}

void ModelLexer::skipBackslash() {
    const int c = getChar();
    if (c == '\\') {
        skipLine();  // a comment: the rest of the line, its line feed included
        if (current_ == '\n') ++commentLineFeeds_;
    } else if (c == '\n') {
        int next;
        do {
            next = getChar();  // a continuation swallows the empty lines after it
        } while (next == '\n');
        ungetChar();
    } else {
        failRead(ReadError::BadBackslash);
    }
}

void ModelLexer::skipQuotedComment() {
    int c;
    do {
        c = getChar();
        if (c == '\0') failRead(ReadError::UnterminatedQuotedComment);
        if (c == '\n') ++commentLineFeeds_;
    } while (c != '\'');
}

}  // namespace kelvaro
