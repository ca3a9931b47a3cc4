// Kelvaro's own implementation of the GLUI 2.x widget interface on freeglut and OpenGL.
//
// Sections:
//   1. constants and small types (GLUI_String, GLUI_Update_CB)
//   2. GLUI_Control, the base of every control, and GLUI_Panel, GLUI_Column
//   3. the controls: button, check box, static text, edit text, list box, scrolling
//      list, rotation, translation
//   4. GLUI, one window of controls (a subwindow or a top-level dialog)
//   5. GLUI_Master_Object and the process-wide GLUI_Master
//
// Coordinates are pixels, origin at the top-left of a GLUI window, y down. Every
// control belongs to one GLUI window, which owns it; pointers that the add_* calls
// answer stay valid until that window is closed and destroyed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "glui/arcball.h"
#include "glui/edit_buffer.h"
#include "glui/glui_keys.h"
#include "glui/glui_backend.h"

// ---- 1. constants and small types -------------------------------------------------

inline constexpr int GLUI_SUBWINDOW = 2;
inline constexpr int GLUI_SUBWINDOW_TOP = 4;
inline constexpr int GLUI_SUBWINDOW_BOTTOM = 8;
inline constexpr int GLUI_SUBWINDOW_LEFT = 16;
inline constexpr int GLUI_SUBWINDOW_RIGHT = 32;

inline constexpr int GLUI_PANEL_NONE = 0;
inline constexpr int GLUI_PANEL_EMBOSSED = 1;
inline constexpr int GLUI_PANEL_RAISED = 2;

inline constexpr int GLUI_EDITTEXT_TEXT = 1;
inline constexpr int GLUI_EDITTEXT_INT = 2;
inline constexpr int GLUI_EDITTEXT_FLOAT = 3;

inline constexpr int GLUI_LIMIT_NONE = 0;
inline constexpr int GLUI_LIMIT_CLAMP = 1;
inline constexpr int GLUI_LIMIT_WRAP = 2;

inline constexpr int GLUI_TRANSLATION_XY = 0;
inline constexpr int GLUI_TRANSLATION_Z = 1;
inline constexpr int GLUI_TRANSLATION_X = 2;
inline constexpr int GLUI_TRANSLATION_Y = 3;

inline constexpr int GLUI_ALIGN_CENTER = 1;
inline constexpr int GLUI_ALIGN_RIGHT = 2;
inline constexpr int GLUI_ALIGN_LEFT = 3;

// Callbacks receive the control's id (-1 unless given).
using GLUI_Update_CB = void (*)(int id);

// A string usable both as std::string-like (c_str) and as a C string.
class GLUI_String {
 public:
  GLUI_String() = default;
  GLUI_String(const char* text) : value_(text ? text : "") {}
  GLUI_String(std::string text) : value_(std::move(text)) {}
  const char* c_str() const { return value_.c_str(); }
  operator const char*() const { return value_.c_str(); }
  const std::string& str() const { return value_; }
  bool empty() const { return value_.empty(); }

 private:
  std::string value_;
};

class GLUI;
class GLUI_Panel;
class GLUI_Master_Object;

// ---- 2. the control base, panels and columns --------------------------------------

class GLUI_Control {
 public:
  GLUI_Control(const GLUI_Control&) = delete;
  GLUI_Control& operator=(const GLUI_Control&) = delete;
  virtual ~GLUI_Control() = default;

  // Enables or disables this control (and everything inside a panel) and redraws it.
  // Disabling a focused control takes the focus away first (an edit text commits).
  void enable();
  void disable();
  bool is_enabled() const { return enabled; }
  int get_id() const { return user_id; }
  const char* get_name() const { return name.c_str(); }

  // ---- public state, named as in GLUI
  int user_id = -1;
  GLUI_String name;
  int x_abs = 0, y_abs = 0, w = 0, h = 0;  // in window pixels, set by the layout
  int alignment = GLUI_ALIGN_LEFT;
  bool enabled = true;
  GLUI* glui = nullptr;
  GLUI_Panel* parent_panel = nullptr;
  GLUI_Update_CB callback = nullptr;

