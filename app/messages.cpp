#include "app/messages.h"

#include <cstdio>

namespace kelvaro {

namespace {

MessageSink messageSink = nullptr;

}  // namespace

MessageSink setMessageSink(MessageSink sink) {
    const MessageSink before = messageSink;
    messageSink = sink;
    return before;
}

void say(std::string_view message) {
    if (messageSink != nullptr) {
        messageSink(message);
        return;
    }
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fflush(stdout);
}

}  // namespace kelvaro
