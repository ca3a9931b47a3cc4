#pragma once
// What the program tells its user. say() is the one way every message goes: it prints the
// message on standard output, or hands it to the sink when one is set (unless it is for
// the window only), keeps its lines in the session's log, and makes it the latest
// message, which the main window's message line shows and the Messages dialog lists with
// those before it.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

// Where a message goes besides the log and the message line: standard output (or the
// sink) too, as every message of the first version and every refusal of what the user
// typed or loaded does, or the window only (what the window adds: a summary of a load, a
// value used instead of one typed).
enum class Echo { StandardOutput, WindowOnly };

// Tells the user `message`: one line or a few, each ending with a line feed (a last line
// without one, "Failed to render model", is printed as it is). Printed on standard output
// (flushed at once), or handed to the sink, unless `echo` says the window only; its lines
// join the log and it becomes the latest message. An empty message changes nothing.
void say(std::string_view message, Echo echo = Echo::StandardOutput);

// Where say() sends what it would print from now on: `sink`, or standard output again
// for null (the browser edition shows the messages on its page). Answers the sink set
// before.
using MessageSink = void (*)(std::string_view message);
MessageSink setMessageSink(MessageSink sink);

// The log: the lines said so far, oldest first, without their line feeds; the last
// messageLogLines of them.
inline constexpr std::size_t messageLogLines = 1000;
const std::deque<std::string>& messageLog();
// How many lines were ever said, also those the log no longer holds.
std::size_t linesSaid();
// The latest message's lines, without their line feeds; none before the first.
const std::vector<std::string>& latestMessage();

// `listener` is called after every message is said (the window shows it); none: nobody is.
void setMessageListener(void (*listener)());

}  // namespace kelvaro
