#pragma once
// The test console's window, as the session start needs it. The window side implements
// it; it is called on the window thread only.

#include "engine/console_model.h"

namespace brenmoor::engine {

class ConsoleWindow {
public:
    virtual ~ConsoleWindow() = default;
    // Makes the console window, modeless and without parent, over a model it owns.
    // Null when the window could not be made (nothing of it is kept then).
    virtual ConsoleModel* create() = 0;
    virtual void focus() = 0;
    // Places the window (outer frame, pixels) at the top of the z-order and shows it.
    virtual void placeAndShow(int x, int y, int width, int height) = 0;
};

}  // namespace brenmoor::engine
