#pragma once
// Window properties shared by the window registry and the window layout.
namespace frame::internal {
// The position (QPoint, in the main window's area) given by the layout; applied
// when the window is shown as a child window.
inline constexpr const char *LayoutPosProp = "tbLayoutPos";
// The background picture (QImage) of a window.
inline constexpr const char *BackgroundProp = "tbBackground";

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
