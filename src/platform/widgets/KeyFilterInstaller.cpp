#include "KeyFilterInstaller.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace kestrel {

namespace {

constexpr int kBackspace = 8;

}  // namespace

KeyFilterInstaller::KeyFilterInstaller(QObject* target, std::function<int(int)> filter)
    : QObject(target), filter_(std::move(filter)) {
    target->installEventFilter(this);
    if (auto* box = qobject_cast<QLineEdit*>(target))
        box->setValidator(new KeyFilterValidator(filter_, box));
}

int KeyFilterInstaller::TypedCode(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Delete:
            return -1;  // the window's keys, or no character
        case Qt::Key_Backspace:
            return kBackspace;
        default:
            break;
    }
    // Ctrl with a key is an editing command (select all, copy, cut, paste,
    // undo), whatever control character X11 attaches to it: what a paste
    // inserts meets the box's validator. Ctrl with Alt is AltGr, which types.
    const auto mods = key.modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier))
        return -1;
    const QString text = key.text();
    // A bare control character inserts nothing into a line edit.
    if (text.isEmpty() || (text.at(0).unicode() < 0x20 && text.at(0).unicode() != kBackspace))
        return -1;
    return text.at(0).unicode();
}

bool KeyFilterInstaller::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = TypedCode(*key);
    if (code < 0)
        return false;
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

KeyFilterValidator::KeyFilterValidator(std::function<int(int)> filter, QObject* parent)
    : QValidator(parent), filter_(std::move(filter)) {}

QValidator::State KeyFilterValidator::validate(QString& input, int&) const {
    for (QChar& c : input) {
        // Backspace passes every filter but is no character of a text.
        const int kept = c.unicode() == kBackspace ? 0 : filter_(c.unicode());
        if (kept == 0)
            return Invalid;
        c = QChar(kept);
    }
    return Acceptable;
}

}  // namespace kestrel
