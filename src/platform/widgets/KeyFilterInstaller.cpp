#include "KeyFilterInstaller.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace kestrel {

KeyFilterInstaller::KeyFilterInstaller(QObject* target, std::function<int(int)> filter)
    : QObject(target), filter_(std::move(filter)) {
    target->installEventFilter(this);
}

bool KeyFilterInstaller::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key() == Qt::Key_Backspace ? 8
                     : key->text().isEmpty()         ? -1
                                                     : key->text().at(0).unicode();
    if (code < 0 || (code < 32 && code != 8))
        return false;  // not a typed character
    const int kept = filter_(code);
    if (kept == 0)
        return true;
    if (kept == code)
        return false;
    // Deliver the raised character instead of the typed one.
    QKeyEvent raised(QEvent::KeyPress, key->key(), key->modifiers(), QString(QChar(kept)));
    QCoreApplication::sendEvent(watched, &raised);
    return true;
}

}  // namespace kestrel
