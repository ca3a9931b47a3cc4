#pragma once
// ReadWarning: one statement that the model reader dropped, one line that it discarded, or
// one charge it kept outside the box (see read_report.h for its words and the reads that
// collect them).

#include <string>

namespace kelvaro {

struct ReadWarning {
    int line = 0;        // 1 = the file's first line
    std::string text;    // the line as written, without blanks at either end; at most
                         // maxTextLength characters (a longer one ends in "..."), any
                         // character that is not printable ASCII shown as '?'
    std::string reason;  // what was wrong and what the reader did, in plain words
    bool lineSkipped = true;  // the line counted for nothing (false: it was read, as a
                              // charge outside the box is)
    static constexpr int maxTextLength = 60;
};

}  // namespace kelvaro