  // ---- hooks for the owning window: layout, drawing and events.
  // Recomputes w and h from the content (labels, items); containers lay out children.
  virtual void update_size() {}
  virtual void draw(GLUI_Painter& painter) const = 0;
  // Whether Tab can reach this control.
  virtual bool can_tab_focus() const { return false; }
  // Whether a click leaves the keyboard focus on this control.
  virtual bool keeps_focus_on_click() const { return false; }
  virtual void on_press(int /*x*/, int /*y*/, int /*modifiers*/) {}
  virtual void on_drag(int /*x*/, int /*y*/) {}
  virtual void on_release(int /*x*/, int /*y*/, bool /*inside*/) {}
  // Keys for a focused control; answers whether the control used the key.
  virtual bool on_key(unsigned char /*key*/, int /*modifiers*/) { return false; }
  virtual bool on_special(int /*key*/, int /*modifiers*/) { return false; }
  virtual void on_focus(bool /*by_tab*/) {}
  virtual void on_blur() {}
  // One idle tick while focused (a spinning ball turns on).
  virtual void on_idle() {}
  // Reads the live variable if it changed since last seen; never fires callbacks.
  virtual void sync_live() {}
  // Whether the mouse wheel over the control is the control's (it scrolls), and the
  // wheel's turns (positive: towards the user, down the text).
  virtual bool takes_wheel() const { return false; }
  virtual void on_wheel(int /*steps*/) {}
  // Whether the control needs idle ticks now (a spinning ball).
  virtual bool wants_idle() const { return false; }
  virtual bool is_container() const { return false; }
  bool contains(int x, int y) const {
    return x >= x_abs && x < x_abs + w && y >= y_abs && y < y_abs + h;
  }

 protected:
  GLUI_Control(const char* label, int id, GLUI_Update_CB cb, int align)
      : user_id(id), name(label), alignment(align), callback(cb) {}
  // Posts a redisplay of this control's window.
  void redraw() const;
  // A live variable was written: posts a redisplay of the main graphics window.
  void live_changed() const;
  // The size may have changed: lay the window out again.
  void relayout() const;
  // Calls the callback (if any) with the id, the main window current.
  void fire_callback() const;
  // Label colour and emboss as GLUI draws them (embossed grey when disabled).
  void draw_label(GLUI_Painter& painter, int x, int baseline, const std::string& text) const;
  // The label right-aligned before a field that starts at field_x, and the field's
  // sunken two-pixel bevel from field_x to the control's right edge.
  void draw_labelled_field(GLUI_Painter& painter, int field_x) const;
  // A sunken two-pixel bevel whose corner pixels are given (darker inside when enabled).
  void draw_sunken_bevel(GLUI_Painter& painter, int x0, int y0, int x1, int y1) const;
};

class GLUI_Panel : public GLUI_Control {
 public:
  GLUI_Panel(const char* title, int type);
  int type;
  std::vector<std::unique_ptr<GLUI_Control>> children;

  // Adopts a control as the last child; answers the raw pointer.
  template <class Control>
  Control* adopt(std::unique_ptr<Control> control) {
    Control* raw = control.get();
    control->parent_panel = this;
    children.push_back(std::move(control));
    return raw;
  }
  void update_size() override;
  // Places the children below (x_abs, y_abs) after update_size.
  void place_children();
  void draw(GLUI_Painter& painter) const override;
  bool is_container() const override { return true; }
  // Top margin of the vertical flow.
  int top_margin() const;
};

class GLUI_Column : public GLUI_Control {
 public:
  explicit GLUI_Column(bool bar) : GLUI_Control("", -1, nullptr, GLUI_ALIGN_LEFT), draw_bar(bar) {}
  bool draw_bar;
  void draw(GLUI_Painter& painter) const override;
};

// ---- 3. controls ------------------------------------------------------------------

// A control that acts when a press is released inside it, or on Space while it has the
// focus; while held down with the pointer inside it is drawn pressed. Buttons and check
// boxes.
class GLUI_Clickable : public GLUI_Control {
 public:
  bool pressed = false;  // the mouse is down on it and inside
  bool focused = false;

  bool can_tab_focus() const override { return true; }
  void on_press(int x, int y, int modifiers) override;
  void on_drag(int x, int y) override;
  void on_release(int x, int y, bool inside) override;
  bool on_key(unsigned char key, int modifiers) override;
  void on_focus(bool) override { focused = true; }
  void on_blur() override { focused = false; }
  // What a completed click does.
  virtual void click() = 0;

