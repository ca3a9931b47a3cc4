// Edit texts: the editing buffer, number parsing and formatting, filtering by type,
// limits, commit and live variables.
#include <cfloat>
#include <climits>
#include <cmath>
#include <string>
#include <string_view>

#include "glui/edit_buffer.h"
#include "glui/glui_font.h"
#include "tests/glui/glui_fixture.h"

namespace {
constexpr unsigned char ctrl(char letter) { return static_cast<unsigned char>(letter - 'a' + 1); }
}  // namespace

TEST(EditBuffer, TypingReplacesTheSelection) {
  EditBuffer buffer;
  buffer.set_text("hello world");
  buffer.move_to(0, false);
  buffer.move_to(5, true);
  buffer.insert("HELLO");
  EXPECT_EQ(buffer.text(), "HELLO world");
  EXPECT_EQ(buffer.caret(), 5);
  EXPECT_FALSE(buffer.has_selection());
}

TEST(EditBuffer, BackspaceAndDeleteRemoveOneCharacterOrTheSelection) {
  EditBuffer buffer;
  buffer.set_text("abcd");
  buffer.backspace();
  EXPECT_EQ(buffer.text(), "abc");
  buffer.move_to(0, false);
  buffer.delete_forward();
  EXPECT_EQ(buffer.text(), "bc");
  buffer.backspace();  // nothing before the caret
  EXPECT_EQ(buffer.text(), "bc");
  buffer.select_all();
  buffer.delete_forward();
  EXPECT_EQ(buffer.text(), "");
}

TEST(EditBuffer, ShiftArrowsSelectAndPlainArrowsCollapse) {
  EditBuffer buffer;
  buffer.set_text("abcdef");
  buffer.apply_special(glui_keys::left, glui_keys::shift);
  buffer.apply_special(glui_keys::left, glui_keys::shift);
  EXPECT_EQ(buffer.selection_begin(), 4);
  EXPECT_EQ(buffer.selection_end(), 6);
  buffer.apply_special(glui_keys::left, 0);
  EXPECT_EQ(buffer.caret(), 4);
  EXPECT_FALSE(buffer.has_selection());
  buffer.apply_special(glui_keys::home, glui_keys::shift);
  EXPECT_EQ(buffer.selection_begin(), 0);
  EXPECT_EQ(buffer.selection_end(), 4);
}

TEST(EditBuffer, CtrlArrowsMoveByWords) {
  EditBuffer buffer;
  buffer.set_text("one two  three");
  buffer.apply_special(glui_keys::left, glui_keys::ctrl);
  EXPECT_EQ(buffer.caret(), 9);
  buffer.apply_special(glui_keys::left, glui_keys::ctrl);
  EXPECT_EQ(buffer.caret(), 4);
  buffer.apply_special(glui_keys::right, glui_keys::ctrl);
  EXPECT_EQ(buffer.caret(), 7);
}

TEST(EditBuffer, EmacsKeysMoveAndKill) {
  EditBuffer buffer;
  buffer.set_text("abcdef");
  buffer.apply_key(ctrl('a'), glui_keys::ctrl);
  EXPECT_EQ(buffer.caret(), 0);
  buffer.apply_key(ctrl('f'), glui_keys::ctrl);
  buffer.apply_key(ctrl('f'), glui_keys::ctrl);
  buffer.apply_key(ctrl('k'), glui_keys::ctrl);
  EXPECT_EQ(buffer.text(), "ab");
  buffer.apply_key(ctrl('b'), glui_keys::ctrl);
  buffer.apply_key(ctrl('u'), glui_keys::ctrl);
  EXPECT_EQ(buffer.text(), "b");
  buffer.apply_key(ctrl('e'), glui_keys::ctrl);
  EXPECT_EQ(buffer.caret(), 1);
  EXPECT_FALSE(buffer.apply_key(glui_keys::enter, 0));
}

