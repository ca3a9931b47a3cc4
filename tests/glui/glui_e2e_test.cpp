// End-to-end tests of the widget layer: the demo program under Xvfb, driven with real
// X input. Screenshots are kept as PNG files in this test's build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "tests/support/e2e/e2e_harness.h"

namespace {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int center_x() const { return x + w / 2; }
  int center_y() const { return y + h / 2; }
};

const e2e::Pixel panel_grey{200, 200, 200};
const e2e::Pixel black{0, 0, 0};
const e2e::Pixel white{255, 255, 255};
constexpr double timeout = 10.0;

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    display = std::make_unique<e2e::XDisplay>();
    demo = std::make_unique<e2e::ChildProcess>(GLUI_DEMO_PATH, std::vector<std::string>{},
                                               E2E_OUTPUT_DIR);
    ASSERT_TRUE(demo->wait_for_output("ready\n", timeout)) << demo->errors();
    read_layout();
    main = display->wait_for_window("GLUI demo", timeout);
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(display->wait_until_viewable(main, true, timeout));
    e2e::pause(0.5);  // the first frames
  }

  // "layout <role> <id> x y w h" and "control <role> <name> x y w h" lines.
  void read_layout() {
    for (const std::string& line : demo->lines_starting_with("layout ")) {
      std::istringstream in(line.substr(7));
      std::string role;
      int id;
      Rect r;
      in >> role >> id >> r.x >> r.y >> r.w >> r.h;
      windows[role] = r;
    }
    for (const std::string& line : demo->lines_starting_with("control ")) {
      std::istringstream in(line.substr(8));
      std::string role, name;
      Rect r;
      in >> role >> name >> r.x >> r.y >> r.w >> r.h;
      controls[role + "/" + name] = r;
    }
  }

  // A control's rectangle in the main window's coordinates (subwindows) or its own
  // window's (dialogs).
  Rect in_main(const std::string& role, const std::string& name) {
    Rect r = controls.at(role + "/" + name);
    r.x += windows.at(role).x;
    r.y += windows.at(role).y;
    return r;
  }

  size_t output_size() { return demo->output().size(); }

  // Presses "p" over the main window's free area and answers the state line of name. The
  // demo has then handled every event that came before.
  std::string state(const std::string& name) {
    const size_t from = output_size();
    e2e::move_pointer(main, 100, 100);
    e2e::press_keys({"p"});
    EXPECT_TRUE(demo->wait_for_output("state dialog_value", timeout, from));
    const std::string text = demo->output().substr(from);
    const std::string key = "state " + name + " ";
    const size_t at = text.find(key);
    if (at == std::string::npos) return "";
    return text.substr(at + key.size(), text.find('\n', at) - at - key.size());
  }

  int count_lines(const std::string& line, size_t from = 0) {
    int count = 0;
    const std::string& text = demo->output();
    for (size_t at = text.find(line, from); at != std::string::npos; at = text.find(line, at + 1)) {
      ++count;
    }
    return count;
  }

  // What window shows once `shows` holds for it (a loaded machine draws late), kept as
  // name.png; a failure of the test when it does not within the wait.
  e2e::Image screenshot(e2e::WindowId window, const std::string& name,
                        const std::function<bool(const e2e::Image&)>& shows = [](const e2e::Image&) { return true; }) {
    const e2e::Image image = display->capture_when(window, shows, timeout);
    EXPECT_TRUE(shows(image)) << name << ": not shown within " << timeout << " s";
    const std::string path = std::string(E2E_OUTPUT_DIR) + "/" + name + ".png";
    EXPECT_TRUE(image.save_png(path)) << path;
    return image;
  }

  std::unique_ptr<e2e::XDisplay> display;
  std::unique_ptr<e2e::ChildProcess> demo;
  e2e::WindowId main = 0;
  std::map<std::string, Rect> windows, controls;
};

