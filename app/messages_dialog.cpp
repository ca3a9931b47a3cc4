#include "app/messages_dialog.h"

#include <string>

#include "app/messages.h"
#include "app/shell.h"
#include "glui/glui.h"
#include "glui/glui_font.h"

namespace kelvaro {
namespace {

// Below the Edit Charges dialog when both stand beside the main window.
constexpr int belowEditCharges = 220;
// The rows a line wraps into after its first are indented, so that each line stands out.
constexpr const char* continuation = "    ";

void addLine(GLUI_List& list, const std::string& line) {
    const int indent = glui_text_width(continuation);
    bool first = true;
    for (const std::string& row : glui_wrap_text(line, list.text_width() - indent)) {
        list.add_item(((first ? "" : continuation) + row).c_str());
        first = false;
    }
}

}  // namespace

MessagesDialog::MessagesDialog(const char* title) : ModelessDialog(title, nullptr, belowEditCharges) {
    list_ = window()->add_list(listWidth, listRows, ListId, nullptr);
    GLUI_Button* close = window()->add_button("Close", CloseId, messagesControl);
    window()->set_escape_button(close);
    window()->set_close_callback(messagesControl, CloseId);
}

bool MessagesDialog::show() {
    const bool opening = !shown();
    ModelessDialog::show();
    if (opening) fill();
    window()->set_focus(list_, false);
    return true;
}

void MessagesDialog::fill() {
    list_->delete_all();
    listedLines_ = linesSaid();
    for (const std::string& line : messageLog()) addLine(*list_, line);
    list_->scroll_to_end();
}

void MessagesDialog::showNewLines() {
    if (!shown()) return;
    const std::size_t added = linesSaid() - listedLines_;
    const std::deque<std::string>& log = messageLog();
    // Lines the log dropped meanwhile, or a list grown far beyond the log: the log anew.
    if (added > log.size() || static_cast<std::size_t>(list_->item_count()) > 4 * messageLogLines) {
        fill();
        return;
    }
    const bool atEnd = list_->get_start_line() + list_->visible_rows() >= list_->item_count();
    for (std::size_t i = log.size() - added; i < log.size(); ++i) addLine(*list_, log[i]);
    listedLines_ = linesSaid();
    if (atEnd) list_->scroll_to_end();
}

void messagesControl(int id) {
    if (id == MessagesDialog::CloseId && messagesDialog) messagesDialog->hide();
}

}  // namespace kelvaro