TEST(Numbers, ParseLikeAtoiAndAtofButSaturate) {
  EXPECT_EQ(glui_numbers::parse_int(""), 0);
  EXPECT_EQ(glui_numbers::parse_int("-"), 0);
  EXPECT_EQ(glui_numbers::parse_int("-42"), -42);
  EXPECT_EQ(glui_numbers::parse_int("12abc"), 12);
  EXPECT_EQ(glui_numbers::parse_int("99999999999999999999"), INT_MAX);
  EXPECT_EQ(glui_numbers::parse_int("-99999999999999999999"), INT_MIN);
  EXPECT_EQ(glui_numbers::parse_float("-"), 0.0f);
  EXPECT_EQ(glui_numbers::parse_float("2.5"), 2.5f);
  EXPECT_EQ(glui_numbers::parse_float("1" + std::string(60, '0')), FLT_MAX);
}

TEST(Numbers, FloatsKeepOneDigitAfterThePoint) {
  EXPECT_EQ(glui_numbers::format_float(0.0f), "0.0");
  EXPECT_EQ(glui_numbers::format_float(100.0f), "100.0");
  EXPECT_EQ(glui_numbers::format_float(3.14159265f), "3.14159");
  EXPECT_EQ(glui_numbers::format_float(-2.5f), "-2.5");
  EXPECT_EQ(glui_numbers::format_float(1234567.0f), "1.23457e+06");
  EXPECT_EQ(glui_numbers::format_float(1e10f), "1.0e+10");
  EXPECT_EQ(glui_numbers::format_int(-7), "-7");
}

class EditTextTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    dialog = master.create_glui("Dialog");
  }
  // Focuses the field by a click and types keys into it.
  void type_into(GLUI_EditText* field, const std::string& keys) {
    click(field);
    type(dialog, keys);
  }
  GLUI* dialog = nullptr;
};

TEST_F(EditTextTest, FieldsStartFromTheirLiveVariableOrDefaults) {
  int count = 7;
  char name[32] = "model.txt";
  EXPECT_STREQ(dialog->add_edittext("n", GLUI_EDITTEXT_INT, &count)->get_text(), "7");
  EXPECT_STREQ(dialog->add_edittext("f", GLUI_EDITTEXT_FLOAT)->get_text(), "0.0");
  EXPECT_STREQ(dialog->add_edittext("i", GLUI_EDITTEXT_INT)->get_text(), "0");
  EXPECT_STREQ(dialog->add_edittext("t", GLUI_EDITTEXT_TEXT, name)->get_text(), "model.txt");
  EXPECT_STREQ(dialog->add_edittext("e")->get_text(), "");
}

TEST_F(EditTextTest, IntFieldsTakeDigitsAndOneLeadingMinus) {
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT);
  click(field);
  key(dialog, glui_keys::backspace);
  type(dialog, "-1a2.-3 e");
  EXPECT_STREQ(field->get_text(), "-123");
}

TEST_F(EditTextTest, FloatFieldsTakeOnePointButNoExponent) {
  GLUI_EditText* field = dialog->add_edittext("f", GLUI_EDITTEXT_FLOAT);
  click(field);
  key(dialog, ctrl('u'));
  key(dialog, ctrl('k'));
  type(dialog, "-2.5.e1");
  EXPECT_STREQ(field->get_text(), "-2.51");
}

TEST_F(EditTextTest, TypingOverASelectionPassesTheFilterAndARefusalChangesNothing) {
  GLUI_EditText* field = dialog->add_edittext("f", GLUI_EDITTEXT_FLOAT);
  click(field);
  key(dialog, ctrl('u'));
  type(dialog, "2");
  special(dialog, glui_keys::home, glui_keys::shift);
  type(dialog, "x");
  EXPECT_STREQ(field->get_text(), "2");
  EXPECT_EQ(field->buffer.selection_begin(), 0);
  EXPECT_EQ(field->buffer.selection_end(), 1);
  type(dialog, "7");
  EXPECT_STREQ(field->get_text(), "7");
}

TEST_F(EditTextTest, TextFieldsTakeAnyPrintableCharacter) {
  GLUI_EditText* field = dialog->add_edittext("t");
  type_into(field, "a-b.c e1");
  EXPECT_STREQ(field->get_text(), "a-b.c e1");
}

