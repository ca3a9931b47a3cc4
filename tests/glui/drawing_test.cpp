// What controls draw, through a painter that records calls: labels, greying when
// disabled, focus and pressed looks.
#include <string>
#include <vector>

#include "tests/glui/glui_fixture.h"

namespace {

struct Drawn {
  std::string what;  // "text:<text>", "fill", "dotted", "ball", ...
  GLUI_Color color;
  int x, y;
};

class RecordingPainter : public GLUI_Painter {
 public:
  void fill_rect(int x0, int y0, int, int, GLUI_Color c) override { add("fill", c, x0, y0); }
  void outline_rect(int x0, int y0, int, int, GLUI_Color c) override { add("outline", c, x0, y0); }
  void dotted_rect(int x0, int y0, int, int, GLUI_Color c) override { add("dotted", c, x0, y0); }
  void line(int x0, int y0, int, int, GLUI_Color c) override { add("line", c, x0, y0); }
  void text(int x, int baseline, const std::string& t, GLUI_Color c) override {
    add("text:" + t, c, x, baseline);
  }
  void polygon(const float*, int, GLUI_Color c) override { add("polygon", c, 0, 0); }
  void outline_polygon(const float*, int, GLUI_Color c) override { add("outline_polygon", c, 0, 0); }
  void rotation_ball(int x, int y, int, const float*, bool enabled) override {
    add(enabled ? "ball" : "ball:disabled", glui_colors::black, x, y);
  }
  std::vector<Drawn> calls;
  std::vector<Drawn> named(const std::string& what) const {
    std::vector<Drawn> found;
    for (const Drawn& call : calls) {
      if (call.what == what) found.push_back(call);
    }
    return found;
  }

 private:
  void add(std::string what, GLUI_Color c, int x, int y) { calls.push_back({std::move(what), c, x, y}); }
};

bool same(GLUI_Color a, GLUI_Color b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

}  // namespace

using Drawing = GluiTest;

TEST_F(Drawing, EnabledLabelsAreBlackAndDisabledOnesEmbossedGrey) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_Button* button = dialog->add_button("OK", 1, record);
  RecordingPainter enabled;
  dialog->draw(enabled);
  ASSERT_EQ(enabled.named("text:OK").size(), 1u);
  EXPECT_TRUE(same(enabled.named("text:OK")[0].color, glui_colors::black));
  EXPECT_EQ(enabled.named("text:OK")[0].y, button->y_abs + 13);

  dialog->disable();
  RecordingPainter disabled;
  dialog->draw(disabled);
  const std::vector<Drawn> labels = disabled.named("text:OK");
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_TRUE(same(labels[0].color, glui_colors::white));
  EXPECT_EQ(labels[0].x, labels[1].x + 1);
  EXPECT_TRUE(same(labels[1].color, glui_colors::grey40));
}

TEST_F(Drawing, DisabledFieldsTakeThePanelBackgroundAndTheBallDims) {
  GLUI* panel = master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  GLUI_EditText* field = panel->add_edittext("n", GLUI_EDITTEXT_INT);
  panel->add_rotation("Spin");
  auto field_fill = [&](const RecordingPainter& painter) {
    for (const Drawn& call : painter.named("fill")) {
      if (call.x == field->x_abs + field->text_x_offset + 2) return call.color;
    }
    return GLUI_Color{-1, -1, -1};
  };
  RecordingPainter enabled;
  panel->draw(enabled);
  EXPECT_TRUE(same(field_fill(enabled), glui_colors::white));
  EXPECT_EQ(enabled.named("ball").size(), 1u);
  panel->disable();
  RecordingPainter disabled;
  panel->draw(disabled);
  EXPECT_TRUE(same(field_fill(disabled), glui_colors::background));
  EXPECT_EQ(disabled.named("ball:disabled").size(), 1u);
}

TEST_F(Drawing, PressedButtonsShiftTheirLabelAndFocusedOnesShowADottedFrame) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_Button* button = dialog->add_button("OK", 1, record);
  RecordingPainter before;
  dialog->draw(before);
  press(dialog, button->x_abs + 5, button->y_abs + 5);
  RecordingPainter pressed;
  dialog->draw(pressed);
  EXPECT_EQ(pressed.named("text:OK")[0].x, before.named("text:OK")[0].x + 1);
  EXPECT_EQ(pressed.named("outline").size(), 2u);  // the black double outline
  release(dialog, button->x_abs + 5, button->y_abs + 5);
  EXPECT_TRUE(before.named("dotted").empty());
  key(dialog, glui_keys::tab);
  RecordingPainter focused;
  dialog->draw(focused);
  ASSERT_EQ(focused.named("dotted").size(), 1u);
  EXPECT_EQ(focused.named("dotted")[0].x, button->x_abs + 3);
}

TEST_F(Drawing, TitledPanelsDrawTheirTitleOverTheGroove) {
  GLUI* dialog = master.create_glui("Dialog");
  GLUI_Panel* panel = dialog->add_panel("Options");
  dialog->add_button_to_panel(panel, "A");
  GLUI_Panel* plain = dialog->add_panel("", GLUI_PANEL_NONE);
  dialog->add_button_to_panel(plain, "B");
  RecordingPainter painter;
  dialog->draw(painter);
  ASSERT_EQ(painter.named("text:Options").size(), 1u);
  EXPECT_EQ(painter.named("text:Options")[0].x, panel->x_abs + 7);
  EXPECT_EQ(painter.named("text:Options")[0].y, panel->y_abs + 8);
  // Only the embossed panel draws a groove: two rectangles.
  int grooves = 0;
  for (const Drawn& call : painter.named("outline")) grooves += call.x <= panel->x_abs + 1 ? 1 : 0;
  EXPECT_EQ(grooves, 2);
  EXPECT_EQ(painter.named("outline").size(), 2u);
}
