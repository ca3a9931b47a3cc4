// Which callbacks fire, with which id and when; enabling and disabling; keys and
// mouse of the main window; hiding and closing windows.
#include "tests/glui/glui_fixture.h"

namespace {

std::vector<std::string> main_events;
void main_keyboard(unsigned char key, int, int) { main_events.push_back(std::string("key ") + char(key)); }
void main_special(int key, int, int) { main_events.push_back("special " + std::to_string(key)); }
void main_mouse(int, int state, int, int) { main_events.push_back("mouse " + std::to_string(state)); }
GLUI* reshape_probe = nullptr;
void main_reshape(int w, int h) {
  main_events.push_back("reshape " + std::to_string(w) + "x" + std::to_string(h) +
                        (reshape_probe ? " right at " + std::to_string(reshape_probe->win_x) : ""));
}
int idle_calls = 0;
void main_idle() { ++idle_calls; }

}  // namespace

class EventsTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    main_events.clear();
    reshape_probe = nullptr;
    idle_calls = 0;
    master.set_glutReshapeFunc(main_reshape);
    master.set_glutKeyboardFunc(main_keyboard);
    master.set_glutSpecialFunc(main_special);
    master.set_glutMouseFunc(main_mouse);
    panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
    panel->set_main_gfx_window(main_window);
  }
  GLUI* panel = nullptr;
};

TEST_F(EventsTest, HandlersAreInstalledOnTheCurrentWindow) {
  EXPECT_EQ(platform.installed.size(), 4u);
  master.set_glutIdleFunc(main_idle);
  EXPECT_TRUE(platform.idle_installed);
  master.on_idle();
  EXPECT_EQ(idle_calls, 1);
}

// Without work for idle time the event loop waits: the idle handler is there only while
// the program has an idle function or a released ball spins on.
TEST_F(EventsTest, TheIdleHandlerIsThereOnlyWhileSomethingNeedsIt) {
  EXPECT_FALSE(platform.idle_installed);
  master.set_glutIdleFunc(main_idle);
  master.set_glutIdleFunc(nullptr);
  EXPECT_FALSE(platform.idle_installed);

  GLUI_Rotation* ball = panel->add_rotation("Spin");
  ball->set_spin(1.0f);
  const int cx = ball->x_abs + ball->w / 2, cy = ball->y_abs + 25;
  press(panel, cx, cy);
  drag_to(panel, cx + 10, cy);
  EXPECT_FALSE(platform.idle_installed) << "held, the ball turns only as the pointer moves";
  release(panel, cx + 10, cy);
  EXPECT_TRUE(platform.idle_installed) << "released while turning, it spins on";
  master.on_idle();
  EXPECT_TRUE(platform.idle_installed);
  panel->set_focus(nullptr, false);  // losing the focus stops the spin
  master.on_idle();
  EXPECT_FALSE(platform.idle_installed);
}

TEST_F(EventsTest, ButtonFiresOnceOnReleaseInsideWithItsIdAndTheMainWindowCurrent) {
  GLUI_Button* button = panel->add_button("Load Model...", 1000, record);
  const int x = button->x_abs + 10, y = button->y_abs + 10;
  press(panel, x, y);
  EXPECT_TRUE(fired.empty());
  EXPECT_TRUE(button->pressed);
  const int redisplays = platform.windows.at(main_window).redisplays;
  release(panel, x, y);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0].id, 1000);
  EXPECT_EQ(fired[0].current_window, main_window);
  EXPECT_EQ(platform.current, panel->get_glut_window_id());  // restored afterwards
  EXPECT_EQ(platform.windows.at(main_window).redisplays, redisplays + 1);
}

TEST_F(EventsTest, ButtonReleasedOutsideDoesNotFire) {
  GLUI_Button* button = panel->add_button("Quit", 0, record);
  press(panel, button->x_abs + 10, button->y_abs + 10);
  drag_to(panel, button->x_abs + 10, button->y_abs + 40);
  EXPECT_FALSE(button->pressed);
  release(panel, button->x_abs + 10, button->y_abs + 40);
  EXPECT_TRUE(fired.empty());
}