TEST_F(EditTextTest, GetTextSeesTypingAndGetIntValOnlyCommits) {
  int live = 0;
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, &live, 5, record);
  type_into(field, "42");
  EXPECT_STREQ(field->get_text(), "042");
  EXPECT_EQ(field->get_int_val(), 0);
  EXPECT_EQ(live, 0);
  key(dialog, glui_keys::enter);
  EXPECT_EQ(field->get_int_val(), 42);
  EXPECT_STREQ(field->get_text(), "42");
  EXPECT_EQ(live, 42);
  EXPECT_EQ(fired_ids(), std::vector<int>{5});
}

TEST_F(EditTextTest, LimitsClampTypedValuesOnCommit) {
  GLUI_EditText* field = dialog->add_edittext("lines", GLUI_EDITTEXT_INT, nullptr, 2100, record);
  field->set_int_limits(1, 100, GLUI_LIMIT_CLAMP);
  field->set_int_val(10);
  click(field);
  key(dialog, ctrl('u'));
  type(dialog, "500\r");
  EXPECT_EQ(field->get_int_val(), 100);
  EXPECT_STREQ(field->get_text(), "100");
  key(dialog, ctrl('u'));
  key(dialog, ctrl('k'));
  type(dialog, "0\r");
  EXPECT_EQ(field->get_int_val(), 1);
}

TEST_F(EditTextTest, SettingLimitsMovesAnOutOfRangeValueToTheLowLimit) {
  GLUI_EditText* count = dialog->add_edittext("count", GLUI_EDITTEXT_INT);
  count->set_int_limits(1, 100000, GLUI_LIMIT_CLAMP);
  EXPECT_EQ(count->get_int_val(), 1);
  GLUI_EditText* potential = dialog->add_edittext("potential", GLUI_EDITTEXT_FLOAT);
  potential->set_float_limits(-10.0f, 10.0f, GLUI_LIMIT_CLAMP);
  EXPECT_EQ(potential->get_float_val(), 0.0f);  // in range: kept
  potential->set_float_val(12.5f);
  EXPECT_EQ(potential->get_float_val(), 10.0f);
  EXPECT_STREQ(potential->get_text(), "10.0");
}

TEST_F(EditTextTest, WrapLimitsJumpToTheOtherEnd) {
  GLUI_EditText* field = dialog->add_edittext("angle", GLUI_EDITTEXT_INT);
  field->set_int_limits(0, 359, GLUI_LIMIT_WRAP);
  field->set_int_val(360);
  EXPECT_EQ(field->get_int_val(), 0);
  field->set_int_val(-1);
  EXPECT_EQ(field->get_int_val(), 359);
}

TEST_F(EditTextTest, ReversedLimitsAreSwappedAndNaNBecomesZero) {
  GLUI_EditText* count = dialog->add_edittext("count", GLUI_EDITTEXT_INT);
  count->set_int_limits(100, 1);
  count->set_int_val(500);
  EXPECT_EQ(count->get_int_val(), 100);
  GLUI_EditText* value = dialog->add_edittext("value", GLUI_EDITTEXT_FLOAT);
  value->set_float_limits(5.0f, -5.0f);
  value->set_float_val(std::nanf(""));
  EXPECT_EQ(value->get_float_val(), 0.0f);
  EXPECT_EQ(value->get_int_val(), 0);
  count->set_float_val(std::nanf(""));
  EXPECT_EQ(count->get_int_val(), 1);  // 0, clamped into [1, 100]
}

TEST_F(EditTextTest, NumericSettersMirrorIntoTheOtherTypeAndWriteTheLiveVariable) {
  float live = 0;
  GLUI_EditText* field = dialog->add_edittext("f", GLUI_EDITTEXT_FLOAT, &live, 3, record);
  field->set_float_val(3.75f);
  EXPECT_EQ(live, 3.75f);
  EXPECT_EQ(field->get_int_val(), 3);
  field->set_int_val(-2);
  EXPECT_EQ(field->get_float_val(), -2.0f);
  EXPECT_STREQ(field->get_text(), "-2.0");
  EXPECT_TRUE(fired.empty());  // programmatic changes fire nothing
}

