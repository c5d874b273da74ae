#pragma once

namespace kestrel {

// What the request dispatch may do to its window: take input away while a
// request is under way and show the hourglass.
class WindowState {
public:
    virtual ~WindowState() = default;
    virtual bool IsEnabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetHourglass(bool busy) = 0;
};

}  // namespace kestrel