 protected:
  using GLUI_Control::GLUI_Control;
};

class GLUI_Button : public GLUI_Clickable {
 public:
  GLUI_Button(const char* label, int id, GLUI_Update_CB cb);

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  // The callback fires and the main window is redrawn.
  void click() override;
};

// A box that is ticked or not, with its label to the right; its live variable is an int
// (1 ticked, 0 not).
class GLUI_Checkbox : public GLUI_Clickable {
 public:
  GLUI_Checkbox(const char* label, int* live, int id, GLUI_Update_CB cb);
  // Ticks (non-zero) or clears the box and writes the live variable; no callback.
  void set_int_val(int value);
  int get_int_val() const { return int_val; }

  int* live = nullptr;
  int int_val = 0;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;  // held down: drawn as the other state
  // Toggles: live variable, main-window redisplay, callback.
  void click() override;
  void sync_live() override;

 private:
  int last_live = 0;
};

class GLUI_StaticText : public GLUI_Control {
 public:
  explicit GLUI_StaticText(const char* text);
  // Replaces the text and redraws; the width grows but never shrinks.
  void set_text(const char* text);
  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
};

class GLUI_EditText : public GLUI_Control {
 public:
  GLUI_EditText(const char* label, int data_type, void* live, int id, GLUI_Update_CB cb);

  // Sets the limits (both int and float forms); an out-of-range value becomes lo.
  void set_int_limits(int lo, int hi, int limit_type = GLUI_LIMIT_CLAMP);
  void set_float_limits(float lo, float hi, int limit_type = GLUI_LIMIT_CLAMP);
  // Applies the limits, formats, writes the live variable; no callback.
  void set_int_val(int value);
  void set_float_val(float value);
  // The last committed value.
  int get_int_val() const { return int_val; }
  float get_float_val() const { return float_val; }
  // The text as shown, including uncommitted typing. Valid until the next change.
  const char* get_text() const { return buffer.text().c_str(); }
  // Shows text; on a text field it also writes the live array (which the caller sized).
  void set_text(const char* text);
  // Parses, limits, formats and writes the shown text; fires the callback when the
  // text differs from what the field showed when it took the focus. Numeric text that
  // holds no digit (emptied, or a lone sign or point) keeps the value the field had.
  void commit();

  int data_type;
  int limit_type = GLUI_LIMIT_NONE;
  float float_low = 0, float_high = 0;
  int int_low = 0, int_high = 0;
  int int_val = 0;
  float float_val = 0;
  void* live = nullptr;
  EditBuffer buffer;
  int text_x_offset = 55;
  int scroll = 0;          // index of the first shown character
  bool focused = false;
  // What was typed when the latest commit had to bring the number it states within the
  // limits (or the range of int or float); empty when it did not, and after any set_*.
  std::string limited_text;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  bool can_tab_focus() const override { return true; }
  bool keeps_focus_on_click() const override { return true; }
  // A press places the caret; a second press within double_click_ms at about the same
  // place (a double-click) selects the whole text.
  void on_press(int x, int y, int modifiers) override;
  void on_drag(int x, int y) override;
  // A key that a numeric field refuses rings the bell.
  bool on_key(unsigned char key, int modifiers) override;
  bool on_special(int key, int modifiers) override;
  // Tab selects the whole text.
  void on_focus(bool by_tab) override;
  void on_blur() override;
  void sync_live() override;
  static constexpr long long double_click_ms = 400;

 private:
  void show_value();            // formats the committed value into the buffer
  void store_number(double value);  // limits, mirrors and writes the live variable
  void write_live();
  int caret_index_at(int x) const;
  void keep_caret_visible();
  // Whether the field takes candidate, the text after a key; inserts: the key types text.
  bool accept_edit(const EditBuffer& candidate, bool inserts) const;
  std::string text_at_focus;
  std::string last_live_text;
  long long last_press_ms = -double_click_ms - 1;
  int last_press_x = 0, last_press_y = 0;
  bool whole_text_pressed = false;  // a double-click selected all: drags leave it
  int last_live_int = 0;
  float last_live_float = 0;
};

struct GLUI_Listbox_Item {
  GLUI_String text;
  int id;
};

