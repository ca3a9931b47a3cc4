#include "app/messages.h"

#include <cstdio>

namespace kelvaro {

void say(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fflush(stdout);
}

}  // namespace kelvaro
