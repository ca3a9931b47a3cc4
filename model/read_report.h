#pragma once
// What reading a model file tells besides the model: a warning for every statement the
// reader drops and every line it discards (the model itself is the same with or without
// them), and plain words for the codes with which a read fails. The program, kelvaro-batch
// and its info command print both in the form "FILE:LINE: ...".

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

struct ReadWarning {
    int line = 0;        // 1 = the file's first line
    std::string text;    // the line as written, without blanks at either end; at most
                         // maxTextLength characters (a longer one ends in "..."), any
                         // character that is not printable ASCII shown as '?'
    std::string reason;  // what was wrong and what the reader did, in plain words
    static constexpr int maxTextLength = 60;
};

// `raw` (a line of a model file, or its start) made into ReadWarning::text.
std::string warningText(std::string_view raw);

// Plain words for a read error code (37000 to 37012 and 48000, see read_errors.h), for
// example "a blank line, ..."; other codes get words saying that the error is unknown.
const char* readErrorWords(int code);

// "FILE:LINE: REASON: TEXT" (": TEXT" only when the text is not empty).
std::string formatReadWarning(std::string_view file, const ReadWarning& warning);
// "FILE:LINE: WORDS (error CODE)", for a read that failed with `code` on `line`.
std::string formatReadFailure(std::string_view file, int code, int line);

// Writes each warning to `out` as formatReadWarning makes it, one a line.
void writeReadWarnings(std::FILE* out, std::string_view file, const std::vector<ReadWarning>& warnings);

}  // namespace kelvaro