class GLUI_Listbox : public GLUI_Control {
 public:
  GLUI_Listbox(const char* label, int* live, int id, GLUI_Update_CB cb);

  // Appends an item; the first item of an empty list becomes the selection (the live
  // variable is not written). Answers true.
  bool add_item(int id, const char* text);
  // Removes the item with that id; answers false if there is none. Removing the
  // selected item selects the first remaining one (writing the live variable), or
  // nothing (value 0, blank box) when the list is empty.
  bool delete_item(int id);
  // The item with that id, or null; owned by the list box.
  GLUI_Listbox_Item* get_item_ptr(int id);
  // The selected item's id (0 when nothing is selected).
  int get_int_val() const { return selected ? selected->id : 0; }
  // Selects the item with that id if it exists, writes the live variable; no callback.
  void set_int_val(int id);
  // A choice from the drop-down (index in item order): selects, writes the live
  // variable and fires the callback when the selection changed.
  void choose_index(int index);
  std::vector<std::string> item_texts() const;
  int item_count() const { return static_cast<int>(items.size()); }

  int* live = nullptr;
  int text_x_offset = 55;
  bool focused = false;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  bool can_tab_focus() const override { return true; }
  bool keeps_focus_on_click() const override { return true; }
  bool on_special(int key, int modifiers) override;
  void on_focus(bool) override { focused = true; }
  void on_blur() override { focused = false; }
  void sync_live() override;

 private:
  void select(GLUI_Listbox_Item* item, bool user_choice);
  std::vector<std::unique_ptr<GLUI_Listbox_Item>> items;
  GLUI_Listbox_Item* selected = nullptr;
  int last_live = 0;
};

// A box of lines of text, a page of them at a time, with a scroll bar at its right: its
// arrows scroll by a line, the track beside the thumb by a page, and the thumb follows a
// drag; so do the wheel and, with the focus, the arrow keys, Page Up, Page Down, Home and
// End. Not part of the GLUI 2.x interface this layer follows.
class GLUI_List : public GLUI_Control {
 public:
  // A list `width` pixels wide that shows `rows` lines.
  GLUI_List(int width, int rows, int id, GLUI_Update_CB cb);

  // Appends a line (the caller keeps it narrower than the box; it is cut at its edge).
  void add_item(const char* text);
  void delete_all();
  int item_count() const { return static_cast<int>(items.size()); }
  const std::string& item(int index) const { return items[static_cast<size_t>(index)]; }
  // The first line shown (0 = the first line of the list); kept within the list.
  int get_start_line() const { return start_line; }
  void set_start_line(int line);
  // Shows the last page, where new lines arrive.
  void scroll_to_end() { set_start_line(item_count()); }
  int visible_rows() const { return rows; }
  // Width of the text area, scroll bar excluded.
  int text_width() const;

  static constexpr int row_height = 15;
  static constexpr int bar_width = 15;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  bool can_tab_focus() const override { return true; }
  bool keeps_focus_on_click() const override { return true; }
  void on_press(int x, int y, int modifiers) override;
  void on_drag(int x, int y) override;
  void on_release(int x, int y, bool inside) override;
  bool on_special(int key, int modifiers) override;
  bool takes_wheel() const override { return true; }
  void on_wheel(int steps) override;
  void on_focus(bool) override { focused = true; redraw(); }
  void on_blur() override { focused = false; redraw(); }

 private:
  int last_start() const;
  // The thumb's top and height within the track, in pixels from the track's top.
  void thumb(int* top, int* height) const;
  int track_top() const { return y_abs + bar_width; }
  int track_height() const { return h - 2 * bar_width; }
  std::vector<std::string> items;
  int width_asked;
  int rows;
  int start_line = 0;
  bool focused = false;
  bool dragging_thumb = false;
  int drag_from_y = 0, drag_from_line = 0;
};

class GLUI_Rotation : public GLUI_Control {
 public:
  // Binds live (16 floats, column-major) and sets it to the identity.
  GLUI_Rotation(const char* label, float* live, int id, GLUI_Update_CB cb);
  // Spin factor applied to the last drag step on every idle tick; 0 stops spinning,
  // 1 spins on undamped.
  void set_spin(float damping) { spin_factor = damping; }
  // Identity matrix, spin setting kept, live variable written; no callback.
  void reset();
  bool is_spinning() const { return spinning; }
  const float* matrix() const { return rotation.m; }

