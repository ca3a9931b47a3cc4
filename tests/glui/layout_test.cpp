// Sizes and places of controls, columns, panels and GLUI windows.
#include "glui/glui_font.h"
#include "tests/glui/glui_fixture.h"

using Layout = GluiTest;

TEST(Font, KnowsHelvetica12Advances) {
  EXPECT_EQ(glui_char_width('M'), 11);
  EXPECT_EQ(glui_char_width('i'), 3);
  EXPECT_EQ(glui_text_width("OK"), 10 + 8);
  EXPECT_EQ(glui_text_width(""), 0);
}

TEST_F(Layout, RightSubwindowOfButtonsIs118WideAndAsTallAsItsParent) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  GLUI_Button* first = panel->add_button("Load", 1, record);
  GLUI_Button* second = panel->add_button("Quit", 0, record);
  EXPECT_EQ(panel->win_w, 118);
  EXPECT_EQ(panel->win_h, 600);
  EXPECT_EQ(first->x_abs, 6);
  EXPECT_EQ(first->y_abs, 6);
  EXPECT_EQ(second->y_abs, 6 + 20 + 3);
  const FakeWindow& window = platform.windows.at(panel->get_glut_window_id());
  EXPECT_EQ(window.x, 800 - 118);
  EXPECT_EQ(window.y, 0);
  EXPECT_EQ(window.w, 118);
}

TEST_F(Layout, LongLabelsWidenButtonsAndEditTexts) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  const char* label = "Add Potential Surface...";
  GLUI_Button* button = panel->add_button(label);
  EXPECT_EQ(button->w, glui_text_width(label) + 16);
  GLUI_EditText* plain = panel->add_edittext("N", GLUI_EDITTEXT_INT);
  EXPECT_EQ(plain->w, 130);
  EXPECT_EQ(plain->text_x_offset, 55);
  GLUI_EditText* labelled = panel->add_edittext("Number of lines/charge", GLUI_EDITTEXT_INT);
  const int offset = glui_text_width("Number of lines/charge") + 2;
  EXPECT_EQ(labelled->text_x_offset, offset);
  EXPECT_EQ(labelled->w, offset + 35);
  EXPECT_EQ(panel->win_w, std::max(button->w, labelled->w) + 18);
}

TEST_F(Layout, RightSubwindowOfEditTextsIs148Wide) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  panel->add_edittext("A");
  panel->add_edittext("B", GLUI_EDITTEXT_FLOAT);
  EXPECT_EQ(panel->win_w, 148);
}

TEST_F(Layout, BottomRowOfRotationsIs80TallAndEachColumnAdds62) {
  platform.windows.at(main_window).w = 50;  // narrower than the content
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  std::vector<GLUI_Rotation*> balls;
  std::vector<int> widths;
  for (int i = 0; i < 3; ++i) {
    balls.push_back(panel->add_rotation("Spin"));
    panel->add_column(false);
    widths.push_back(panel->win_w);
  }
  EXPECT_EQ(panel->win_h, 80);
  EXPECT_EQ(widths, (std::vector<int>{68, 130, 192}));
  EXPECT_EQ(balls[0]->x_abs, 6);
  EXPECT_EQ(balls[1]->x_abs, 68);
  EXPECT_EQ(balls[2]->x_abs, 130);
  EXPECT_EQ(balls[2]->y_abs, 6);
  EXPECT_EQ(platform.windows.at(panel->get_glut_window_id()).y, 600 - 80);
}

TEST_F(Layout, BottomSubwindowSpansTheParentWidth) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  panel->add_translation("Pan", GLUI_TRANSLATION_XY);
  EXPECT_EQ(panel->win_w, 800);
  EXPECT_EQ(panel->root()->w, 800);  // the groove frames the whole subwindow
}

TEST_F(Layout, ButtonRowInAFramelessPanelSitsSideBySide) {
  GLUI* dialog = master.create_glui("Dialog");
  dialog->add_edittext("Potential", GLUI_EDITTEXT_FLOAT);
  GLUI_Panel* row = dialog->add_panel("", GLUI_PANEL_NONE);
  GLUI_Button* ok = dialog->add_button_to_panel(row, "OK");
  dialog->add_column_to_panel(row, false);
  GLUI_Button* cancel = dialog->add_button_to_panel(row, "Cancel");
  EXPECT_EQ(row->w, 6 + 100 + 12 + 100 + 12);
  EXPECT_EQ(row->h, 6 + 20 + 6);
  EXPECT_EQ(row->y_abs, 6 + 20 + 3 + 3);  // a panel gets 3 px more above
  EXPECT_EQ(ok->y_abs, cancel->y_abs);
  EXPECT_EQ(cancel->x_abs - ok->x_abs, 112);
  // The dialog is sized to its content: the row is the widest, and 3 px below it.
  EXPECT_EQ(dialog->win_w, row->w + 18);
  EXPECT_EQ(dialog->win_h, row->y_abs + row->h + 3 + 6);
  EXPECT_EQ(platform.windows.at(dialog->get_glut_window_id()).w, dialog->win_w);
}

