#pragma once

class QWidget;

namespace WindowKeys {

// The desktop's keys for closing a window (Ctrl+W, Ctrl+F4) close `window` as its close button
// does, wherever the focus is in it; with `escape`, Escape too (a dialog has Escape already).
void closeWithKeys(QWidget* window, bool escape = false);

} // namespace WindowKeys
