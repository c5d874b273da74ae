#pragma once

#include <functional>

class QWidget;

namespace kestrel {

// Calls `then` once, on the event loop's turn after the window's first paint
// has been done: the moment a start-up is over for the person watching.
void OnFirstPaint(QWidget* window, std::function<void()> then);

}  // namespace kestrel
