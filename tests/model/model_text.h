#pragma once
// Reading models and tokens from text held in memory, for the model tests.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "model/model.h"
#include "model/model_lexer.h"

namespace kelvaro::testing {

// A read-only stream over a copy of `text` (NUL bytes included).
class MemoryStream {
public:
    explicit MemoryStream(std::string_view text);
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::FILE* file() const { return file_; }

private:
    std::string text_;
    std::FILE* file_;
};

// The model read from `text`; the test fails (and null is answered) when the read raises.
std::unique_ptr<Model> readModel(std::string_view text);
// The code raised when reading `text`, or 0 when the read succeeds.
int readErrorCode(std::string_view text);

// A lexer over text held in memory.
class TextLexer {
public:
    explicit TextLexer(std::string_view text) : stream_(text), lexer_(stream_.file()) {}
    ModelLexer& operator*() { return lexer_; }
    ModelLexer* operator->() { return &lexer_; }

private:
    MemoryStream stream_;
    ModelLexer lexer_;
};

// Every token of `text` up to end of file, one per line as "<kind> <value>" (for example
// "Real 0.5", "Identifier POINT", "String ab", "EndOfLine"); raises like the lexer.
std::string tokenList(std::string_view text);
// The code the lexer raises on `text` before end of file, or 0.
int lexErrorCode(std::string_view text);

// The model's fields in one text, for comparing two models.
std::string describe(const Model& model);

// "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n" followed by `statements`.
std::string unitBox(std::string_view statements = {});

}  // namespace kelvaro::testing
