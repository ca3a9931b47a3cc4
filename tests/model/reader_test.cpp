#include <gtest/gtest.h>

#include <string>

#include "model/keyword_table.h"
#include "model/model.h"
#include "model/read_errors.h"
#include "tests/model/model_text.h"

namespace kelvaro::testing {
namespace {

constexpr int code(ReadError error) { return static_cast<int>(error); }

void expectPoint(const Vector3& p, float x, float y, float z) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

TEST(Reader, ReadsTheTwoChargeExample) {
    const auto model = readModel(
        "\\\\ two opposite charges on the x axis\n"
        "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n"
        "AXES ON\n"
        "POINT 1 AT -0.5, 0, 0\n"
        "point -1 at 0.5, 0, 0\n");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->name(), "");
    expectPoint(model->bounds().min, -1, -1, -1);
    expectPoint(model->bounds().max, 1, 1, 1);
    EXPECT_TRUE(model->axesOn());
    EXPECT_FALSE(model->boxOn());
    ASSERT_EQ(model->chargeCount(), 2);
    EXPECT_EQ(model->charges()[0].value, 1.0);
    expectPoint(model->charges()[0].position, -0.5f, 0, 0);
    EXPECT_EQ(model->charges()[1].value, -1.0);
    expectPoint(model->charges()[1].position, 0.5f, 0, 0);
    EXPECT_EQ(Model::lastReadLine(), 6);
}

TEST(Reader, OrdersBoundsPerAxis) {
    const auto model = readModel("BOUNDS FROM 0, 2, 0 TO 1, 1, 1");
    ASSERT_TRUE(model);
    expectPoint(model->bounds().min, 0, 1, 0);
    expectPoint(model->bounds().max, 1, 2, 1);
    const auto reversed = readModel("BOUNDS FROM 1, 1, 1 TO -1, -2, -3");
    ASSERT_TRUE(reversed);
    expectPoint(reversed->bounds().min, -1, -2, -3);
    expectPoint(reversed->bounds().max, 1, 1, 1);
}

TEST(Reader, DropsMalformedBoundsAndKeepsTheLastGoodOne) {
    const auto model = readModel(
        "BOUNDS FROM 2, 2, 2 TO 3, 3, 3\n"
        "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\n"
        "BOUNDS 0, 0, 0 TO 1, 1, 1\n"
        "BOUNDS FROM 0, 0, 0 1, 1, 1\n"
        "BOUNDS FROM 0, 0 TO 1, 1, 1\n"
        "BOUNDS FROM 0, 0, 0 TO 1, 1\n"
        "AXES ON\n"  // discarded: the point above ended at its line end
        "BOUNDS FROM 0, 0, 0 AT 1, 1, 1\n"
        "BOUNDS FROM 0; 0, 0 TO 1, 1, 1\n");
    ASSERT_TRUE(model);
    expectPoint(model->bounds().min, -2, -2, -2);
    expectPoint(model->bounds().max, 2, 2, 2);
    EXPECT_FALSE(model->axesOn());
}

TEST(Reader, RefusesAFileWithoutBounds) {
    EXPECT_EQ(readErrorCode("AXES ON\nPOINT 1 AT 0, 0, 0\n"), code(ReadError::MissingBounds));
    EXPECT_EQ(readErrorCode("BOUNDS FROM 0, 0, 0 TO 1, 1\n"), code(ReadError::MissingBounds));
    EXPECT_EQ(readErrorCode(""), code(ReadError::MissingBounds));
}

TEST(Reader, StoresTheLastModelNameCutTo62Characters) {
    const std::string hundred(100, 'n');
    const auto model = readModel(unitBox("MODEL \"first\"\nMODEL \"" + hundred + "\"\nMODEL 12\n"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->name(), std::string(62, 'n'));
    EXPECT_EQ(model->name().data()[62], '\0');
    const auto named = readModel(unitBox("MODEL \"Dipole \\\"A\\\"\" trailing words are ignored\n"));
    ASSERT_TRUE(named);
    EXPECT_EQ(named->name(), "Dipole \"A\"");
}

TEST(Reader, FlagsStayOnOnceSet) {
    const auto model = readModel(unitBox("BOX ON\nBOX OFF\nAXES OFF\n"));
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->boxOn());
    EXPECT_FALSE(model->axesOn());
}

TEST(Reader, StatementCutShortAtLineEndDiscardsTheNextLine) {
    const auto model = readModel(unitBox("BOX\nAXES ON\nPOINT 1 AT 0, 0\nPOINT 2 AT 0.5, 0, 0\nPOINT 3 AT 0, 0.5, 0\n"));
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->boxOn());
    EXPECT_FALSE(model->axesOn());
    ASSERT_EQ(model->chargeCount(), 1);
    EXPECT_EQ(model->charges()[0].value, 3.0);
}

