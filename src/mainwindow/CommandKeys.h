#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

namespace kestrel {

// The keyboard shortcut of each command-bar command, by the command's key.
struct CommandKey {
    const char* command;
    QKeySequence keys;
};

// Every command's shortcut, in command-bar order.
const std::vector<CommandKey>& CommandKeys();
// The shortcut of a command; empty for an unknown command.
QKeySequence CommandShortcut(const QString& command);
// A tool tip naming the command and its shortcut: "Get Source Trunk Data
// (F5)", the keys in the words of the language in use.
QString TipWithShortcut(const QString& caption, const QKeySequence& keys);

// What's This on the focused control.
inline const QKeySequence kWhatsThisKeys{Qt::SHIFT | Qt::Key_F1};

}  // namespace kestrel
