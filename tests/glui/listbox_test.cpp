// List boxes: items, the selection through additions and deletions, choices from
// the drop-down and the keyboard.
#include "glui/glui_font.h"
#include "tests/glui/glui_fixture.h"

class ListboxTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    dialog = master.create_glui("Dialog");
  }
  // As the freeglut glue does when a menu closes: it detaches the menu, then tells.
  void close_menu(int window, int x, int y) {
    platform.windows.at(window).has_menu = false;
    master.on_menu_closed(window, x, y);
  }
  GLUI* dialog = nullptr;
};

TEST_F(ListboxTest, FirstItemIsSelectedWithoutWritingTheLiveVariable) {
  int live = 7;
  GLUI_Listbox* list = dialog->add_listbox("Direction", &live, 2301, record);
  EXPECT_EQ(list->get_int_val(), 0);  // empty: value 0
  list->add_item(0, "Leave");
  list->add_item(1, "Enter");
  EXPECT_EQ(list->get_int_val(), 0);
  EXPECT_EQ(live, 7);
  EXPECT_TRUE(fired.empty());
}

TEST_F(ListboxTest, SyncSelectsTheItemOfTheLiveVariable) {
  int live = 1;
  GLUI_Listbox* list = dialog->add_listbox("Direction", &live);
  list->add_item(0, "Leave");
  list->add_item(1, "Enter");
  EXPECT_EQ(list->get_int_val(), 0);
  master.sync_live_all();
  EXPECT_EQ(list->get_int_val(), 1);
}