TEST(Reader, AcceptsOnlyRealChargeValues) {
    const auto model = readModel(unitBox(
        "POINT +1 AT 0, 0, 0\n"
        "POINT - 1 AT 0, 0, 0\n"
        "POINT -1 AT 0, 0, 0\n"
        "POINT 1 0, 0, 0\n"
        "POINT \"1\" AT 0, 0, 0\n"
        "POINT 2.5e-1 AT .1, -.2, 3e-1\n"));
    ASSERT_TRUE(model);
    ASSERT_EQ(model->chargeCount(), 2);
    EXPECT_EQ(model->charges()[0].value, -1.0);
    EXPECT_EQ(model->charges()[1].value, 0.25);
    expectPoint(model->charges()[1].position, 0.1f, -0.2f, static_cast<float>(3e-1));
}

TEST(Reader, StopsStoringChargesAt99) {
    std::string text = unitBox();
    for (int i = 1; i <= 101; ++i) text += "POINT " + std::to_string(i) + " AT 0, 0, 0\n";
    const auto model = readModel(text);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->chargeCount(), 99);
    EXPECT_EQ(model->charges()[98].value, 99.0);
}

TEST(Reader, AcceptsKeywordsInAnyCase) {
    const auto model = readModel("bounds from -1, -1, -1 To 1, 1, 1\nAxes oN\nPoint 1 aT 0, 0, 0\n");
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->axesOn());
    EXPECT_EQ(model->chargeCount(), 1);
}

TEST(Reader, DropsLinesStartingWithArgumentKeywords) {
    const auto model = readModel(unitBox("FROM 1\nTO\nON\nOFF x\nAT 1\nAXES ON\n"));
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->axesOn());
}

