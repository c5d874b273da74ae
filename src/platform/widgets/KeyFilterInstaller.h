#pragma once

#include <QObject>
#include <functional>

namespace kestrel {

// Applies a key filter (key code in, key code or 0 out) to the typed
// characters of an input box: dropped keys never reach it and raised keys
// arrive raised. Keys without a character (arrows, Delete) pass untouched.
class KeyFilterInstaller : public QObject {
public:
    KeyFilterInstaller(QObject* target, std::function<int(int)> filter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<int(int)> filter_;
};

}  // namespace kestrel