TEST_F(DemoTest, ClickingAButtonFiresItsCallbackOnce) {
  const Rect button = in_main("right", "Press_me");
  ASSERT_TRUE(e2e::click(main, button.center_x(), button.center_y()));
  ASSERT_TRUE(demo->wait_for_output("callback 1\n", timeout));
  state("count");  // the release handled too
  EXPECT_EQ(count_lines("callback 1\n"), 1);
}

TEST_F(DemoTest, TypingIntoAnIntFieldAndClickingElsewhereCommitsTheClampedValue) {
  const Rect field = in_main("right", "Count:");
  ASSERT_TRUE(e2e::click(main, field.x + field.w - 5, field.center_y()));
  e2e::press_keys({"End", "BackSpace", "BackSpace", "BackSpace"});
  e2e::type_text("5x00");  // the letter is dropped by the filter
  ASSERT_TRUE(e2e::click(main, 100, 100));
  ASSERT_TRUE(demo->wait_for_output("callback 2 100\n", timeout)) << demo->output();
  EXPECT_EQ(state("count"), "100");
}

TEST_F(DemoTest, ChoosingAListBoxItemFromItsMenu) {
  const Rect list = in_main("right", "Shape:");
  const int x = list.x + list.w - 30, y = list.center_y();
  ASSERT_TRUE(e2e::click(main, x, y));
  const e2e::WindowId menu = display->wait_for_shown_window("freeglut menu", timeout);
  ASSERT_NE(menu, 0u);
  // freeglut's menu entries are about 26 px tall: the second one, "Sphere".
  ASSERT_TRUE(e2e::click(menu, 10, 39));
  ASSERT_TRUE(demo->wait_for_output("callback 6 1\n", timeout)) << demo->output();
  EXPECT_EQ(state("shape"), "1");
}

TEST_F(DemoTest, DraggingTheRotationBallTurnsItAndItKeepsSpinning) {
  const Rect ball = in_main("bottom", "Spin");
  const int cx = ball.center_x(), cy = ball.y + (ball.h - 18) / 2;
  ASSERT_TRUE(e2e::drag(main, cx, cy, cx + 20, cy, 10));
  ASSERT_TRUE(demo->wait_for_output("callback 20 ", timeout));
  const std::string after_drag = state("rotation");
  EXPECT_NE(after_drag, "1.000000 0.000000 0.000000 0.000000 0.000000 1.000000 0.000000 "
                        "0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 0.000000 "
                        "0.000000 1.000000");
  const size_t callbacks = count_lines("callback 20 ");
  EXPECT_TRUE(e2e::wait_until([&] { return state("rotation") != after_drag; }, timeout))
      << "still turning after the release";
  EXPECT_EQ(count_lines("callback 20 "), callbacks) << "spinning fires no callbacks";
}

TEST_F(DemoTest, DraggingATranslationControlMovesBySpeedTimesPixels) {
  const Rect dolly = in_main("bottom", "Dolly");
  ASSERT_TRUE(e2e::drag(main, dolly.center_x(), dolly.y + 27, dolly.center_x(), dolly.y + 2, 5));
  ASSERT_TRUE(demo->wait_for_output("callback 22 ", timeout));
  EXPECT_EQ(state("dolly"), "0.500000");  // 0.02 per pixel, 25 pixels up

  const Rect pan = in_main("bottom", "Pan");
  ASSERT_TRUE(e2e::drag(main, pan.center_x(), pan.y + 27, pan.center_x() + 30, pan.y + 17, 6));
  EXPECT_EQ(state("pan"), "0.300000 0.100000");  // 0.01 per pixel, right and up
}

