#pragma once
// Window properties shared by the window registry and the window layout.
namespace frame::internal {
// The position (QPoint, in the main window's area) given by the layout; applied
// when the window is shown as a child window.
inline constexpr const char *LayoutPosProp = "tbLayoutPos";
// The background picture (QImage, the decoded file shared by every window) of
// a window, and the size (QSize) it is stretched to.
inline constexpr const char *BackgroundProp = "tbBackground";
inline constexpr const char *BackgroundSizeProp = "tbBackgroundSize";

// While windows are being unloaded, a change of the active child window waits;
// the handler of the child active at the end runs once, when the last scope ends.
void BeginClosing();
void EndClosing();
struct ClosingScope {
    ClosingScope() { BeginClosing(); }
    ~ClosingScope() { EndClosing(); }
    ClosingScope(const ClosingScope &) = delete;
    ClosingScope &operator=(const ClosingScope &) = delete;
};
} // namespace frame::internal