  float* live = nullptr;
  float spin_factor = 0;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  bool can_tab_focus() const override { return true; }
  bool keeps_focus_on_click() const override { return true; }
  void on_press(int x, int y, int modifiers) override;
  void on_drag(int x, int y) override;
  void on_release(int x, int y, bool inside) override;
  bool on_special(int key, int modifiers) override;
  void on_blur() override { spinning = false; }
  void on_idle() override;
  bool wants_idle() const override { return spinning; }
  void sync_live() override;

 private:
  void apply(const ArcballStep& step, bool from_user);
  void write_live();
  Arcball ball() const;
  RotationMatrix rotation;
  ArcballStep last_step;
  int last_x = 0, last_y = 0;
  int axis_lock = 0;  // 0 free, 1 X axis only, 2 Y axis only
  bool dragging = false;
  bool spinning = false;
};

class GLUI_Translation : public GLUI_Control {
 public:
  GLUI_Translation(const char* label, int trans_type, float* live, int id, GLUI_Update_CB cb);
  // Value change per pixel dragged (default 1).
  void set_speed(float speed_per_pixel) { speed = speed_per_pixel; }
  float get_x() const { return values[0]; }
  float get_y() const { return values[trans_type == GLUI_TRANSLATION_XY ? 1 : 0]; }
  float get_z() const { return values[0]; }
  // Sets the value(s), writes the live variable; no callback.
  void set_x(float x);
  void set_y(float y);
  void set_z(float z);

  int trans_type;
  float* live = nullptr;
  float speed = 1.0f;
  float values[2] = {0, 0};
  bool pressed = false;

  void update_size() override;
  void draw(GLUI_Painter& painter) const override;
  bool can_tab_focus() const override { return true; }
  bool keeps_focus_on_click() const override { return true; }
  void on_press(int x, int y, int modifiers) override;
  void on_drag(int x, int y) override;
  void on_release(int x, int y, bool inside) override;
  bool on_special(int key, int modifiers) override;
  void sync_live() override;

 private:
  int value_count() const { return trans_type == GLUI_TRANSLATION_XY ? 2 : 1; }
  // Sets the values from pixels moved (right and up positive) since the press.
  void move_by(int dx_right, int dy_up);
  void write_live();
  float values_at_press[2] = {0, 0};
  float last_live[2] = {0, 0};
  int press_x = 0, press_y = 0;
  float modifier_factor = 1.0f;
  bool lock_dominant_axis = false;
};

// ---- 4. a GLUI window -------------------------------------------------------------

class GLUI {
 public:
  GLUI(const GLUI&) = delete;
  GLUI& operator=(const GLUI&) = delete;
  ~GLUI();

