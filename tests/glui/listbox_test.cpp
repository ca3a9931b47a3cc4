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
