#pragma once
// What the program tells its user: one line, or a few, at a time.

#include <string_view>

namespace kelvaro {

// Prints `message` (its line end included) on standard output, flushed at once, or hands
// it to the sink when one is set.
void say(std::string_view message);

// Where say() sends the messages from now on: `sink`, or standard output again for null
// (the browser edition shows them on its page). Answers the sink set before.
using MessageSink = void (*)(std::string_view message);
MessageSink setMessageSink(MessageSink sink);

}  // namespace kelvaro