  // Each add_* creates a control as the last child of the window (or of panel),
  // which inherits the parent's enabled state; the window is laid out again and the
  // control reads its live variable once. The window owns the control.
  GLUI_Button* add_button(const char* name, int id = -1, GLUI_Update_CB cb = nullptr);
  GLUI_Button* add_button_to_panel(GLUI_Panel* panel, const char* name, int id = -1,
                                   GLUI_Update_CB cb = nullptr);
  // live: an int, 1 ticked and 0 not; the box starts as it says.
  GLUI_Checkbox* add_checkbox(const char* name, int* live = nullptr, int id = -1,
                              GLUI_Update_CB cb = nullptr);
  GLUI_Checkbox* add_checkbox_to_panel(GLUI_Panel* panel, const char* name, int* live = nullptr,
                                       int id = -1, GLUI_Update_CB cb = nullptr);
  GLUI_StaticText* add_statictext(const char* name);
  GLUI_StaticText* add_statictext_to_panel(GLUI_Panel* panel, const char* name);
  GLUI_Panel* add_panel(const char* name, int type = GLUI_PANEL_EMBOSSED);
  GLUI_Panel* add_panel_to_panel(GLUI_Panel* panel, const char* name,
                                 int type = GLUI_PANEL_EMBOSSED);
  void add_column(bool draw_bar = true);
  void add_column_to_panel(GLUI_Panel* panel, bool draw_bar = true);
  // live: a char array for TEXT (sized by the caller), int* for INT, float* for FLOAT.
  GLUI_EditText* add_edittext(const char* name, int data_type = GLUI_EDITTEXT_TEXT,
                              void* live = nullptr, int id = -1, GLUI_Update_CB cb = nullptr);
  GLUI_EditText* add_edittext_to_panel(GLUI_Panel* panel, const char* name,
                                       int data_type = GLUI_EDITTEXT_TEXT, void* live = nullptr,
                                       int id = -1, GLUI_Update_CB cb = nullptr);
  GLUI_Listbox* add_listbox(const char* name, int* live = nullptr, int id = -1,
                            GLUI_Update_CB cb = nullptr);
  GLUI_Listbox* add_listbox_to_panel(GLUI_Panel* panel, const char* name, int* live = nullptr,
                                     int id = -1, GLUI_Update_CB cb = nullptr);
  // A scrolling list of lines `width` pixels wide showing `rows` of them (our addition).
  GLUI_List* add_list(int width, int rows, int id = -1, GLUI_Update_CB cb = nullptr);
  // live: 16 floats, set to the identity here.
  GLUI_Rotation* add_rotation(const char* name, float* live = nullptr, int id = -1,
                              GLUI_Update_CB cb = nullptr);
  GLUI_Rotation* add_rotation_to_panel(GLUI_Panel* panel, const char* name,
                                       float* live = nullptr, int id = -1,
                                       GLUI_Update_CB cb = nullptr);
  // live: 2 floats for XY, 1 float otherwise.
  GLUI_Translation* add_translation(const char* name, int trans_type, float* live = nullptr,
                                    int id = -1, GLUI_Update_CB cb = nullptr);
  GLUI_Translation* add_translation_to_panel(GLUI_Panel* panel, const char* name,
                                             int trans_type, float* live = nullptr, int id = -1,
                                             GLUI_Update_CB cb = nullptr);

  // Live-variable changes post a redisplay of window; callbacks run with it current.
  void set_main_gfx_window(int window) { main_gfx_window = window; }
  int get_glut_window_id() const { return window_id; }
  // Takes the focus away (an edit text commits) and disables every control.
  void disable();
  void enable();
  void show();
  // Takes the focus away first.
  void hide();
  // Marks the window for destruction at its next display; the GLUI object and its
  // controls are destroyed then, so pointers to them must not be used afterwards.
  void close();
  // What happens when the window manager closes this top-level window (its close
  // button): the layer builds the window anew at once, with the same title, controls and
  // values, shown or hidden as before, and then calls cb(id) as a button would. Without
  // a callback the window is hidden.
  void set_close_callback(GLUI_Update_CB cb, int id = -1);
  // Marks this top-level window as transient for window (a GLUT window id; 0: none), so
  // that a window manager keeps it above that window; a rebuilt window keeps the mark.
  void set_transient_for(int window);
  // Brings the window to the top of the stack.
  void raise();
  // Puts this top-level window's frame (a window manager's included) at (x, y) of the
  // screen, now and whenever it is built anew.
  void place(int x, int y);
  // Where this top-level window's frame shows on the screen; false when it does not.
  bool frame(int* x, int* y, int* w, int* h) const;
  // Gives it the keyboard once it shows, until the user clicks another of the program's
  // windows (a dialog opened by a key takes the keys typed next).
  void give_keyboard_focus();
  // Draws the window now rather than at its next display event, and sends the drawing to
  // the window system: for a callback that keeps the event loop busy for a while.
  void draw_now();
  // Reads every control's live variable that changed; no callbacks.
  void sync_live();
  // The buttons that Return and Esc click in this window whichever control has the focus
  // (null: none; a disabled one is not clicked). A focused control sees the key first, so
  // an edit text commits before the button's callback reads it.
  void set_enter_button(GLUI_Button* button) { enter_button = button; }
  void set_escape_button(GLUI_Button* button) { escape_button = button; }

