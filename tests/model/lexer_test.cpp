#include <gtest/gtest.h>

#include <string>

#include "model/model_lexer.h"
#include "model/read_errors.h"
#include "tests/model/model_text.h"

namespace kelvaro::testing {
namespace {

constexpr int code(ReadError error) { return static_cast<int>(error); }

TEST(Lexer, ReadsNumbersInEveryForm) {
    EXPECT_EQ(tokenList("12 -7 .5 -.25 1. 1.e2 2.5e-3 3E+2 0.1"),
              "Integer 12\nInteger -7\nReal 0.5\nReal -0.25\nReal 1\nReal 100\nReal 0.0025\nReal 300\nReal 0.1\n");
}

TEST(Lexer, ComputesNumbersInDoubleAndRoundsOnce) {
    TextLexer lexer("0.1 -0.3 16777217 1e-40");
    EXPECT_EQ(lexer->nextToken().number, static_cast<float>(0.1));
    EXPECT_EQ(lexer->nextToken().number, static_cast<float>(-0.3));
    EXPECT_EQ(lexer->nextToken().number, 16777216.0f);
    EXPECT_EQ(lexer->nextToken().number, static_cast<float>(1e-40));
}

TEST(Lexer, DoubleFullStopEndsIntegerAndStaysUnread) {
    TextLexer lexer("1..2");
    const Token& token = lexer->nextToken();
    EXPECT_EQ(token.kind, TokenKind::Integer);
    EXPECT_EQ(token.number, 1.0f);
    EXPECT_EQ(lexer->getChar(), '.');
    EXPECT_EQ(lexer->getChar(), '.');
    EXPECT_EQ(lexer->getChar(), '2');
    // Read on, the second full stop cannot start a number.
    EXPECT_EQ(lexErrorCode("1..2"), code(ReadError::PointWithoutDigit));
}

TEST(Lexer, DetachedMinusLeavesWhatFollowsUnread) {
    EXPECT_EQ(tokenList("- 1 -a"), "Minus\nInteger 1\nMinus\nIdentifier A\n");
    TextLexer lexer("-.x");
    EXPECT_EQ(lexer->nextToken().kind, TokenKind::Minus);
    EXPECT_EQ(lexer->getChar(), '.');
    EXPECT_EQ(lexer->getChar(), 'x');
    EXPECT_EQ(lexer->getChar(), 0);
}

TEST(Lexer, PlusIsPunctuationNotASign) { EXPECT_EQ(tokenList("+1"), "Punctuation 37\nInteger 1\n"); }

TEST(Lexer, AcceptsExponentsUpToThreeHundred) {
    TextLexer lexer("1e300 1e-300 1E+300");
    EXPECT_EQ(lexer->nextToken().number, static_cast<float>(1e300));  // infinite in single precision
    EXPECT_EQ(lexer->nextToken().number, 0.0f);
    EXPECT_EQ(lexer->token().kind, TokenKind::Real);
    EXPECT_EQ(lexer->nextToken().kind, TokenKind::Real);
}

TEST(Lexer, RejectsBadExponents) {
    EXPECT_EQ(lexErrorCode("1e301"), code(ReadError::ExponentTooLarge));
    EXPECT_EQ(lexErrorCode("1e-301"), code(ReadError::ExponentTooLarge));
    EXPECT_EQ(lexErrorCode("1e0000000000000000000000000000000000400"), code(ReadError::ExponentTooLarge));
    EXPECT_EQ(lexErrorCode("1e 5"), code(ReadError::ExponentWithoutDigit));
    EXPECT_EQ(lexErrorCode("1e+"), code(ReadError::ExponentWithoutDigit));
    EXPECT_EQ(lexErrorCode("2.5Ex"), code(ReadError::ExponentWithoutDigit));
}

TEST(Lexer, RejectsFullStopWithoutDigit) {
    EXPECT_EQ(lexErrorCode(". 5"), code(ReadError::PointWithoutDigit));
    EXPECT_EQ(lexErrorCode("."), code(ReadError::PointWithoutDigit));
}

TEST(Lexer, KeepsVeryLongFractionsFinite) {
    TextLexer lexer("0." + std::string(400, '5') + " 1" + std::string(400, '0'));
    EXPECT_EQ(lexer->nextToken().number, 0.5555556f);
    EXPECT_EQ(lexer->nextToken().number, static_cast<float>(1e300));  // infinite: the number is that large
}

TEST(Lexer, UpperCasesIdentifiers) {
    EXPECT_EQ(tokenList("point_2x Ab9"), "Identifier POINT_2X\nIdentifier AB9\n");
}

TEST(Lexer, LimitsTextTo255Characters) {
    EXPECT_EQ(lexErrorCode('"' + std::string(255, 'a') + '"'), 0);
    EXPECT_EQ(lexErrorCode('"' + std::string(256, 'a') + '"'), code(ReadError::TextTooLong));
    EXPECT_EQ(lexErrorCode(std::string(255, 'x')), 0);
    EXPECT_EQ(lexErrorCode(std::string(256, 'x')), code(ReadError::TextTooLong));
}

TEST(Lexer, ReadsStringEscapes) {
    TextLexer lexer(R"("a\tb\"c\\d\n\b\f\r\q")");
    EXPECT_EQ(lexer->nextToken().kind, TokenKind::String);
    EXPECT_EQ(std::string(lexer->token().view()), "a\tb\"c\\d\n\b\f\rq");
}

TEST(Lexer, ContinuesStringsAfterBackslashLineFeed) {
    EXPECT_EQ(tokenList("\"ab\\\ncd\" X"), "String abcd\nIdentifier X\n");
    EXPECT_EQ(tokenList("\"ab\\\r\ncd\""), "String abcd\n");
}

TEST(Lexer, RejectsLineFeedInString) {
    EXPECT_EQ(lexErrorCode("\"ab\ncd\""), code(ReadError::LineFeedInString));
}

TEST(Lexer, EndOfInputEndsString) { EXPECT_EQ(tokenList("\"abc"), "String abc\n"); }

TEST(Lexer, SkipsCommentsWithoutEndOfLine) {
    EXPECT_EQ(tokenList("A \\\\ note, with # and \xc3\xa9\nB"), "Identifier A\nIdentifier B\n");
    EXPECT_EQ(tokenList("A 'a quoted\ncomment' B"), "Identifier A\nIdentifier B\n");
    EXPECT_EQ(tokenList("\\\\ only a comment"), "");
}

TEST(Lexer, RejectsUnterminatedQuotedComment) {
    EXPECT_EQ(lexErrorCode("A 'never closed\n"), code(ReadError::UnterminatedQuotedComment));
}

TEST(Lexer, ContinuationSwallowsEmptyLinesOnly) {
    EXPECT_EQ(tokenList("A \\\n\n\nB"), "Identifier A\nIdentifier B\n");
    EXPECT_EQ(tokenList("A \\\n  \nB"), "Identifier A\nEndOfLine\nIdentifier B\n");
}

TEST(Lexer, RejectsBackslashBeforeOtherCharacter) {
    EXPECT_EQ(lexErrorCode("A \\x"), code(ReadError::BadBackslash));
    EXPECT_EQ(lexErrorCode("A \\"), code(ReadError::BadBackslash));
}

TEST(Lexer, RejectsInvalidCharactersAtTokenStart) {
    for (const char* text : {"#", "$", "%", "@", "`", "~", "\x01", "\x7f", "\x1b", "\x80", "\xc3\xa9", "A\xff"}) {
        EXPECT_EQ(lexErrorCode(text), code(ReadError::InvalidCharacter)) << "text: " << text;
    }
    EXPECT_EQ(tokenList("\"caf\xc3\xa9\""), "String caf\xc3\xa9\n");
}

TEST(Lexer, GivesEachPunctuationCharacterItsKind) {
    const std::string characters = "!/<>:=+*^()[]{}&|,;?";
    const int kinds[] = {31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51};
    for (std::size_t i = 0; i < characters.size(); ++i) {
        TextLexer lexer(characters.substr(i, 1));
        EXPECT_EQ(static_cast<int>(lexer->nextToken().kind), kinds[i]) << characters[i];
    }
}

TEST(Lexer, ClassifiesEveryCharacterCode) {
    const std::string punctuation = "!/<>:=+*^()[]{}&|,;?";
    int invalid = 0;
    for (int c = 0; c < 256; ++c) {
        const CharClass cls = charClass(c);
        if (cls == CharClass::Invalid) ++invalid;
        if (c >= 128) {
            EXPECT_EQ(cls, CharClass::Invalid) << c;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            EXPECT_EQ(cls, CharClass::Identifier) << c;
        }
        if (c < 128 && punctuation.find(static_cast<char>(c)) != std::string::npos) {
            EXPECT_EQ(cls, CharClass::Punctuation) << c;
        }
    }
    EXPECT_EQ(charClass('_'), CharClass::Identifier);
    EXPECT_EQ(charClass('\t'), CharClass::Blank);
    EXPECT_EQ(charClass('\r'), CharClass::LineEnd);
    EXPECT_EQ(charClass(0), CharClass::End);
    EXPECT_EQ(charClass('\''), CharClass::Quote);
    // 128 codes above 127, plus 28 control codes, DEL and # $ % @ ` ~.
    EXPECT_EQ(invalid, 128 + 28 + 1 + 6);
}

TEST(Lexer, FoldsCarriageReturnLineFeed) {
    EXPECT_EQ(tokenList("A\r\nB\r\n"), tokenList("A\nB\n"));
    EXPECT_EQ(tokenList("A \\\r\n\r\nB"), "Identifier A\nIdentifier B\n");
    // A lone carriage return is still a line end of its own.
    EXPECT_EQ(tokenList("A\rB\r"), "Identifier A\nEndOfLine\nIdentifier B\nEndOfLine\n");
}

TEST(Lexer, TokensKnowTheirLine) {
    TextLexer lexer("A\r\n\\\\ comment\nB 'two\nlines' C \\\n\nD");
    EXPECT_EQ(lexer->nextToken().line, 1);  // A
    EXPECT_EQ(lexer->nextToken().line, 1);  // its line end
    EXPECT_EQ(lexer->nextToken().line, 3);  // B
    EXPECT_EQ(lexer->nextToken().line, 4);  // C, after the quoted comment
    EXPECT_EQ(lexer->nextToken().line, 6);  // D, after the continuation
    EXPECT_EQ(std::string(lexer->token().view()), "D");
}

TEST(Lexer, PeekAndSkipLine) {
    TextLexer lexer("ab c\nd");
    EXPECT_EQ(lexer->peekChar(), 'a');
    EXPECT_EQ(lexer->getChar(), 'a');
    lexer->skipLine();
    EXPECT_EQ(lexer->getChar(), 'd');
    lexer->skipLine();  // stops at end of input
    EXPECT_EQ(lexer->getChar(), 0);
}

}  // namespace
}  // namespace kelvaro::testing
