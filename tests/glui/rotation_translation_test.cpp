// The rotation ball's arcball and spin, and the translation controls' arithmetic.
#include <cmath>

#include "glui/arcball.h"
#include "tests/glui/glui_fixture.h"

namespace {

constexpr double degrees = M_PI / 180.0;

bool is_identity(const float* m) {
  for (int i = 0; i < 16; ++i) {
    if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
  }
  return true;
}

}  // namespace

TEST(Arcball, OnePixelNearTheCentreTurnsAboutOnePointFifteenDegrees) {
  Arcball ball(25, 25, 100);
  ArcballStep step = ball.step(25, 25, 26, 25, Arcball::Lock::none);
  EXPECT_NEAR(step.angle / degrees, 1.146, 0.01);
  // Dragging right turns about +y (the front moves right); up (y decreasing) about -x.
  EXPECT_NEAR(step.axis[1], 1.0, 1e-9);
  step = ball.step(25, 25, 25, 20, Arcball::Lock::none);
  EXPECT_NEAR(step.axis[0], -1.0, 1e-9);
}

TEST(Arcball, PointsBeyondTheRadiusGoToTheRim) {
  Arcball ball(0, 0, 100);
  double p[3];
  ball.sphere_point(300, 0, p);
  EXPECT_DOUBLE_EQ(p[0], 1.0);
  EXPECT_DOUBLE_EQ(p[2], 0.0);
  ball.sphere_point(0, -60, p);  // y flips: up on screen is +y
  EXPECT_DOUBLE_EQ(p[1], 0.6);
  EXPECT_DOUBLE_EQ(p[2], 0.8);
}

TEST(Arcball, LocksKeepOnlyTheTurnAboutTheirAxis) {
  Arcball ball(0, 0, 100);
  EXPECT_EQ(ball.step(0, 0, 20, 0, Arcball::Lock::x_axis).angle, 0.0);
  ArcballStep step = ball.step(0, 0, 10, -20, Arcball::Lock::x_axis);
  EXPECT_NEAR(std::fabs(step.axis[0]), 1.0, 1e-9);
  step = ball.step(0, 0, 10, -20, Arcball::Lock::y_axis);
  EXPECT_NEAR(std::fabs(step.axis[1]), 1.0, 1e-9);
}

TEST(RotationMatrix, PremultiplyTurnsInEyeSpace) {
  RotationMatrix m;
  ArcballStep about_y;
  about_y.axis[0] = 0;
  about_y.axis[1] = 1;
  about_y.axis[2] = 0;
  about_y.angle = 90 * degrees;
  m.premultiply(about_y);
  // The z column (the object's front) now points along +x.
  EXPECT_NEAR(m.m[8], 1.0f, 1e-6);
  EXPECT_NEAR(m.m[10], 0.0f, 1e-6);
  ArcballStep about_x = about_y;
  about_x.axis[0] = 1;
  about_x.axis[1] = 0;
  m.premultiply(about_x);
  // x is unchanged by a turn about x applied after: the front still points along +x.
  EXPECT_NEAR(m.m[8], 1.0f, 1e-6);
  EXPECT_NEAR(m.m[15], 1.0f, 0);
}

class RotationTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
    panel->set_main_gfx_window(main_window);
    for (float& value : live) value = 5.0f;
    ball = panel->add_rotation("Spin", live, 20, record);
    cx = ball->x_abs + ball->w / 2;
    cy = ball->y_abs + (ball->h - 18) / 2;
  }
  // Drags from the centre by dx pixels in steps of one pixel, then releases.
  void drag_right(int dx, int modifiers = 0) {
    press(panel, cx, cy, modifiers);
    for (int i = 1; i <= dx; ++i) drag_to(panel, cx + i, cy);
    release(panel, cx + dx, cy);
  }
  GLUI* panel = nullptr;
  GLUI_Rotation* ball = nullptr;
  float live[16];
  int cx = 0, cy = 0;
};

TEST_F(RotationTest, AddingSetsTheBoundMatrixToIdentity) { EXPECT_TRUE(is_identity(live)); }

TEST_F(RotationTest, DraggingTurnsTheMatrixAndFiresOnEveryMotion) {
  const int redisplays = platform.windows.at(main_window).redisplays;
  drag_right(10);
  EXPECT_FALSE(is_identity(live));
  EXPECT_GT(live[8], 0.15f);  // the front turned right, by about 11.5 degrees
  EXPECT_LT(live[8], 0.25f);
  EXPECT_EQ(fired.size(), 10u);
  EXPECT_EQ(platform.windows.at(main_window).redisplays, redisplays + 10);
}

TEST_F(RotationTest, SpinFactorOneKeepsTurningUndampedWithoutCallbacks) {
  ball->set_spin(1.0f);
  drag_right(3);
  fired.clear();
  float before = live[8];
  master.on_idle();
  const float first_step = live[8] - before;
  EXPECT_GT(first_step, 0.0f);
  for (int i = 0; i < 20; ++i) master.on_idle();
  EXPECT_TRUE(ball->is_spinning());
  before = live[8];
  master.on_idle();
  EXPECT_NE(live[8], before);
  EXPECT_TRUE(fired.empty());
}