  // ---- state and services for the controls and the master
  GLUI_Panel* root() const { return main_panel.get(); }
  GLUI_Master_Object* master;
  int flags = 0;               // GLUI_SUBWINDOW_* side, 0 for a top-level window
  int parent_window = 0;       // subwindows only
  std::string title;           // top-level windows: title, place asked for (-1: the
  int place_x = -1, place_y = -1;  // window system's choice) and transient owner (0: none)
  int transient_owner = 0;
  GLUI_Update_CB close_callback = nullptr;
  int close_id = -1;
  GLUI_Button* enter_button = nullptr;
  GLUI_Button* escape_button = nullptr;
  int window_id = 0;
  int main_gfx_window = 0;
  bool hidden = false;
  bool closing = false;
  GLUI_Control* focus = nullptr;
  GLUI_Control* pressed_control = nullptr;
  GLUI_Listbox* hovered_listbox = nullptr;

  // Lays the controls out and answers the size this window wants; a subwindow's
  // follows its parent's size along its side.
  void wanted_size(int parent_w, int parent_h, int* win_w, int* win_h);
  void draw(GLUI_Painter& painter) const;
  void post_redisplay() const;
  void post_main_redisplay() const;
  void run_callback(GLUI_Update_CB cb, int id) const;
  // Moves the keyboard focus (null: none); the old control loses it first.
  void set_focus(GLUI_Control* control, bool by_tab);
  void tab_focus(bool backwards);
  // The enabled button that `key` clicks (see set_enter_button), or null.
  GLUI_Button* button_for_key(unsigned char key) const;
  // The deepest enabled non-container control under (x, y), or null.
  GLUI_Control* control_at(int x, int y) const;
  // Calls f on every control in creation order, panels before their children.
  template <class F>
  void for_each_control(F f) const { visit(main_panel.get(), f); }
  // Size and place (subwindows: in the parent) the window was last given.
  int win_w = 0, win_h = 0, win_x = 0, win_y = 0;
  // Detaches the list-box pop-up menu if one is attached.
  void drop_menu();

 private:
  friend class GLUI_Master_Object;
  GLUI(GLUI_Master_Object* master, int glut_window, int flags, int parent);
  template <class Control>
  Control* add_to(GLUI_Panel* panel, std::unique_ptr<Control> control);
  void relayout();
  // Lays the controls out and answers the content size.
  void pack(int* content_w, int* content_h);
  template <class F>
  static void visit(GLUI_Control* control, F& f) {
    f(control);
    if (control->is_container()) {
      for (auto& child : static_cast<GLUI_Panel*>(control)->children) visit(child.get(), f);
    }
  }
  std::unique_ptr<GLUI_Panel> main_panel;
};

// ---- 5. the master ----------------------------------------------------------------

class GLUI_Master_Object {
 public:
  GLUI_Master_Object() = default;
  ~GLUI_Master_Object();

  // A GLUI subwindow of parent on the side given by flags (GLUI_SUBWINDOW_RIGHT,
  // _LEFT, _TOP, _BOTTOM), sized to its content; the current window is kept. The
  // master owns the answer until it is closed.
  GLUI* create_glui_subwindow(int parent_window, long flags = 0);
  // A top-level window titled name, sized to its content, at (x, y) when either is
  // non-negative; the current window is kept. The master owns the answer.
  GLUI* create_glui(const char* name, long flags = 0, int x = -1, int y = -1);
  // Installs the layer's handler on the current window and remembers f (may be null)
  // for it. Reshape: f first, then the subwindows follow. Keyboard: keys in the main
  // window always reach f. Mouse: focused controls lose the focus, then f.
  void set_glutReshapeFunc(void (*f)(int w, int h));
  void set_glutKeyboardFunc(void (*f)(unsigned char key, int x, int y));
  void set_glutSpecialFunc(void (*f)(int key, int x, int y));
  void set_glutMouseFunc(void (*f)(int button, int state, int x, int y));
  // The idle handler ticks focused controls that need it (a spinning ball), then f. It is
  // installed only while f is set or a control needs it: otherwise the event loop waits.
  void set_glutIdleFunc(void (*f)());
  // The current window's area left free by its subwindows, OpenGL-style (y up),
  // each value at least 0.
  void get_viewport_area(int* x, int* y, int* w, int* h);
  // Every control of every window reads its live variable if it changed (edit texts
  // apply their limits and may write the value back). Fires no callbacks.
  void sync_live_all();
  // close() on every GLUI window.
  void close_all();
  // The GLUI window with that GLUT window id, or null.
  GLUI* find_glui_by_window_id(int window) const;
  // Every GLUI window, in creation order.
  const std::vector<std::unique_ptr<GLUI>>& windows() const { return guis; }

