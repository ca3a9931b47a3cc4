// The reader's warnings for dropped statements and discarded lines, and the words of its
// fatal codes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/read_errors.h"
#include "model/read_report.h"
#include "tests/model/model_text.h"

namespace kelvaro::testing {
namespace {

// describe() of the model read from `text` (or "error CODE"), read with or without warnings.
std::string outcome(const std::string& text, std::vector<ReadWarning>* warnings) {
    MemoryStream stream(text);
    try {
        return describe(Model(stream.file(), warnings));
    } catch (int code) {
        return "error " + std::to_string(code);
    }
}

std::string lineOf(const std::string& text, int number) {
    std::istringstream lines(text);
    std::string line;
    for (int i = 0; i < number; ++i) std::getline(lines, line);
    return line;
}

struct BadLines {
    const char* what;
    std::string text;
    std::vector<int> warnedLines;
    const char* firstReasonStart;
    int charges;
};

TEST(ReadWarnings, EveryDroppedStatementAndDiscardedLineIsToldAndTheModelStaysTheSame) {
    std::string crowded = unitBox();
    for (int i = 1; i <= 102; ++i) crowded += "POINT " + std::to_string(i) + " AT 0, 0, 0\n";
    const std::vector<BadLines> table = {
        {"a plus sign", unitBox("POINT +1 AT 0, 0, 0\nPOINT 1 AT 0.5, 0, 0\n"), {2}, "POINT needs a number", 1},
        {"no commas", unitBox("AXES ON\nPOINT 1 AT 0.5 0 0\n"), {3}, "POINT needs a number", 0},
        {"a missing coordinate discards the next line",
         unitBox("POINT 1 AT 0, 0\nPOINT 2 AT 0.5, 0, 0\nPOINT 3 AT 0, 0.5, 0\n"), {2, 3}, "POINT needs", 1},
        {"the 100th charge, told once", crowded, {101}, "a model holds at most 99 charges", 99},
        {"bounds without TO", "BOUNDS FROM 0, 0, 0 TO 1, 1, 1\nBOUNDS FROM 0, 0, 0 1, 1, 1\n", {2}, "BOUNDS needs", 0},
        {"a name without quotes", unitBox("MODEL Dipole\n"), {2}, "MODEL needs a name in double quotes", 0},
        {"an argument word first", unitBox("AT 1\nON\n"), {2, 3}, "a line cannot begin with AT", 0},
        {"a flag word alone discards the next line", unitBox("BOX\nPOINT 1 AT 0, 0, 0\nAXES YES\nAXES OFF\n"),
         {2, 3, 4}, "BOX takes the word ON", 0},
        {"OFF after ON", unitBox("AXES OFF\nAXES ON\nAXES OFF\nBOX ON\nBOX OFF\n"), {4, 6}, "AXES OFF cannot undo", 0},
        {"a comment that takes the line feed of a short statement",
         unitBox("POINT 1 AT 0, 0 \\\\ y missing\nPOINT 2 AT 0.5, 0, 0\nPOINT 3 AT 0, 0.5, 0\n"), {2, 3}, "POINT needs", 1},
        {"a quoted comment that takes it", unitBox("BOX 'on, one day\n' AXES ON\nPOINT 3 AT 0, 0.5, 0\n"), {2, 3},
         "BOX takes the word ON", 1},
        {"a charge outside the box, after a decimal comma", unitBox("POINT 1 AT -0,5, 0, 0\nPOINT 2 AT 0, 0, 0\n"), {2},
         "this charge lies outside the box (y = 5 is beyond 1)", 2},
    };
    for (const BadLines& bad : table) {
        SCOPED_TRACE(bad.what);
        std::vector<ReadWarning> warnings;
        EXPECT_EQ(outcome(bad.text, &warnings), outcome(bad.text, nullptr));
        EXPECT_EQ(readModel(bad.text)->chargeCount(), bad.charges);
        std::vector<int> lines;
        for (const ReadWarning& warning : warnings) {
            lines.push_back(warning.line);
            EXPECT_EQ(warning.text, lineOf(bad.text, warning.line));
        }
        EXPECT_EQ(lines, bad.warnedLines);
        ASSERT_FALSE(warnings.empty());
        EXPECT_EQ(warnings[0].reason.rfind(bad.firstReasonStart, 0), 0u) << warnings[0].reason;
    }
}

TEST(ReadWarnings, SayWhyALineWasSkippedAndWhereAChargeLies) {
    std::vector<ReadWarning> warnings;
    outcome(unitBox("POINT 1 AT 0, 0 \\\\ y missing\nAXES ON\nPOINT -2 AT 0, 0, -3\nBOUNDS FROM 0, 0, 0 TO 2, 2, 2\n"),
            &warnings);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(formatReadWarning("m.txt", warnings[1]),
              "m.txt:3: skipped as well, because the statement on line 2 stopped at the comment at the end of its "
              "line: AXES ON");
    // The box is the last BOUNDS, read after the charge.
    EXPECT_EQ(formatReadWarning("m.txt", warnings[2]),
              "m.txt:4: this charge lies outside the box (z = -3 is beyond 0); it is kept, but no field line or "
              "surface reaches it: POINT -2 AT 0, 0, -3");
}

TEST(ReadWarnings, StatementsThatGoOnAfterACommentOrABackslashLoseNoLine) {
    for (const char* statements : {"POINT 1 AT 0, \\\n0, 0\nAXES ON\n", "MODEL \\\\ named below\n\"m\"\nAXES ON\n",
                                   "POINT 1 AT 0, 'the y' 0, 0\nAXES ON\n"}) {
        SCOPED_TRACE(statements);
        std::vector<ReadWarning> warnings;
        outcome(unitBox(statements), &warnings);
        EXPECT_TRUE(warnings.empty()) << formatReadWarning("", warnings[0]);
        EXPECT_TRUE(readModel(unitBox(statements))->axesOn());
    }
}

TEST(ReadWarnings, CleanFilesGiveNone) {
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        std::stringstream text;
        text << std::ifstream(entry.path()).rdbuf();
        std::vector<ReadWarning> warnings;
        EXPECT_EQ(outcome(text.str(), &warnings).rfind("error", 0), std::string::npos) << entry.path();
        EXPECT_TRUE(warnings.empty()) << entry.path() << ": " << formatReadWarning("", warnings[0]);
    }
}

TEST(ReadWarnings, TextIsShortenedAndShownInPlainCharacters) {
    const std::string longLine = "POINT 1 AT 0, 0 " + std::string(100, 'x');
    std::vector<ReadWarning> warnings;
    outcome(unitBox("  POINT\t+1 AT 0, 0, 0 'caf\xc3\xa9'  \r\n" + longLine + "\n"), &warnings);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[1].text, longLine.substr(0, ReadWarning::maxTextLength - 3) + "...");
    EXPECT_EQ(formatReadWarning("m.txt", warnings[0]),
              "m.txt:2: POINT needs a number (with no + before it), then AT and three numbers separated by "
              "commas; the line was skipped: POINT +1 AT 0, 0, 0 'caf?" "?'");
}

