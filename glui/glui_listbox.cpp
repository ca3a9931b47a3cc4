// List boxes: items, selection and the drop-down (a pop-up menu of the platform).
#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_font.h"

GLUI_Listbox::GLUI_Listbox(const char* label, int* live_variable, int id, GLUI_Update_CB cb)
    : GLUI_Control(label, id, cb, GLUI_ALIGN_LEFT), live(live_variable) {
  if (live) last_live = *live;
}

bool GLUI_Listbox::add_item(int id, const char* text) {
  items.push_back(std::make_unique<GLUI_Listbox_Item>(GLUI_Listbox_Item{text, id}));
  if (!selected) {
    // Shown, but the live variable is left alone until a sync picks its item.
    selected = items.back().get();
    last_live = id;
  }
  if (glui) glui->drop_menu();  // the next hover attaches the new list
  relayout();
  redraw();
  return true;
}

bool GLUI_Listbox::delete_item(int id) {
  auto found = std::find_if(items.begin(), items.end(),
                            [id](const auto& item) { return item->id == id; });
  if (found == items.end()) return false;
  const bool was_selected = found->get() == selected;
  items.erase(found);
  if (glui) glui->drop_menu();
  if (was_selected) {
    selected = nullptr;
    if (!items.empty()) select(items.front().get(), false);
  }
  redraw();
  return true;
}

GLUI_Listbox_Item* GLUI_Listbox::get_item_ptr(int id) {
  for (auto& item : items) {
    if (item->id == id) return item.get();
  }
  return nullptr;
}

void GLUI_Listbox::set_int_val(int id) {
  if (GLUI_Listbox_Item* item = get_item_ptr(id)) select(item, false);
}

void GLUI_Listbox::choose_index(int index) {
  if (index < 0 || index >= item_count()) return;
  select(items[index].get(), true);
}

void GLUI_Listbox::select(GLUI_Listbox_Item* item, bool user_choice) {
  const bool changed = item != selected;
  selected = item;
  if (live) *live = last_live = item->id;
  redraw();
  live_changed();
  if (user_choice && changed) fire_callback();
}

std::vector<std::string> GLUI_Listbox::item_texts() const {
  std::vector<std::string> texts;
  for (const auto& item : items) texts.push_back(item->text.str());
  return texts;
}

void GLUI_Listbox::sync_live() {
  if (!live || *live == last_live) return;
  last_live = *live;
  if (GLUI_Listbox_Item* item = get_item_ptr(*live)) {
    selected = item;
    redraw();
  }
}

bool GLUI_Listbox::on_special(int key, int) {
  if (items.empty()) return false;
  auto position = std::find_if(items.begin(), items.end(),
                               [this](const auto& item) { return item.get() == selected; });
  int index = position == items.end() ? 0 : static_cast<int>(position - items.begin());
  switch (key) {
    case glui_keys::up: index = std::max(0, index - 1); break;
    case glui_keys::down: index = std::min(item_count() - 1, index + 1); break;
    case glui_keys::home: index = 0; break;
    case glui_keys::end: index = item_count() - 1; break;
    default: return false;
  }
  choose_index(index);
  return true;
}

void GLUI_Listbox::update_size() {
  text_x_offset = std::max(55, glui_text_width(name.str()) + 2);
  int widest = 50;
  for (const auto& item : items) widest = std::max(widest, glui_text_width(item->text.str()));
  w = std::max({w, 130, text_x_offset + widest + 20});
  h = 20;
}

void GLUI_Listbox::draw(GLUI_Painter& painter) const {
  draw_labelled_field(painter, x_abs + text_x_offset);
  const int x0 = x_abs + text_x_offset, y0 = y_abs, x1 = x_abs + w - 1, y1 = y_abs + h - 1;
  const bool highlighted = focused && enabled;
  painter.fill_rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2,
                    highlighted ? glui_colors::navy
                    : enabled   ? glui_colors::white
                                : glui_colors::background);
  if (selected) {
    const GLUI_Color color = highlighted ? glui_colors::white
                             : enabled   ? glui_colors::black
                                         : glui_colors::grey50;
    painter.text(x0 + 5, y_abs + 13, selected->text.str(), color);
  }

  // The arrow button: an 11x17 raised box with a downward triangle.
  const int bx0 = x_abs + w - 12, by0 = y_abs + 2, bx1 = bx0 + 10, by1 = by0 + 16;
  painter.fill_rect(bx0, by0, bx1, by1, glui_colors::background);
  painter.line(bx0, by0, bx1, by0, glui_colors::white);
  painter.line(bx0, by0, bx0, by1, glui_colors::white);
  painter.line(bx0, by1, bx1, by1, glui_colors::black);
  painter.line(bx1, by0, bx1, by1, glui_colors::black);
  const float cx = bx0 + 5.5f, cy = by0 + 8.5f;
  const float triangle[] = {cx - 3.5f, cy - 2, cx + 3.5f, cy - 2, cx, cy + 2};
  painter.polygon(triangle, 3, enabled ? glui_colors::black : glui_colors::grey50);
}