TEST_F(EditTextTest, CommitFiresOnlyWhenTheTextChangedSinceFocus) {
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, nullptr, 9, record);
  field->set_int_val(10);
  click(field);
  key(dialog, glui_keys::enter);  // unchanged
  EXPECT_TRUE(fired.empty());
  key(dialog, ctrl('u'));
  type(dialog, "10\r");           // typed again, same value
  EXPECT_TRUE(fired.empty());
  type(dialog, "5\r");            // all text was selected after Enter: "5" replaces it
  EXPECT_EQ(fired_ids(), std::vector<int>{9});
  EXPECT_EQ(field->get_int_val(), 5);
}

TEST_F(EditTextTest, ClickingElsewhereCommitsAndTabSelectsTheNextField) {
  int first_live = 0;
  GLUI_EditText* first = dialog->add_edittext("a", GLUI_EDITTEXT_INT, &first_live, 1, record);
  GLUI_EditText* second = dialog->add_edittext("b", GLUI_EDITTEXT_FLOAT, nullptr, 2, record);
  GLUI_StaticText* text = dialog->add_statictext("nothing to click");
  type_into(first, "7");
  click(dialog, text->x_abs + 2, text->y_abs + 2);
  EXPECT_EQ(first_live, 7);  // "07"
  EXPECT_EQ(fired_ids(), std::vector<int>{1});
  click(first);
  key(dialog, glui_keys::tab);
  EXPECT_EQ(dialog->focus, second);
  type(dialog, "4");  // Tab selected the whole text, so typing replaces it
  key(dialog, glui_keys::tab);
  EXPECT_EQ(second->get_float_val(), 4.0f);
  EXPECT_STREQ(second->get_text(), "4.0");
}

TEST_F(EditTextTest, TabCommitsTheOnlyFieldOfAWindowAndSelectsItAgain) {
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, nullptr, 2200, record);
  type_into(field, "12");
  key(dialog, glui_keys::tab);
  EXPECT_EQ(field->get_int_val(), 12);
  EXPECT_EQ(fired_ids(), std::vector<int>{2200});
  EXPECT_EQ(dialog->focus, field);
  EXPECT_EQ(field->buffer.selection_end() - field->buffer.selection_begin(), 2);
}

TEST_F(EditTextTest, SetTextOnATextFieldWritesTheLiveArray) {
  char name[32] = "";
  GLUI_EditText* field = dialog->add_edittext("name", GLUI_EDITTEXT_TEXT, name, 2001, record);
  field->set_text("charges.txt");
  EXPECT_STREQ(name, "charges.txt");
  EXPECT_STREQ(field->get_text(), "charges.txt");
  EXPECT_TRUE(fired.empty());
}

TEST_F(EditTextTest, SyncReadsChangedLiveVariablesThroughTheLimits) {
  int live = 5;
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, &live, 4, record);
  field->set_int_limits(1, 10);
  live = 50;
  master.sync_live_all();
  EXPECT_EQ(field->get_int_val(), 10);
  EXPECT_EQ(live, 10);
  EXPECT_TRUE(fired.empty());
}

TEST_F(EditTextTest, ClickPlacesTheCaretAndDragSelects) {
  GLUI_EditText* field = dialog->add_edittext("t");
  field->set_text("abcdef");
  const int text_left = field->x_abs + field->text_x_offset + 5;
  press(dialog, text_left + 1, field->y_abs + 10);
  EXPECT_EQ(field->buffer.caret(), 0);
  drag_to(dialog, text_left + glui_text_width("abc") + 1, field->y_abs + 10);
  release(dialog, text_left + glui_text_width("abc") + 1, field->y_abs + 10);
  EXPECT_EQ(field->buffer.selection_begin(), 0);
  EXPECT_EQ(field->buffer.selection_end(), 3);
  type(dialog, "X");
  EXPECT_STREQ(field->get_text(), "Xdef");
}

TEST_F(EditTextTest, LongTextScrollsToKeepTheCaretVisible) {
  GLUI_EditText* field = dialog->add_edittext("t");
  field->set_text(std::string(80, 'w').c_str());
  EXPECT_GT(field->scroll, 0);
  click(field);
  special(dialog, glui_keys::home);
  EXPECT_EQ(field->scroll, 0);
}