TEST_F(EventsTest, OnlyTheLeftButtonActs) {
  GLUI_Button* button = panel->add_button("Quit", 0, record);
  const int window = panel->get_glut_window_id();
  master.on_mouse(window, 2, 0, button->x_abs + 10, button->y_abs + 10, 0);
  master.on_mouse(window, 2, 1, button->x_abs + 10, button->y_abs + 10, 0);
  EXPECT_TRUE(fired.empty());
}

TEST_F(EventsTest, KeysInTheMainWindowReachTheProgramEvenAfterAButtonClick) {
  GLUI_Button* button = panel->add_button("Load", 1000, record);
  click(button);
  EXPECT_EQ(panel->focus, nullptr);
  master.on_keyboard(main_window, 'q', 5, 5, 0);
  master.on_special(main_window, glui_keys::f1, 5, 5, 0);
  EXPECT_EQ(main_events, (std::vector<std::string>{"key q", "special 1"}));
}

TEST_F(EventsTest, KeysNoControlUsesInASubwindowGoToTheMainWindow) {
  panel->add_button("Load", 1000, record);
  key(panel, 27);
  EXPECT_EQ(main_events, std::vector<std::string>{"key \x1b"});
  EXPECT_EQ(platform.current, main_window);
}

TEST_F(EventsTest, ClicksNoEnabledControlTakesInASubwindowGoToTheMainWindow) {
  GLUI_Button* button = panel->add_button("Load", 1000, record);
  click(button);
  EXPECT_TRUE(main_events.empty());
  panel->disable();
  click(button);
  EXPECT_EQ(main_events, (std::vector<std::string>{"mouse 0", "mouse 1"}));
  EXPECT_EQ(platform.current, main_window);
  EXPECT_EQ(fired_ids(), std::vector<int>{1000});
}

TEST_F(EventsTest, SpaceClicksATabFocusedButton) {
  panel->add_button("Load", 1000, record);
  key(panel, glui_keys::tab);
  key(panel, ' ');
  EXPECT_EQ(fired_ids(), std::vector<int>{1000});
  EXPECT_TRUE(main_events.empty());
}

TEST_F(EventsTest, AFocusedFieldKeepsItsKeysAndDialogsNeverForward) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_EditText* field = dialog->add_edittext("Name", GLUI_EDITTEXT_TEXT, nullptr, 2001, record);
  key(dialog, 'x');  // nothing focused: a dialog drops the key
  click(field);
  key(dialog, 'q');
  EXPECT_STREQ(field->get_text(), "q");
  EXPECT_TRUE(main_events.empty());
}

TEST_F(EventsTest, ReturnAndEscClickTheWindowsKeyButtonsAfterTheFocusedFieldCommits) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, nullptr, 2001, record);
  GLUI_Button* ok = dialog->add_button("OK", 2002, record);
  GLUI_Button* cancel = dialog->add_button("Cancel", 2003, record);
  key(dialog, glui_keys::enter);  // no key buttons yet: nothing
  EXPECT_TRUE(fired.empty());
  dialog->set_enter_button(ok);
  dialog->set_escape_button(cancel);
  click(field);
  type(dialog, "7");
  key(dialog, glui_keys::enter);
  EXPECT_EQ(fired_ids(), (std::vector<int>{2001, 2002}));
  EXPECT_EQ(field->get_int_val(), 7);
  key(dialog, glui_keys::escape);
  ok->disable();
  key(dialog, glui_keys::enter);
  EXPECT_EQ(fired_ids(), (std::vector<int>{2001, 2002, 2003}));
}

