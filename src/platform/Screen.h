#pragma once
// Windows of their own (dialogs) on the screen they open on.
class QWidget;

namespace platform {

// Shrinks `w` so that it fits the available part of its screen, with room for
// the frame the window manager puts around it; never below the smallest size
// its controls can be laid out in.
void FitToScreen(QWidget *w);

} // namespace platform