TEST_F(ListboxTest, DeletingTheSelectedItemSelectsTheFirstRemaining) {
  int live = -1;
  GLUI_Listbox* list = dialog->add_listbox("Charge", &live);
  for (int i = 0; i < 5; ++i) list->add_item(i, std::to_string(i + 1).c_str());
  list->set_int_val(4);
  EXPECT_EQ(live, 4);
  for (int i = 4; i >= 3; --i) EXPECT_TRUE(list->delete_item(i));
  EXPECT_EQ(list->get_int_val(), 0);
  EXPECT_EQ(live, 0);
  EXPECT_EQ(list->item_texts(), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_FALSE(list->delete_item(4));
  EXPECT_TRUE(fired.empty());
}

TEST_F(ListboxTest, DeletingAnotherItemKeepsTheSelection) {
  GLUI_Listbox* list = dialog->add_listbox("Charge");
  list->add_item(0, "1");
  list->add_item(1, "2");
  list->add_item(2, "3");
  list->set_int_val(2);
  list->delete_item(0);
  EXPECT_EQ(list->get_int_val(), 2);
}

TEST_F(ListboxTest, AnEmptiedListSelectsTheNextItemAdded) {
  GLUI_Listbox* list = dialog->add_listbox("Charge");
  list->add_item(0, "1");
  list->add_item(1, "2");
  list->delete_item(1);
  list->delete_item(0);
  EXPECT_EQ(list->item_count(), 0);
  EXPECT_EQ(list->get_int_val(), 0);
  list->add_item(5, "6");
  EXPECT_EQ(list->get_int_val(), 5);
}

TEST_F(ListboxTest, ItemPointersGiveTextAndId) {
  GLUI_Listbox* list = dialog->add_listbox("Files", nullptr, 2000, record);
  list->add_item(0, "Click to see files");
  list->add_item(1, "charges.txt");
  GLUI_Listbox_Item* item = list->get_item_ptr(1);
  ASSERT_NE(item, nullptr);
  EXPECT_STREQ(item->text, "charges.txt");
  EXPECT_EQ(item->id, 1);
  EXPECT_EQ(list->get_item_ptr(2), nullptr);
}

TEST_F(ListboxTest, ChoosingFiresOnlyWhenTheSelectionChanges) {
  int live = 0;
  GLUI_Listbox* list = dialog->add_listbox("Shape", &live, 6, record);
  list->add_item(10, "Cube");
  list->add_item(20, "Sphere");
  list->choose_index(0);
  EXPECT_TRUE(fired.empty());
  list->choose_index(1);
  EXPECT_EQ(live, 20);
  EXPECT_EQ(fired_ids(), std::vector<int>{6});
  list->choose_index(7);  // no such entry
  EXPECT_EQ(fired.size(), 1u);
}

TEST_F(ListboxTest, HoveringAttachesAMenuOfTheItemsAndAChoiceSelects) {
  int live = 0;
  GLUI_Listbox* list = dialog->add_listbox("Shape", &live, 6, record);
  list->add_item(0, "Cube");
  list->add_item(1, "Sphere");
  const int window = dialog->get_glut_window_id();
  master.on_passive_motion(window, list->x_abs + list->w - 5, list->y_abs + 5);
  EXPECT_TRUE(platform.windows.at(window).has_menu);
  EXPECT_EQ(platform.windows.at(window).menu, (std::vector<std::string>{"Cube", "Sphere"}));
  master.on_menu_choice(window, 1);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(dialog->focus, list);
  EXPECT_EQ(fired_ids(), std::vector<int>{6});
  master.on_passive_motion(window, 1, 1);
  EXPECT_FALSE(platform.windows.at(window).has_menu);
}

// freeglut closes an open menu at a click outside it and keeps the click for itself; the
// layer hands it on as a press where it fell, so that OK is pressed, and a choice made in
// the menu is no press at all. The list under the pointer gets its menu again at once.
TEST_F(ListboxTest, AClickThatClosesTheMenuReachesTheButtonUnderIt) {
  int live = 0;
  GLUI_Listbox* list = dialog->add_listbox("File", &live, 6, record);
  list->add_item(0, "a.txt");
  list->add_item(1, "b.txt");
  GLUI_Button* ok = dialog->add_button("OK", 7, record);
  const int window = dialog->get_glut_window_id();
  const int listX = list->x_abs + list->w - 5, listY = list->y_abs + 5;
  master.on_passive_motion(window, listX, listY);
  ASSERT_TRUE(platform.windows.at(window).has_menu);

  const int okX = ok->x_abs + 10, okY = ok->y_abs + 10;
  close_menu(window, okX, okY);  // the press on OK went to the menu
  release(dialog, okX, okY);
  EXPECT_EQ(fired_ids(), std::vector<int>{7});
  EXPECT_EQ(live, 0);

  master.on_passive_motion(window, listX, listY);
  EXPECT_TRUE(platform.windows.at(window).has_menu);
  close_menu(window, listX, listY);
  master.on_menu_choice(window, 1);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(fired_ids(), (std::vector<int>{7, 6}));
  EXPECT_TRUE(platform.windows.at(window).has_menu) << "the pointer still lies over the list";
  release(dialog, listX, listY);  // freeglut's own release of the choice
  EXPECT_EQ(fired_ids(), (std::vector<int>{7, 6}));
}

// A click closing the menu of one window in another window reaches that window as it is.
TEST_F(ListboxTest, AClickInAnotherWindowClosesTheMenuAndActsOnce) {
  GLUI_Listbox* list = dialog->add_listbox("File", nullptr, 6, record);
  list->add_item(0, "a.txt");
  GLUI* other = master.create_glui("Other");
  GLUI_Button* button = other->add_button("Go", 8, record);
  const int window = dialog->get_glut_window_id();
  master.on_passive_motion(window, list->x_abs + list->w - 5, list->y_abs + 5);
  close_menu(window, 3, 3);
  click(button);
  EXPECT_EQ(fired_ids(), std::vector<int>{8});
}

TEST(MenuGroups, ALongListOpensInGroupsThatFitAColumn) {
  EXPECT_EQ(menu_groups(20, 38), std::vector<int>{0});
  EXPECT_EQ(menu_groups(38, 38), std::vector<int>{0});
  EXPECT_EQ(menu_groups(99, 38), (std::vector<int>{0, 33, 66}));
  EXPECT_EQ(menu_groups(99, 10), (std::vector<int>{0, 9, 19, 29, 39, 49, 59, 69, 79, 89}));
  EXPECT_EQ(menu_groups(5, 0), std::vector<int>{0});
}

TEST_F(ListboxTest, EmptyAndDisabledListsOfferNoMenu) {
  GLUI_Listbox* list = dialog->add_listbox("Shape", nullptr, 6, record);
  const int window = dialog->get_glut_window_id();
  master.on_passive_motion(window, list->x_abs + list->w - 5, list->y_abs + 5);
  EXPECT_FALSE(platform.windows.at(window).has_menu);
  list->add_item(0, "Cube");
  master.on_passive_motion(window, list->x_abs + list->w - 4, list->y_abs + 5);
  EXPECT_TRUE(platform.windows.at(window).has_menu);
  list->disable();
  EXPECT_FALSE(platform.windows.at(window).has_menu);
  master.on_passive_motion(window, list->x_abs + list->w - 6, list->y_abs + 5);
  EXPECT_FALSE(platform.windows.at(window).has_menu);
}

TEST_F(ListboxTest, ArrowKeysStepThroughItemsAndFire) {
  GLUI_Listbox* list = dialog->add_listbox("Shape", nullptr, 6, record);
  list->add_item(0, "Cube");
  list->add_item(1, "Sphere");
  list->add_item(2, "Cone");
  key(dialog, glui_keys::tab);
  ASSERT_EQ(dialog->focus, list);
  special(dialog, glui_keys::down);
  special(dialog, glui_keys::down);
  special(dialog, glui_keys::down);  // already last: no change
  EXPECT_EQ(list->get_int_val(), 2);
  special(dialog, glui_keys::home);
  EXPECT_EQ(list->get_int_val(), 0);
  EXPECT_EQ(fired_ids(), (std::vector<int>{6, 6, 6}));
}

TEST_F(ListboxTest, WidthGrowsWithLongItemsAndNeverShrinks) {
  GLUI_Listbox* list = dialog->add_listbox("");
  EXPECT_EQ(list->w, 130);
  const char* long_name = "a_rather_long_model_file_name.txt";
  list->add_item(0, long_name);
  EXPECT_EQ(list->w, 55 + glui_text_width(long_name) + 20);
  const int wide = list->w;
  list->delete_item(0);
  EXPECT_EQ(list->w, wide);
  EXPECT_EQ(dialog->win_w, wide + 18);
}
