#include "app/messages.h"

#include <cstdio>

namespace kelvaro {
namespace {

MessageSink messageSink = nullptr;
std::deque<std::string> logLines;
std::size_t saidLines = 0;
std::vector<std::string> latest;
void (*messageListener)() = nullptr;

}  // namespace

MessageSink setMessageSink(MessageSink sink) {
    const MessageSink before = messageSink;
    messageSink = sink;
    return before;
}

void say(std::string_view message, Echo echo) {
    if (message.empty()) return;
    if (echo == Echo::StandardOutput) {
        if (messageSink != nullptr) {
            messageSink(message);
        } else {
            std::fwrite(message.data(), 1, message.size(), stdout);
            std::fflush(stdout);
        }
    }
    latest.clear();
    while (!message.empty()) {
        const std::size_t end = message.find('\n');
        latest.emplace_back(message.substr(0, end));
        message.remove_prefix(end == std::string_view::npos ? message.size() : end + 1);
    }
    for (const std::string& line : latest) {
        logLines.push_back(line);
        if (logLines.size() > messageLogLines) logLines.pop_front();
    }
    saidLines += latest.size();
    if (messageListener != nullptr) messageListener();
}

const std::deque<std::string>& messageLog() { return logLines; }

std::size_t linesSaid() { return saidLines; }

const std::vector<std::string>& latestMessage() { return latest; }

void setMessageListener(void (*listener)()) { messageListener = listener; }

}  // namespace kelvaro
