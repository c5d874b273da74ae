#pragma once

#include <QString>

class QObject;
class QWidget;

namespace kestrel {

class Database;

// Overwrite a loaded window's design texts and fonts from the language
// database, keyed by the window's objectName and its controls' objectNames
// (indexed sets by their "index" property). Each stops at the first row
// that fails, shows "description [number]" titled "System Fatal Notice"
// and returns false; rows before it stay applied.
bool LocalizeForm(QWidget* window, Database* db);
bool LocalizeControls(QWidget* window, Database* db);
bool LocalizeGridHeads(QWidget* window, Database* db);
bool LocalizeListBar(QWidget* window, Database* db);
// Names and descriptions for screen readers, from tAccessible. Never ends
// the window: a row that names no control, or a database without the
// table, is logged and the control keeps the name Qt gives it.
void LocalizeAccessibility(QWidget* window, Database* db);

// Character sets given to a control's fonts, by its type name, recorded on
// the control (property "charset", and "fontsApplied" in order).
constexpr int kCharsetShiftJis = 128;
constexpr int kCharsetCyrillic = 204;

// The control of a window by name (in any case) and element number (-1: not
// one of a set); raises RunError when there is none.
QObject* FindControl(QWidget* window, const QString& name, int index);

}  // namespace kestrel
