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
    // Ctrl with a letter types its control character, whatever text the
    // platform attached to the event (X11 gives "\x16" for Ctrl+V, others "v").
    if ((key.modifiers() & Qt::ControlModifier) && key.key() >= Qt::Key_A &&
        key.key() <= Qt::Key_Z) {
        return key.key() - Qt::Key_A + 1;
    }
    const QString text = key.text();
    return text.isEmpty() ? -1 : text.at(0).unicode();
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