TEST_F(DemoTest, ADisabledPanelIgnoresClicksUntilEnabled) {
  const Rect disable = in_main("right", "Disable");
  ASSERT_TRUE(e2e::click(main, disable.center_x(), disable.center_y()));
  ASSERT_TRUE(demo->wait_for_output("callback 7\n", timeout));
  state("count");  // the click's turn, the panel drawn disabled, is over
  screenshot(main, "glui_demo_disabled");

  const Rect slide = in_main("bottom", "Slide_X");
  const size_t from = output_size();
  ASSERT_TRUE(e2e::drag(main, slide.center_x(), slide.y + 27, slide.center_x() + 20, slide.y + 27, 4));
  EXPECT_EQ(state("slide"), "0.000000 0.000000");
  EXPECT_EQ(demo->output().find("callback 23", from), std::string::npos);

  const Rect enable = in_main("right", "Enable");
  ASSERT_TRUE(e2e::click(main, enable.center_x(), enable.center_y()));
  ASSERT_TRUE(demo->wait_for_output("callback 8\n", timeout));
  ASSERT_TRUE(e2e::drag(main, slide.center_x(), slide.y + 27, slide.center_x() + 20, slide.y + 27, 4));
  ASSERT_TRUE(demo->wait_for_output("callback 23 1.000000\n", timeout)) << demo->output();
}

TEST_F(DemoTest, HiddenDialogsAreNotMappedUntilShown) {
  const e2e::WindowId hidden = display->wait_for_window("GLUI hidden dialog", timeout);
  ASSERT_NE(hidden, 0u);
  EXPECT_FALSE(display->is_viewable(hidden));
  const e2e::WindowId dialog = display->wait_for_window("GLUI demo dialog", timeout);
  EXPECT_TRUE(display->wait_until_viewable(dialog, true, timeout));

  const Rect show = in_main("right", "Show_dialog");
  ASSERT_TRUE(e2e::click(main, show.center_x(), show.center_y()));
  ASSERT_TRUE(display->wait_until_viewable(hidden, true, timeout));
  e2e::pause(0.3);
  const Rect close = controls.at("hidden/Close");
  ASSERT_TRUE(e2e::click(hidden, close.center_x(), close.center_y()));
  ASSERT_TRUE(demo->wait_for_output("callback 41\n", timeout));
  EXPECT_TRUE(display->wait_until_viewable(hidden, false, timeout));
}

TEST_F(DemoTest, ScreenshotsShowThePanelBackgroundAndControlOutlines) {
  const Rect right = windows.at("right");
  // The right panel is mostly the panel grey, framed by a groove. A loaded machine may
  // draw the first frames late, so the panel is awaited before the picture is taken.
  const auto panel_drawn = [&](const e2e::Image& picture) {
    return picture.count(panel_grey, 2, right.x, 250, right.x + right.w - 1, 380) > right.w * 120;
  };
  const e2e::Image image = screenshot(main, "glui_demo_main", panel_drawn);
  ASSERT_EQ(image.width(), 640);
  EXPECT_TRUE(e2e::near(image.at(right.x, 200), e2e::Pixel{127, 127, 127}, 2));
  EXPECT_TRUE(e2e::near(image.at(right.x + 1, 200), white, 2));
  // A raised button: white top edge, black bottom and right edges, grey face.
  const Rect button = in_main("right", "Press_me");
  EXPECT_TRUE(e2e::near(image.at(button.center_x(), button.y), white, 2));
  EXPECT_TRUE(e2e::near(image.at(button.center_x(), button.y + button.h - 1), black, 2));
  EXPECT_TRUE(e2e::near(image.at(button.x + button.w - 1, button.center_y()), black, 2));
  EXPECT_TRUE(e2e::near(image.at(button.x + 4, button.center_y()), panel_grey, 2));
  // An edit text: a white field inside a dark bevel.
  const Rect field = in_main("right", "Name:");
  EXPECT_TRUE(e2e::near(image.at(field.x + field.w - 8, field.center_y()), white, 2));
  EXPECT_TRUE(e2e::near(image.at(field.x + 56, field.center_y()), black, 2));
  // The bottom panel holds the lit ball: not flat grey around its centre.
  const Rect ball = in_main("bottom", "Spin");
  EXPECT_LT(image.count(panel_grey, 2, ball.x + 10, ball.y + 10, ball.x + 40, ball.y + 40), 100);

  const e2e::WindowId dialog = display->wait_for_window("GLUI demo dialog", timeout);
  const auto mostly_grey = [](const e2e::Image& picture) {
    return picture.count(panel_grey, 2, 0, 0, picture.width() - 1, picture.height() - 1) >
           picture.width() * picture.height() / 2;
  };
  EXPECT_EQ(screenshot(dialog, "glui_demo_dialog", mostly_grey).width(), windows.at("dialog").w);
}

