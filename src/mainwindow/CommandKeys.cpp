#include "CommandKeys.h"

namespace kestrel {

const std::vector<CommandKey>& CommandKeys() {
    // Keys a line edit does not claim for itself, so each works from any
    // control of the window; Undo Last Copy stays off Ctrl+Z, which undoes
    // typing in the trunk boxes.
    static const std::vector<CommandKey> keys = {
        {"View Tree", QKeySequence(Qt::CTRL | Qt::Key_1)},
        {"View List", QKeySequence(Qt::CTRL | Qt::Key_2)},
        {"Get", QKeySequence(Qt::Key_F5)},
        {"Copy", QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {"Print", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"Preview", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return)},
        {"Undo", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)},
        {"History", QKeySequence(Qt::CTRL | Qt::Key_H)},
        {"Help", QKeySequence(Qt::Key_F1)},
        {"Hide Window", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {"Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    return keys;
}

QKeySequence CommandShortcut(const QString& command) {
    for (const CommandKey& key : CommandKeys()) {
        if (command == QLatin1String(key.command))
            return key.keys;
    }
    return {};
}

QString TipWithShortcut(const QString& caption, const QKeySequence& keys) {
    if (keys.isEmpty())
        return caption;
    return caption + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) + u')';
}

}  // namespace kestrel
