#pragma once
// The images of toolbar 128, drawn at the toolbar's button size.

#include <QIcon>

namespace brenmoor::app {

// The image of a toolbar command; a null icon for a command without one.
QIcon toolbarIcon(int commandId);

}  // namespace brenmoor::app