TEST_F(Layout, TitledEmbossedPanelHasALargerTopMargin) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_Panel* panel = dialog->add_panel("Options");
  GLUI_StaticText* text = dialog->add_statictext_to_panel(panel, "inside");
  EXPECT_EQ(text->y_abs - panel->y_abs, 14);
  EXPECT_EQ(panel->h, 14 + 13 + 6);
  GLUI_Panel* untitled = dialog->add_panel("");
  EXPECT_EQ(untitled->w, 100);  // an empty container
  EXPECT_EQ(untitled->h, 13);
}

TEST_F(Layout, CentredAndLeftAlignedControlsShareAColumn) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_EditText* field = dialog->add_edittext("Long label for a field");
  GLUI_Button* button = dialog->add_button("OK");
  GLUI_StaticText* text = dialog->add_statictext("x");
  EXPECT_EQ(field->x_abs, 6);
  EXPECT_EQ(text->x_abs, 6);
  EXPECT_EQ(button->x_abs, (field->w + 12 - button->w) / 2);
}

TEST_F(Layout, StaticTextNeverShrinks) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_StaticText* text = dialog->add_statictext("A rather long line of static text");
  const int wide = text->w;
  EXPECT_GT(wide, 100);
  text->set_text("short");
  EXPECT_EQ(text->w, wide);
}

TEST_F(Layout, SubwindowsFollowTheMainWindowReshape) {
  GLUI* right = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  right->add_button("A");
  GLUI* bottom = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  bottom->add_rotation("Spin");
  platform.windows.at(main_window).w = 1000;
  platform.windows.at(main_window).h = 700;
  master.on_reshape(main_window, 1000, 700);
  const FakeWindow& r = platform.windows.at(right->get_glut_window_id());
  const FakeWindow& b = platform.windows.at(bottom->get_glut_window_id());
  EXPECT_EQ(r.x, 1000 - 118);
  EXPECT_EQ(r.h, 700);
  EXPECT_EQ(b.y, 700 - 80);
  EXPECT_EQ(b.w, 1000);
}

TEST_F(Layout, LaterSubwindowsOnOneSideMoveInwardAndSidesClearTheTop) {
  GLUI* right1 = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  right1->add_button("A");
  GLUI* right2 = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  right2->add_edittext("B");
  GLUI* top = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_TOP);
  top->add_statictext("title");
  EXPECT_EQ(right2->win_x, 800 - 118 - 148);
  EXPECT_EQ(right1->win_y, top->win_h);
  EXPECT_EQ(top->win_y, 0);
}

TEST_F(Layout, ViewportAreaIsTheMainWindowLessItsSubwindows) {
  GLUI* right = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  right->add_button("A");
  GLUI* bottom = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  bottom->add_rotation("Spin");
  platform.current = main_window;
  int x, y, w, h;
  master.get_viewport_area(&x, &y, &w, &h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 80);  // OpenGL's y points up: the bottom strip is below the area
  EXPECT_EQ(w, 800 - 118);
  EXPECT_EQ(h, 600 - 80);
}

TEST_F(Layout, ViewportAreaOfLeftAndTopSubwindowsAndATinyWindow) {
  GLUI* left = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_LEFT);
  left->add_button("A");
  GLUI* top = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_TOP);
  top->add_button("B");
  platform.current = main_window;
  int x, y, w, h;
  master.get_viewport_area(&x, &y, &w, &h);
  EXPECT_EQ(x, 118);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 800 - 118);
  EXPECT_EQ(h, 600 - 32);
  platform.windows.at(main_window).w = 50;
  platform.windows.at(main_window).h = 20;
  master.get_viewport_area(&x, &y, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST_F(Layout, TopLevelWindowIsPlacedOnlyWhenAskedAndKeepsTheCurrentWindow) {
  GLUI* anywhere = master.create_glui("Free");
  GLUI* placed = master.create_glui("Placed", 0, 300, 40);
  EXPECT_EQ(platform.windows.at(anywhere->get_glut_window_id()).x, -1);
  EXPECT_EQ(platform.windows.at(placed->get_glut_window_id()).x, 300);
  EXPECT_EQ(platform.windows.at(placed->get_glut_window_id()).title, "Placed");
  EXPECT_EQ(platform.current, main_window);
}
