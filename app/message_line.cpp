#include "app/message_line.h"

#include <string>
#include <vector>

#include "app/explore_commands.h"
#include "app/messages.h"
#include "app/messages_dialog.h"
#include "app/panels.h"
#include "app/shell.h"
#include "glui/glui.h"
#include "glui/glui_font.h"

namespace kelvaro {

GLUI* messageLine = nullptr;

namespace {

// Pixels a row may take: the window's width less the button's column and the margins.
constexpr int rowWidth = 660;
constexpr const char* moreMark = " ...";

GLUI_StaticText* rows[messageLineRows] = {};

// The rows of `lines` wrapped to the line's width; when there are more than the line
// shows, its last row ends in a mark that says so.
std::vector<std::string> shownRows(const std::vector<std::string>& lines) {
    std::vector<std::string> wrapped;
    for (const std::string& line : lines) {
        for (std::string& row : glui_wrap_text(line, rowWidth)) wrapped.push_back(std::move(row));
    }
    if (wrapped.size() > static_cast<std::size_t>(messageLineRows)) {
        wrapped.resize(messageLineRows);
        std::string& last = wrapped.back();
        while (!last.empty() && glui_text_width(last + moreMark) > rowWidth) last.pop_back();
        last += moreMark;
    }
    wrapped.resize(messageLineRows);
    return wrapped;
}

}  // namespace

void buildMessageLine(int window) {
    messageLine = GLUI_Master.create_glui_subwindow(window, GLUI_SUBWINDOW_BOTTOM);
    messageLine->set_main_gfx_window(window);
    messageLine->add_button("Messages...", MessagesCommand, exploreCommand);
    messageLine->add_column(false);
    for (GLUI_StaticText*& row : rows) row = messageLine->add_statictext("");
}

void showLatestMessage() {
    if (messageLine) {
        const std::vector<std::string> shown = shownRows(latestMessage());
        for (int i = 0; i < messageLineRows; ++i) rows[i]->set_text(shown[static_cast<std::size_t>(i)].c_str());
    }
    if (messagesDialog) messagesDialog->showNewLines();
}

}  // namespace kelvaro