// However long the text typed, the field shows as much of it before the caret as fits:
// one character more would not.
TEST_F(EditTextTest, TypedTextShowsAllThatFitsBeforeTheCaret) {
  GLUI_EditText* field = dialog->add_edittext("File name");
  click(field);
  const std::string typed = "model-file-of-a-lecture_" + std::string(300, 'i') + "WWW.txt";
  type(dialog, typed);
  const int visible = field->w - field->text_x_offset - 10;
  const std::string_view text = field->get_text();
  ASSERT_EQ(text, typed);
  ASSERT_GT(field->scroll, 0);
  EXPECT_LE(glui_text_width(text.substr(field->scroll)), visible);
  EXPECT_GT(glui_text_width(text.substr(field->scroll - 1)), visible);
  special(dialog, glui_keys::left);  // the caret stays in view, nothing more moves
  EXPECT_LE(glui_text_width(text.substr(field->scroll, field->buffer.caret() - field->scroll)), visible);
}

// The text typed is kept when the limits change the number it states, so that the program
// can tell which value it used instead.
TEST_F(EditTextTest, ACommitThatAppliesTheLimitsKeepsWhatWasTyped) {
  GLUI_EditText* lines = dialog->add_edittext("Lines", GLUI_EDITTEXT_INT);
  lines->set_int_limits(1, 100);
  GLUI_EditText* level = dialog->add_edittext("Potential", GLUI_EDITTEXT_FLOAT);
  level->set_float_limits(-10.0f, 10.0f);
  key(dialog, glui_keys::tab);  // Tab selects the whole text: typing replaces it
  type(dialog, "500");
  key(dialog, glui_keys::tab);  // commits the lines field
  EXPECT_EQ(lines->get_int_val(), 100);
  EXPECT_EQ(lines->limited_text, "500");
  type(dialog, "-2.5");
  key(dialog, glui_keys::tab);
  EXPECT_EQ(level->limited_text, "");
  EXPECT_EQ(level->get_float_val(), -2.5f);
  lines->set_int_val(5);
  EXPECT_EQ(lines->limited_text, "");
}

TEST_F(EditTextTest, ADoubleClickSelectsTheWholeTextAndASlowSecondClickPlacesTheCaret) {
  GLUI_EditText* field = dialog->add_edittext("t");
  field->set_text("cloud.txt");
  platform.clock_step_ms = GLUI_EditText::double_click_ms / 2;
  click(field);
  click(field);
  drag_to(dialog, field->x_abs + field->w - 2, field->y_abs + 10);  // a jittering hand keeps it
  type(dialog, "dipole.txt");
  EXPECT_STREQ(field->get_text(), "dipole.txt");

  platform.clock_step_ms = GLUI_EditText::double_click_ms + 1;
  click(field);
  click(field);
  EXPECT_FALSE(field->buffer.has_selection());
}

TEST_F(EditTextTest, ARefusedKeyRingsTheBellOnceAndAnEmptiedFieldKeepsItsValue) {
  GLUI_EditText* count = dialog->add_edittext("n", GLUI_EDITTEXT_INT);
  GLUI_EditText* level = dialog->add_edittext("v", GLUI_EDITTEXT_FLOAT);
  count->set_int_limits(1, 100);
  count->set_int_val(40);
  level->set_float_val(5.0f);
  type_into(count, "-");  // the caret is at the end: no sign there
  EXPECT_EQ(platform.bells, 1);
  EXPECT_STREQ(count->get_text(), "40");
  type(dialog, "1");
  EXPECT_EQ(platform.bells, 1);

  key(dialog, ctrl('u'));
  key(dialog, glui_keys::tab);  // commits the empty field
  EXPECT_EQ(count->get_int_val(), 40);
  EXPECT_STREQ(count->get_text(), "40");
  type(dialog, "-");  // over the selected text: a lone sign, no number
  key(dialog, glui_keys::tab);
  EXPECT_STREQ(level->get_text(), "5.0");
  EXPECT_EQ(platform.bells, 1);
}