TEST(ReadErrorWords, EveryCodeHasWordsOfItsOwn) {
    const int codes[] = {37000, 37001, 37002, 37003, 37004, 37005, 37006, 37007, 37010, 37011, 37012, 48000};
    std::set<std::string> seen;
    for (const int code : codes) {
        const std::string words = readErrorWords(code);
        EXPECT_NE(words, readErrorWords(37009)) << code;
        EXPECT_TRUE(seen.insert(words).second) << code;
    }
    EXPECT_EQ(readErrorCode(unitBox("AXES ON\n\n")), 37010);
    EXPECT_EQ(formatReadFailure("broken.txt", 37010, Model::lastReadLine()),
              std::string("broken.txt:3: ") + readErrorWords(37010) + " (error 37010)");
}

// A file without BOUNDS is read to its end: the failure names its last line.
TEST(ReadFailures, AMissingBoxNamesTheFilesLastLine) {
    for (const char* text : {"AXES ON\nPOINT 1 AT 0, 0, 0\n", "AXES ON\nPOINT 1 AT 0, 0, 0", "AXES ON\r\nBOX ON\r\n"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(readErrorCode(text), 37012);
        EXPECT_EQ(Model::lastReadLine(), 2);
    }
}

// A character outside printable ASCII does not show in a message: its code point, name and
// bytes do. A printable one shows as itself, as before.
TEST(ReadFailures, ACharacterOutsidePlainAsciiIsShownInWords) {
    const struct {
        std::string text;
        const char* words;
    } cases[] = {
        {unitBox("POINT \xe2\x88\x92" "1 AT 0, 0, 0\n"), ": U+2212 MINUS SIGN, bytes E2 88 92"},
        {unitBox("POINT 1 AT 0,\xc2\xa0" "0, 0\n"), ": U+00A0 NO-BREAK SPACE, bytes C2 A0"},
        {unitBox("POINT 1 AT \xb0" "0, 0, 0\n"), ": the byte B0, which does not begin a character in UTF-8"},
        {unitBox("POINT 1 AT \xe2\x88 0, 0, 0\n"), ": the byte E2, which does not begin a character in UTF-8"},
        {unitBox("\x07\n"), ": U+0007, byte 07"},
        {unitBox("MODEL \xf0\x9f\x99\x82\n"), ": U+1F642, bytes F0 9F 99 82"},
        {unitBox("# a comment\n"), ""},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.words);
        ASSERT_EQ(readErrorCode(bad.text), 37006);
        EXPECT_EQ(formatReadFailure("m.txt", 37006, Model::lastReadLine(), Model::lastInvalidCharacter()),
                  "m.txt:2: " + std::string(readErrorWords(37006)) + " (error 37006)" + bad.words);
    }
    EXPECT_EQ(readErrorCode(unitBox("AXES ON\n\n")), 37010);
    EXPECT_EQ(Model::lastInvalidCharacter(), "");
}

}  // namespace
}  // namespace kelvaro::testing