TEST_F(DemoTest, ResizingTheMainWindowMovesAndStretchesItsSubwindows) {
  ASSERT_TRUE(demo->wait_for_output("viewport 0 80 392 400\n", timeout)) << demo->output();
  ASSERT_TRUE(e2e::resize_window(main, 800, 600));
  ASSERT_TRUE(demo->wait_for_output("viewport 0 80 552 520\n", timeout)) << demo->output();
  // The subwindows move on the demo's next turn of its main loop.
  bool right_follows = false, bottom_follows = false;
  const auto subwindows_follow = [&] {
    int main_x, main_y, main_w, main_h;
    if (!display->geometry(main, &main_x, &main_y, &main_w, &main_h)) return false;
    for (e2e::WindowId child : display->children(main)) {
      int x, y, w, h;
      if (!display->geometry(child, &x, &y, &w, &h)) return false;
      x -= main_x;
      y -= main_y;
      right_follows |= x == 800 - 248 && y == 0 && w == 248 && h == 600;
      bottom_follows |= x == 0 && y == 600 - 80 && w == 800 && h == 80;
    }
    return right_follows && bottom_follows;
  };
  e2e::wait_until(subwindows_follow, timeout);
  EXPECT_TRUE(right_follows);
  EXPECT_TRUE(bottom_follows);
  // The stretched right panel is drawn down to its new bottom.
  const auto stretched_panel_drawn = [](const e2e::Image& picture) {
    return picture.count(panel_grey, 2, 560, 400, 790, 510) > 200 * 100;
  };
  screenshot(main, "glui_demo_resized", stretched_panel_drawn);
}

TEST_F(DemoTest, ClosedWindowsAreDestroyedAndTheFreeAreaGrows) {
  const Rect close_bottom = in_main("right", "Close_bottom_panel");
  ASSERT_TRUE(e2e::click(main, close_bottom.center_x(), close_bottom.center_y()));
  ASSERT_TRUE(demo->wait_for_output("viewport 0 0 392 480\n", timeout)) << demo->output();
  // freeglut destroys windows at the end of its main loop's turn.
  EXPECT_TRUE(e2e::wait_until([&] { return display->children(main).size() == 1u; }, timeout));

  const e2e::WindowId hidden = display->wait_for_window("GLUI hidden dialog", timeout);
  const Rect show = in_main("right", "Show_dialog");
  ASSERT_TRUE(e2e::click(main, show.center_x(), show.center_y()));
  ASSERT_TRUE(display->wait_until_viewable(hidden, true, timeout));
  e2e::pause(0.3);
  const Rect destroy = controls.at("hidden/Destroy");
  ASSERT_TRUE(e2e::click(hidden, destroy.center_x(), destroy.center_y()));
  ASSERT_TRUE(demo->wait_for_output("callback 42\n", timeout));
  EXPECT_TRUE(e2e::wait_until([&] { return display->wait_for_window("GLUI hidden dialog", 0.0) == 0u; }, timeout));
  // The program runs on.
  EXPECT_EQ(state("count"), "10");
  screenshot(main, "glui_demo_closed");
}

TEST_F(DemoTest, QuitButtonEndsTheProgramWithStatusZero) {
  const Rect quit = in_main("right", "Quit");
  ASSERT_TRUE(e2e::click(main, quit.center_x(), quit.center_y()));
  EXPECT_EQ(demo->wait_for_exit(timeout), 0);
}

}  // namespace
