#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace kestrel {

// Splits text at sep into pieces, stopping at the first empty piece (so
// "1,,2" gives only "1" and a trailing separator adds nothing). When at
// least one piece is found, pieces is resized to hold exactly those.
// Returns the index of the last piece, -1 when none.
int SplitList(const QString& text, QStringList& pieces, const QString& sep);

// How often the one character ch occurs in text.
int CountChar(const QString& text, const QString& ch);

// The leading whole number of a text (after leading blanks, with an
// optional sign), 0 when there is none, held within the 16-bit range.
int LeadingNumber(const QString& text);

// The numbers before and after the first "-" of a range text.
int RangeStart(const QVariant& range);
int RangeEnd(const QVariant& range);

// Lays the value's characters into the template from the right ("000" and
// 5 give "005"; "0-00" and 123 give "0-23"). An empty template returns
// the value's text unchanged.
QString ApplyDataFormat(const QVariant& value, const QString& format);

}  // namespace kestrel
