#pragma once
// The codes with which reading a model file fails. They are raised as plain integers
// (`throw 37006;` style): callers catch `int`.

namespace kelvaro {

enum class ReadError : int {
    PointWithoutDigit = 37000,          // a full stop that starts a token is not followed by a digit
    ExponentWithoutDigit = 37001,       // e or E (and its optional sign) is not followed by a digit
    ExponentTooLarge = 37002,           // an exponent whose magnitude is greater than 300
    TextTooLong = 37003,                // a String or an Identifier longer than 255 characters
    BadBackslash = 37004,               // a backslash followed by neither a backslash nor a line feed
    UnterminatedQuotedComment = 37005,  // end of input inside an apostrophe comment
    InvalidCharacter = 37006,           // a token starts with a character no token can start with
    LineFeedInString = 37007,           // a line feed inside a String without a backslash before it
    StatementWithoutKeyword = 37010,    // a line (also a blank one) that does not begin with a word
    UnknownKeyword = 37011,             // a line that begins with a word that is not a keyword
    MissingBounds = 37012,              // the file has no valid BOUNDS statement
    OutOfMemory = 48000,                // memory for the keyword pool (or the model's box) ran out
};

// Raises `code` as a plain int.
[[noreturn]] inline void failRead(ReadError code) { throw static_cast<int>(code); }

}  // namespace kelvaro
