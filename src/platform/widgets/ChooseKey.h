#pragma once

#include <QKeyEvent>

namespace kestrel {

// Return, keypad Enter or Space with no modifier: the keys that choose the
// focused item as a click or a double-click does.
inline bool IsChooseKey(const QKeyEvent* key) {
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    return plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                     key->key() == Qt::Key_Space);
}

}  // namespace kestrel