TEST_F(EventsTest, AClickInTheMainWindowCommitsTheFieldBeforeTheProgramSeesIt) {
  GLUI_EditText* field = panel->add_edittext("n", GLUI_EDITTEXT_INT, nullptr, 7,
                                             [](int id) {
                                               main_events.push_back("commit");
                                               record(id);
                                             });
  click(field);
  type(panel, "3");
  master.on_mouse(main_window, 0, 0, 100, 100, 0);
  EXPECT_EQ(main_events, (std::vector<std::string>{"commit", "mouse 0"}));
  EXPECT_EQ(field->get_int_val(), 3);
}

TEST_F(EventsTest, AReleaseInTheMainWindowLeavesAFieldFocusedDuringThePress) {
  GLUI_EditText* field = panel->add_edittext("n", GLUI_EDITTEXT_TEXT, nullptr, 7, nullptr);
  master.on_mouse(main_window, 0, 0, 100, 100, 0);
  panel->set_focus(field, true);  // a key during the drag opened a dialog at its field
  master.on_mouse(main_window, 0, 1, 120, 90, 0);
  EXPECT_EQ(panel->focus, field);
  EXPECT_EQ(main_events, (std::vector<std::string>{"mouse 0", "mouse 1"}));
}

TEST_F(EventsTest, ReshapeCallsTheProgramFirstThenPlacesSubwindows) {
  panel->add_button("A");
  reshape_probe = panel;
  platform.windows.at(main_window).w = 900;
  master.on_reshape(main_window, 900, 600);
  EXPECT_EQ(main_events, std::vector<std::string>{"reshape 900x600 right at 682"});
  EXPECT_EQ(panel->win_x, 900 - 118);
}

TEST_F(EventsTest, DisabledWindowIgnoresClicksAndDragsUntilEnabled) {
  GLUI* bottom = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  float dolly = 0;
  GLUI_Translation* control = bottom->add_translation("Dolly", GLUI_TRANSLATION_Z, &dolly, 22, record);
  GLUI_Panel* box = bottom->add_panel("Box");
  GLUI_Button* inside = bottom->add_button_to_panel(box, "Inside", 5, record);
  bottom->disable();
  EXPECT_FALSE(control->is_enabled());
  EXPECT_FALSE(inside->is_enabled());
  press(bottom, control->x_abs + 25, control->y_abs + 27);
  drag_to(bottom, control->x_abs + 25, control->y_abs + 7);
  release(bottom, control->x_abs + 25, control->y_abs + 7);
  click(inside);
  EXPECT_EQ(dolly, 0.0f);
  EXPECT_TRUE(fired.empty());
  bottom->enable();
  click(inside);
  EXPECT_EQ(fired_ids(), std::vector<int>{5});
}

TEST_F(EventsTest, AControlDisabledWhileHeldStopsFollowingTheMouse) {
  static GLUI* bottom = nullptr;
  bottom = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  float x = 0;
  GLUI_Translation* control = bottom->add_translation("X", GLUI_TRANSLATION_X, &x, 23,
                                                      [](int) { bottom->disable(); });
  press(bottom, control->x_abs + 25, control->y_abs + 27);
  drag_to(bottom, control->x_abs + 30, control->y_abs + 27);
  EXPECT_EQ(x, 5.0f);
  drag_to(bottom, control->x_abs + 40, control->y_abs + 27);
  release(bottom, control->x_abs + 40, control->y_abs + 27);
  EXPECT_EQ(x, 5.0f);
  EXPECT_FALSE(control->pressed);
}

TEST_F(EventsTest, ControlsAddedToADisabledPanelStartDisabled) {
  GLUI_Panel* box = panel->add_panel("Box");
  box->disable();
  GLUI_Button* later = panel->add_button_to_panel(box, "Later", 1, record);
  EXPECT_FALSE(later->is_enabled());
}

