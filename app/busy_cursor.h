#pragma once
// While a BusyCursor exists, the mouse cursor shows the busy shape in every window of
// the program; its end restores each window's cursor. The builders block the event
// loop, so the change is sent to the display at once rather than with the next event.

#include <utility>
#include <vector>

namespace kelvaro {

class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    // Each window with the cursor it had.
    std::vector<std::pair<int, int>> saved_;
};

}  // namespace kelvaro
