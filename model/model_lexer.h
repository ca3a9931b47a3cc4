#pragma once
// ModelLexer: splits a model file into tokens. It reads the stream one character at a
// time (end of input reads as NUL), folds every carriage return + line feed pair into one
// line feed, keeps up to two characters of push-back and counts lines, so that each token
// knows the line it started on and the reader can say where it stopped. It also keeps the
// start of a few lines' text, for the reader's warnings.
//
// Lexical errors are raised as plain ints (see read_errors.h).

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelvaro {

enum class TokenKind : std::int16_t {
    Identifier = 1,
    Integer = 2,
    Real = 3,
    String = 4,
    EndOfLine = 5,
    EndOfFile = 6,
    Minus = 26,
    Exclamation = 31,
    Slash = 32,
    Less = 33,
    Greater = 34,
    Colon = 35,
    Equals = 36,
    Plus = 37,
    Asterisk = 38,
    Circumflex = 40,
    LeftParenthesis = 41,
    RightParenthesis = 42,
    LeftBracket = 43,
    RightBracket = 44,
    LeftBrace = 45,
    RightBrace = 46,
    Ampersand = 47,
    VerticalBar = 48,
    Comma = 49,
    Semicolon = 50,
    Question = 51,
};

// What a character does at the start of a token.
enum class CharClass : std::uint8_t {
    Identifier,   // A-Z, a-z, underscore
    Digit,        // 0-9
    Blank,        // space, tab
    LineEnd,      // line feed, carriage return
    End,          // NUL (also end of input)
    String,       // double quote
    Backslash,    // comment or line continuation
    Quote,        // apostrophe: quoted comment
    Minus,        // negative number or Minus token
    Point,        // full stop: a number beginning with its fraction
    Punctuation,  // a one-character token
    Invalid,      // everything else, including every byte above 127
};

// The class of a character code 0..255.
CharClass charClass(int c);
// The token kind of a Punctuation character.
TokenKind punctuationKind(int c);

struct Token {
    static constexpr int maxTextLength = 255;

    TokenKind kind = TokenKind::EndOfFile;
    float number = 0.0f;                // value of an Integer or Real
    char text[maxTextLength + 1] = {};  // Identifier (upper-cased) or String, terminated
    int length = 0;                     // characters in text
    int line = 1;                       // line on which the token started (1 = first)

    std::string_view view() const { return {text, static_cast<std::size_t>(length)}; }
    bool isNumber() const { return kind == TokenKind::Integer || kind == TokenKind::Real; }
};

class ModelLexer {
public:
    // Reads from `stream`, which stays open and owned by the caller.
    explicit ModelLexer(std::FILE* stream) : stream_(stream) {}

    // Reads one token and answers it; the token is overwritten by the next call.
    const Token& nextToken();
    const Token& token() const { return token_; }

    // The next character, 0 at end of input; a CR LF pair reads as one line feed.
    int getChar();
    // The next character, left unread.
    int peekChar();
    // Pushes the most recently read character back; at most two characters wait at a time.
    void ungetChar() { pushBack(current_); }
    // Reads up to and including the next line feed, or up to end of input.
    void skipLine();

    // The line of the character read most recently (1 before anything is read).
    int line() const { return charLine_; }
    // The line of the last character read from the stream: the file's last line once
    // everything is read (1 before anything is read).
    int lastCharacterLine() const { return lastCharacterLine_; }
    // How many line feeds comments have swallowed so far: a comment's own line feed
    // (\\ ... to the end of a line) and those inside a quoted comment.
    int commentLineFeeds() const { return commentLineFeeds_; }
    // The bytes of the character that stopped the reading with ReadError::InvalidCharacter
    // (several for a character written in UTF-8); empty before such a stop.
    const std::string& invalidCharacter() const { return invalidCharacter_; }

    // The text of `line` from its first non-blank character on, at most lineTextLimit
    // characters of it, as far as it has been read (whole once its line feed has been
    // read). Known for the line being read, the line completed last and the line given to
    // keepLine; empty for any other.
    std::string_view lineText(int line) const;
    // Keeps the text of `line` (read already or being read) until the next call.
    void keepLine(int line);
    static constexpr std::size_t lineTextLimit = 64;

private:
    void pushBack(int c);
    // Notes a character read from the stream in the text of its line.
    void record(int c);

    void readIdentifier(int first);
    // A number: `first` is its first digit (already read); `negative` when a minus came
    // before it; `inFraction` when `first` is the first digit after the full stop.
    void readNumber(int first, bool negative, bool inFraction);
    void readMinus();
    void readString();
    void skipBackslash();
    void skipQuotedComment();
    void store(int c);
    void setKind(TokenKind kind);
    // Notes `first` and the UTF-8 continuation bytes after it, then fails.
    [[noreturn]] void failInvalidCharacter(int first);

    std::FILE* stream_;
    int current_ = 0;
    static constexpr int maxPushBack = 2;
    int pending_[maxPushBack] = {};
    int pendingCount_ = 0;
    int nextLine_ = 1;  // line of the next character to be read from the stream
    int charLine_ = 1;
    int lastCharacterLine_ = 1;
    int commentLineFeeds_ = 0;
    std::string invalidCharacter_;
    Token token_;
    // Each character is recorded once, when it comes from the stream (push-back aside).
    int streamLine_ = 1;  // the line being read from the stream
    std::string readingText_;
    int lastLine_ = 0;  // the line completed last, 0 for none
    std::string lastText_;
    int keptLine_ = 0;
    std::string keptText_;
};

}  // namespace kelvaro
