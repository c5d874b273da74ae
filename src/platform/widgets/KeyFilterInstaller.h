#pragma once

#include <QObject>
#include <QValidator>
#include <functional>

class QKeyEvent;

namespace kestrel {

// Applies a key filter (key code in, key code or 0 out) to an input box:
// every key that types a character goes through the filter; dropped keys
// never reach the box and raised keys arrive raised. Editing commands
// (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+V, Ctrl+Z and the like), keys that move the
// focus or belong to the window (Tab, Return, Enter, Escape) and keys
// without a character (arrows, Delete, Shift+Insert) pass untouched. A line
// edit also gets a validator made from the same filter, so text that
// arrives by any other road (a paste, the X11 selection, a drop) is refused
// whole unless every character passes.
class KeyFilterInstaller : public QObject {
public:
    KeyFilterInstaller(QObject* target, std::function<int(int)> filter);

    // The character code a key press types into a box, or -1 when it types
    // nothing there.
    static int TypedCode(const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<int(int)> filter_;
};

// Accepts a text only when the filter keeps every character; characters the
// filter raises are raised.
class KeyFilterValidator : public QValidator {
public:
    KeyFilterValidator(std::function<int(int)> filter, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    std::function<int(int)> filter_;
};

}  // namespace kestrel