  // Chooses the window system (tests pass a fake); null returns to the default.
  void set_platform(GLUI_Platform* platform) { platform_ = platform; }
  GLUI_Platform& platform() const { return platform_ ? *platform_ : glui_default_platform(); }

  // ---- event entry points, called by the platform glue with the event's window
  // Answers false when the window was closed and destroyed instead of drawn.
  bool prepare_display(int window);
  void on_reshape(int window, int w, int h);
  void on_mouse(int window, int button, int state, int x, int y, int modifiers);
  void on_motion(int window, int x, int y);
  void on_passive_motion(int window, int x, int y);
  void on_keyboard(int window, unsigned char key, int x, int y, int modifiers);
  void on_special(int window, int key, int x, int y, int modifiers);
  void on_idle();
  // The open pop-up menu of window closed, the pointer at (x, y) in it. A click outside
  // the menu that closed it counts as a press there (and reaches the control under it)
  // unless a choice from the menu follows at once.
  void on_menu_closed(int window, int x, int y);
  void on_menu_choice(int window, int index);
  // The window system is destroying window (a window manager closed it, or the event
  // loop ends). A top-level GLUI window is built anew and its close callback runs; the
  // close of a main window ends the event loop, as a GLUT program ends when its window
  // closes, and from then on no user function is called.
  void on_window_closed(int window);

  // Takes the focus from every GLUI window (edit texts commit).
  void deactivate_all();
  // Where the top-level window `window` (a GLUI window or not) shows on the screen, its
  // frame included; false when it does not show. The screen's size.
  bool get_window_frame(int window, int* x, int* y, int* w, int* h) { return platform().window_frame(window, x, y, w, h); }
  void get_screen_size(int* w, int* h) { platform().screen_size(w, h); }
  // Lays a window out again and resizes and places it; also its siblings' places.
  void refresh_layout(GLUI* gui);

 private:
  struct UserHandlers {
    int window;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
  };
  UserHandlers& handlers_of(int window);
  const UserHandlers* find_handlers(int window) const;
  void place_subwindows(int parent);
  void destroy(GLUI* gui);
  // Removes gui from the list of windows and frees it; its GLUT window is left alone.
  void forget(GLUI* gui);
  // Makes a new GLUT window for a top-level GLUI window whose window was destroyed.
  void rebuild(GLUI* gui);
  // Takes the focus from every GLUI window but keep (edit texts commit).
  void blur_other_windows(GLUI* keep);
  // The program's handler of that kind on the main window of the subwindow gui, made
  // current, for an event the subwindow does not use; null for top-level windows and
  // when the program set none.
  template <class Handler>
  Handler parent_handler(GLUI* gui, Handler UserHandlers::*kind) {
    const UserHandlers* user = gui->parent_window ? find_handlers(gui->parent_window) : nullptr;
    if (!user || !(user->*kind)) return nullptr;
    platform().set_current_window(gui->parent_window);
    return user->*kind;
  }
  void forward_mouse_to_parent(GLUI* gui, int button, int state, int x, int y);
  // Attaches the menu of the list box under (x, y), or detaches the one attached.
  void refresh_hover(GLUI* gui, int x, int y);
  // A wheel turn (buttons 3 and 4) over a control that scrolls: used; answers whether.
  bool wheel_over_control(GLUI* gui, int button, int state, int x, int y);
  // Delivers the press that closed a menu, if one waits, as the next event comes.
  void deliver_menu_closing_press();
  class IdleCheck;
  // Installs or removes the idle handler as the program's idle function and the focused
  // controls now need it.
  void update_idle();
  std::vector<std::unique_ptr<GLUI>> guis;
  std::vector<UserHandlers> handlers;
  void (*idle)() = nullptr;
  bool idle_installed = false;
  // A menu closed by a click outside it: the list box whose menu it was, and the press
  // to deliver unless a choice follows.
  struct MenuClosing {
    int window = 0;
    int x = 0, y = 0;
    GLUI_Listbox* listbox = nullptr;
  };
  MenuClosing menu_closing;
  GLUI_Platform* platform_ = nullptr;
  bool leaving = false;  // a main window closed: the event loop is ending
};

extern GLUI_Master_Object GLUI_Master;
