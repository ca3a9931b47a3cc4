// Scrolling lists and text wrapped into rows.
#include "glui/glui_font.h"
#include "tests/glui/glui_fixture.h"

class ListTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    dialog = master.create_glui("Messages");
    list = dialog->add_list(300, 5, 9, record);
    for (int i = 0; i < 23; ++i) list->add_item(("line " + std::to_string(i)).c_str());
  }
  int bar_x() const { return list->x_abs + list->w - GLUI_List::bar_width / 2; }
  GLUI* dialog = nullptr;
  GLUI_List* list = nullptr;
};

TEST_F(ListTest, KeysAndTheWheelScrollWithinTheList) {
  EXPECT_EQ(list->get_start_line(), 0);
  click(dialog, list->x_abs + 20, list->y_abs + 20);  // the focus, for the keys
  special(dialog, glui_keys::down);
  EXPECT_EQ(list->get_start_line(), 1);
  special(dialog, glui_keys::page_down);
  EXPECT_EQ(list->get_start_line(), 6);
  special(dialog, glui_keys::end);
  EXPECT_EQ(list->get_start_line(), 18) << "the last page shows 18 to 22";
  special(dialog, glui_keys::page_down);
  EXPECT_EQ(list->get_start_line(), 18);
  special(dialog, glui_keys::home);
  EXPECT_EQ(list->get_start_line(), 0);
  special(dialog, glui_keys::up);
  EXPECT_EQ(list->get_start_line(), 0);

  const int window = dialog->get_glut_window_id();
  const int x = list->x_abs + 20, y = list->y_abs + 20;
  master.on_mouse(window, 4, 0, x, y, 0);  // the wheel towards the user: three lines on
  master.on_mouse(window, 4, 1, x, y, 0);
  EXPECT_EQ(list->get_start_line(), 3);
  master.on_mouse(window, 3, 0, x, y, 0);
  EXPECT_EQ(list->get_start_line(), 0);
  EXPECT_TRUE(fired.empty());
}

TEST_F(ListTest, TheScrollBarsArrowsTrackAndThumbScroll) {
  click(dialog, bar_x(), list->y_abs + list->h - 3);  // the lower arrow
  EXPECT_EQ(list->get_start_line(), 1);
  click(dialog, bar_x(), list->y_abs + 3);  // the upper arrow
  EXPECT_EQ(list->get_start_line(), 0);
  click(dialog, bar_x(), list->y_abs + list->h - GLUI_List::bar_width - 2);  // the track below the thumb
  EXPECT_EQ(list->get_start_line(), 5);
  // The thumb dragged to the bottom of the track shows the last page.
  list->set_start_line(0);
  press(dialog, bar_x(), list->y_abs + GLUI_List::bar_width + 2);
  drag_to(dialog, bar_x(), list->y_abs + list->h + 100);
  release(dialog, bar_x(), list->y_abs + list->h + 100);
  EXPECT_EQ(list->get_start_line(), 18);
  list->delete_all();
  EXPECT_EQ(list->get_start_line(), 0);
  list->scroll_to_end();
  EXPECT_EQ(list->get_start_line(), 0);
}

TEST(WrapText, RowsFitTheWidthAndKeepEveryWord) {
  const std::string text =
      "broken.txt:2: a blank line, or a line that does not begin with a statement word (error 37010)";
  const int width = 150;
  const std::vector<std::string> rows = glui_wrap_text(text, width);
  ASSERT_GT(rows.size(), 2u);
  std::string joined;
  for (const std::string& row : rows) {
    EXPECT_LE(glui_text_width(row), width) << row;
    EXPECT_NE(row.front(), ' ') << row;
    joined += (joined.empty() ? "" : " ") + row;
  }
  EXPECT_EQ(joined, text);
  // Each row but the last would be too wide with the next word.
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    const std::string next = rows[i + 1].substr(0, rows[i + 1].find(' '));
    EXPECT_GT(glui_text_width(rows[i] + " " + next), width) << rows[i];
  }
}

TEST(WrapText, AWordWiderThanARowIsBrokenAndEmptyTextIsOneRow) {
  const std::string word(100, 'W');
  const std::vector<std::string> rows = glui_wrap_text("a " + word, 200);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], "a");
  std::string rest;
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_LE(glui_text_width(rows[i]), 200);
    rest += rows[i];
  }
  EXPECT_EQ(rest, word);
  EXPECT_EQ(glui_wrap_text("", 200), std::vector<std::string>{""});
}
