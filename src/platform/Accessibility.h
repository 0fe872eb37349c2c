#pragma once
// What assistive tools (screen readers) read of the program's windows.

namespace platform::accessibility {

// Installs the program's own accessible interfaces; called once the
// application object exists (again: nothing more happens).
//
// Scroll areas: a reader asks for a child by the index it counted a moment
// before. A scroll area's children are its viewport and the scroll bars that
// are shown, so a scroll bar that goes away (a window getting shorter, a panel
// hidden) makes an index counted before it go past the end; the toolkit's own
// interface then reads outside its list and the program crashes. Here such an
// index is answered with "no child".
void Install();

} // namespace platform::accessibility
