// Check boxes: what a click, a drag out, Space and a changed live variable do.
#include "tests/glui/glui_fixture.h"

using CheckboxTest = GluiTest;

TEST_F(CheckboxTest, AClickTicksAndWritesBeforeTheCallbackAndADragOutChangesNothing) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  panel->set_main_gfx_window(main_window);
  int live = 0;
  static int* seen_live = nullptr;
  static int value_in_callback = -1;
  seen_live = &live;
  GLUI_Checkbox* box = panel->add_checkbox("Teaching style", &live, 7, [](int id) {
    value_in_callback = *seen_live;
    record(id);
  });
  EXPECT_EQ(box->h, 13);
  EXPECT_GT(box->w, 18 + 60);  // the box, a gap and the label

  click(box);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(box->get_int_val(), 1);
  EXPECT_EQ(value_in_callback, 1);
  EXPECT_EQ(fired_ids(), std::vector<int>{7});
  EXPECT_EQ(fired[0].current_window, main_window);

  press(panel, box->x_abs + 4, box->y_abs + 4);
  drag_to(panel, box->x_abs + box->w + 40, box->y_abs + 4);
  release(panel, box->x_abs + box->w + 40, box->y_abs + 4);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(fired.size(), 1u);

  click(box);
  EXPECT_EQ(live, 0);
  EXPECT_EQ(fired_ids(), (std::vector<int>{7, 7}));
}

TEST_F(CheckboxTest, SpaceTogglesAFocusedBoxAndALiveChangeIsShownWithoutACallback) {
  GLUI* dialog = master.create_glui("Dialog");
  int live = 1;
  GLUI_Checkbox* box = dialog->add_checkbox("Smooth", &live, 3, record);
  EXPECT_EQ(box->get_int_val(), 1) << "starts from its live variable";
  key(dialog, glui_keys::tab);
  key(dialog, ' ');
  EXPECT_EQ(live, 0);
  EXPECT_EQ(fired_ids(), std::vector<int>{3});
  live = 1;
  master.sync_live_all();
  EXPECT_EQ(box->get_int_val(), 1);
  EXPECT_EQ(fired.size(), 1u);
  box->disable();
  key(dialog, ' ');
  EXPECT_EQ(live, 1);
}