TEST_F(RotationTest, WithoutSpinNothingMovesAfterRelease) {
  drag_right(3);
  float before[16];
  std::copy(live, live + 16, before);
  master.on_idle();
  EXPECT_TRUE(std::equal(live, live + 16, before));
}

TEST_F(RotationTest, DampedSpinStopsAndAPressOrLostFocusStopsIt) {
  ball->set_spin(0.5f);
  drag_right(3);
  for (int i = 0; i < 10; ++i) master.on_idle();
  EXPECT_FALSE(ball->is_spinning());

  ball->set_spin(1.0f);
  drag_right(3);
  EXPECT_TRUE(ball->is_spinning());
  press(panel, cx, cy);
  EXPECT_FALSE(ball->is_spinning());
  release(panel, cx, cy);

  drag_right(3);
  EXPECT_TRUE(ball->is_spinning());
  master.on_mouse(main_window, 0, 0, 10, 10, 0);  // a click in the main window
  EXPECT_FALSE(ball->is_spinning());
}

TEST_F(RotationTest, AltLocksTheTurnToTheXAxis) {
  drag_right(10, glui_keys::alt);
  EXPECT_TRUE(is_identity(live));
}

TEST_F(RotationTest, ResetRestoresIdentityWithoutCallback) {
  drag_right(4);
  fired.clear();
  ball->reset();
  EXPECT_TRUE(is_identity(live));
  EXPECT_TRUE(fired.empty());
}

class TranslationTest : public GluiTest {
 protected:
  void SetUp() override {
    GluiTest::SetUp();
    panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
    panel->set_main_gfx_window(main_window);
  }
  // Presses at the control's centre, moves by (dx, dy) screen pixels and releases.
  void drag(GLUI_Translation* control, int dx, int dy, int modifiers = 0) {
    const int x = control->x_abs + 25, y = control->y_abs + 27;
    press(panel, x, y, modifiers);
    drag_to(panel, x + dx / 2, y + dy / 2);
    drag_to(panel, x + dx, y + dy);
    release(panel, x + dx, y + dy);
  }
  GLUI* panel = nullptr;
};

namespace {
float pan_seen_by_callback[2];
float* pan_live = nullptr;
void remember_pan(int) {
  pan_seen_by_callback[0] = pan_live[0];
  pan_seen_by_callback[1] = pan_live[1];
}
}  // namespace

TEST_F(TranslationTest, XYValueIsValueAtPressPlusSpeedTimesPixels) {
  float pan[2] = {1.0f, -1.0f};
  pan_live = pan;
  GLUI_Translation* control =
      panel->add_translation("Pan", GLUI_TRANSLATION_XY, pan, -1, remember_pan);
  const float speed = 0.005f;
  control->set_speed(speed);
  drag(control, 40, -20);  // right and up
  EXPECT_EQ(pan[0], 1.0f + speed * 40.0f);
  EXPECT_EQ(pan[1], -1.0f + speed * 20.0f);
  // The live variable was written before the callback ran.
  EXPECT_EQ(pan_seen_by_callback[0], pan[0]);
  EXPECT_EQ(pan_seen_by_callback[1], pan[1]);
}

TEST_F(TranslationTest, ZFollowsVerticalDragsUpPositive) {
  float dolly = 13.0f;
  GLUI_Translation* control = panel->add_translation("Dolly", GLUI_TRANSLATION_Z, &dolly, 22, record);
  const float speed = 0.02f;
  control->set_speed(speed);
  drag(control, 30, 10);  // down: the horizontal part does nothing
  EXPECT_EQ(dolly, 13.0f + speed * -10.0f);
  EXPECT_EQ(fired.size(), 2u);  // one per motion
  EXPECT_EQ(control->get_z(), dolly);
}

TEST_F(TranslationTest, ShiftAndCtrlScaleTheSpeed) {
  float x = 0.0f;
  GLUI_Translation* control = panel->add_translation("X", GLUI_TRANSLATION_X, &x);
  control->set_speed(0.5f);
  drag(control, 4, 0, glui_keys::shift);
  EXPECT_EQ(x, 0.5f * 100.0f * 4.0f);
  x = 0.0f;
  master.sync_live_all();
  drag(control, 4, 0, glui_keys::ctrl);
  EXPECT_EQ(x, 0.5f * 0.01f * 4.0f);
}

TEST_F(TranslationTest, AltLocksXYToTheDominantAxis) {
  float pan[2] = {0, 0};
  GLUI_Translation* control = panel->add_translation("Pan", GLUI_TRANSLATION_XY, pan);
  drag(control, 10, -3, glui_keys::alt);
  EXPECT_EQ(pan[0], 10.0f);
  EXPECT_EQ(pan[1], 0.0f);
}

TEST_F(TranslationTest, ArrowKeysStepSixPixels) {
  float y = 0.0f;
  GLUI_Translation* control = panel->add_translation("Y", GLUI_TRANSLATION_Y, &y, 24, record);
  control->set_speed(0.25f);
  click(panel, control->x_abs + 25, control->y_abs + 27);
  special(panel, glui_keys::up);
  EXPECT_EQ(y, 1.5f);
  special(panel, glui_keys::down);
  special(panel, glui_keys::down);
  EXPECT_EQ(y, -1.5f);
}