TEST(Reader, RejectsLinesThatDoNotStartWithAKeyword) {
    EXPECT_EQ(readErrorCode(unitBox("\nAXES ON\n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox("AXES ON\n   \n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox("AXES ON\n\n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox("1 AXES ON\n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox("\"AXES\" ON\n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox(", AXES ON\n")), code(ReadError::StatementWithoutKeyword));
    EXPECT_EQ(readErrorCode(unitBox("LINE 1 AT 0, 0, 0\n")), code(ReadError::UnknownKeyword));
    EXPECT_EQ(readErrorCode(unitBox("POINTS 1 AT 0, 0, 0\n")), code(ReadError::UnknownKeyword));
}

TEST(Reader, ReachesEveryLexicalErrorFromFileText) {
    EXPECT_EQ(readErrorCode(unitBox("POINT 1 AT ., 0, 0\n")), code(ReadError::PointWithoutDigit));
    EXPECT_EQ(readErrorCode(unitBox("POINT 1e AT 0, 0, 0\n")), code(ReadError::ExponentWithoutDigit));
    EXPECT_EQ(readErrorCode(unitBox("POINT 1e999 AT 0, 0, 0\n")), code(ReadError::ExponentTooLarge));
    EXPECT_EQ(readErrorCode(unitBox("MODEL \"" + std::string(256, 'm') + "\"\n")), code(ReadError::TextTooLong));
    EXPECT_EQ(readErrorCode(unitBox("POINT 1 AT \\ 0, 0, 0\n")), code(ReadError::BadBackslash));
    EXPECT_EQ(readErrorCode(unitBox("'open comment\nAXES ON\n")), code(ReadError::UnterminatedQuotedComment));
    EXPECT_EQ(readErrorCode(unitBox("POINT 1 AT 0, 0, # charge\n")), code(ReadError::InvalidCharacter));
    EXPECT_EQ(readErrorCode(unitBox("MODEL \"two\nlines\"\n")), code(ReadError::LineFeedInString));
}

TEST(Reader, ReportsTheLineWhereReadingStopped) {
    EXPECT_NE(readErrorCode(unitBox("AXES ON\nPOINT 1 AT 0, 0, 0\nPOINT $\n")), 0);
    EXPECT_EQ(Model::lastReadLine(), 4);
    EXPECT_NE(readErrorCode("\\\\ note\r\nBOUNDS FROM 0, 0, 0 TO 1, 1, 1\r\n\r\n"), 0);
    EXPECT_EQ(Model::lastReadLine(), 3);
}

TEST(Reader, LeavesTheStreamOpenWhereReadingStopped) {
    MemoryStream stream(unitBox("POINT @x\nAXES ON\n"));
    EXPECT_THROW(Model model(stream.file()), int);
    EXPECT_EQ(std::fgetc(stream.file()), 'x');
}

TEST(Reader, NulAtStatementStartEndsTheFile) {
    const auto model = readModel(unitBox(std::string("AXES ON\n\0BOX ON\n# not read\n", 27)));
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->axesOn());
    EXPECT_FALSE(model->boxOn());
}

TEST(Reader, AcceptsCommentsAnywhere) {
    const auto model = readModel(
        "\\\\ first\n'quoted\ncomment' BOUNDS FROM 0, 0, 0 TO 1, 1, 1 \\\\ trailing\n"
        "AXES ON 'until here' ignored words\n\\\\ last line without a line feed");
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->axesOn());
    expectPoint(model->bounds().max, 1, 1, 1);
}

TEST(Reader, CommentInsideStatementJoinsTheNextLine) {
    // The comment takes the line feed, so the point comes from the next line; the rest of
    // that line (AXES ON) is skipped, and BOX ON is read.
    const auto model = readModel(unitBox("POINT 1 AT \\\\ position below\n0.5, 0, 0 AXES ON\nBOX ON\n"));
    ASSERT_TRUE(model);
    ASSERT_EQ(model->chargeCount(), 1);
    EXPECT_EQ(model->charges()[0].position.x, 0.5f);
    EXPECT_FALSE(model->axesOn());
    EXPECT_TRUE(model->boxOn());
}

TEST(Reader, ContinuationJoinsLinesOfAStatement) {
    const auto model = readModel(unitBox("POINT 2 AT \\\n\n  0, \\\n0.25, 0\nAXES ON"));
    ASSERT_TRUE(model);
    ASSERT_EQ(model->chargeCount(), 1);
    EXPECT_EQ(model->charges()[0].position.y, 0.25f);
    EXPECT_TRUE(model->axesOn());
}

TEST(Reader, ReadsCarriageReturnLineFeedFilesLikeLineFeedFiles) {
    const std::string lf = "MODEL \"crlf\"\nBOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nBOX ON\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const auto fromLf = readModel(lf);
    const auto fromCrlf = readModel(crlf);
    ASSERT_TRUE(fromLf && fromCrlf);
    EXPECT_EQ(describe(*fromCrlf), describe(*fromLf));
}

// A chunk source that never has memory.
void* noMemory(std::size_t) { return nullptr; }

TEST(Reader, ReportsExhaustedKeywordPool) {
    BlockPool emptyPool(&noMemory);
    KeywordTable emptyTable(emptyPool);
    KeywordTable* previous = KeywordTable::replaceProcessTable(&emptyTable);
    const int failure = readErrorCode(unitBox());
    KeywordTable::replaceProcessTable(previous);
    EXPECT_EQ(failure, code(ReadError::OutOfMemory));
    EXPECT_EQ(emptyTable.count(), 0);
    EXPECT_EQ(readErrorCode(unitBox()), 0);  // the process-wide table still works
}

}  // namespace
}  // namespace kelvaro::testing