TEST_F(EventsTest, DisablingCommitsTheFocusedFieldAndTabSkipsDisabledControls) {
  GLUI_EditText* first = panel->add_edittext("a", GLUI_EDITTEXT_INT, nullptr, 1, record);
  GLUI_Button* middle = panel->add_button("b", 2, record);
  GLUI_EditText* last = panel->add_edittext("c", GLUI_EDITTEXT_INT, nullptr, 3, record);
  click(first);
  type(panel, "8");
  panel->disable();
  EXPECT_EQ(fired_ids(), std::vector<int>{1});
  EXPECT_EQ(panel->focus, nullptr);
  panel->enable();
  middle->disable();
  click(first);
  key(panel, glui_keys::tab);
  EXPECT_EQ(panel->focus, last);
}

TEST_F(EventsTest, HideTakesTheFocusAndHidesTheWindow) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_EditText* field = dialog->add_edittext("v", GLUI_EDITTEXT_FLOAT, nullptr, 2300, record);
  click(field);
  type(dialog, "2");
  dialog->hide();
  EXPECT_FALSE(platform.windows.at(dialog->get_glut_window_id()).shown);
  EXPECT_EQ(fired_ids(), std::vector<int>{2300});
  dialog->show();
  EXPECT_TRUE(platform.windows.at(dialog->get_glut_window_id()).shown);
}

TEST_F(EventsTest, CallbackMayHideItsOwnDialog) {
  static GLUI* dialog = nullptr;
  dialog = master.create_glui("Dialog");
  GLUI_Button* ok = dialog->add_button("OK", 2002, [](int) { dialog->hide(); });
  click(ok);
  EXPECT_FALSE(platform.windows.at(dialog->get_glut_window_id()).shown);
}

TEST_F(EventsTest, ClosedSubwindowIsDestroyedAtItsNextDisplay) {
  panel->add_button("A");
  const int window = panel->get_glut_window_id();
  panel->close();
  EXPECT_TRUE(master.find_glui_by_window_id(window));
  display_all();
  EXPECT_EQ(master.find_glui_by_window_id(window), nullptr);
  EXPECT_EQ(platform.windows.count(window), 0u);
  // The program hears of its larger free area.
  EXPECT_EQ(main_events, std::vector<std::string>{"reshape 800x600"});
  platform.current = main_window;
  int x, y, w, h;
  master.get_viewport_area(&x, &y, &w, &h);
  EXPECT_EQ(w, 800);
}

// The fake does what freeglut does when a window manager closes a window: it tells the
// layer, then destroys the window.
TEST_F(EventsTest, ADialogClosedByTheWindowManagerIsBuiltAnewThenItsCloseCallbackRuns) {
  GLUI* dialog = master.create_glui("Dialog");
  dialog->set_transient_for(main_window);
  GLUI_EditText* field = dialog->add_edittext("n", GLUI_EDITTEXT_INT, nullptr, 2200, record);
  dialog->add_button("Cancel", 2203, record);
  dialog->set_close_callback(record, 2203);
  click(field);
  type(dialog, "42");
  const int closed = dialog->get_glut_window_id();
  master.on_window_closed(closed);
  platform.destroy_window(closed);
  const FakeWindow& rebuilt = platform.windows.at(dialog->get_glut_window_id());
  EXPECT_EQ(rebuilt.title, "Dialog");
  EXPECT_EQ(rebuilt.w, dialog->win_w);
  EXPECT_EQ(rebuilt.transient_for, main_window);
  EXPECT_EQ(field->get_int_val(), 42);
  EXPECT_EQ(fired_ids(), (std::vector<int>{2200, 2203}));
}

TEST_F(EventsTest, ClosingTheMainWindowEndsTheLoopAndTheProgramsFunctionsRest) {
  master.set_glutIdleFunc(main_idle);
  master.on_window_closed(panel->get_glut_window_id());  // goes first, with its main window
  EXPECT_FALSE(platform.main_loop_left);
  master.on_window_closed(main_window);
  EXPECT_TRUE(platform.main_loop_left);
  master.on_idle();
  EXPECT_EQ(idle_calls, 0);
}

TEST_F(EventsTest, CloseAllClosesEveryWindow) {
  master.create_glui("Dialog");
  master.close_all();
  display_all();
  EXPECT_TRUE(master.windows().empty());
}
