#pragma once

#include <QString>

namespace kestrel {

// Expands a stored text: pieces separated by "&", each trimmed, where "%CR"
// is a carriage return, "%AND" an ampersand, "%SP" one blank, "%SP4" four,
// a piece containing "%ST" the next "%"-separated value of insert, and "-1"
// replaces everything so far by "-1". On return insert holds the values not
// yet consumed (the last value repeats when no "%" is left).
QString ExpandTokens(const QString& text, QString& insert);

}  // namespace kestrel
