#pragma once

#include <QString>
#include <QStringList>

namespace kestrel {

// A destination list taken apart: the trunks in the order the list names
// them (three digits, duplicates kept) and how many times message 4 is due
// (a malformed whole text counts once and yields no trunks; each number or
// range above the highest trunk, and "0-0", counts once and is skipped).
// A list naming more trunks than one request can carry keeps only the
// first kMaxListedTrunks of them; `count` still tells how many it names.
struct TrunkRangeResult {
    QStringList trunks;
    qint64 count = 0;
    int numberErrors = 0;
};

constexpr int kMaxListedTrunks = 32768;

TrunkRangeResult ParseTrunkRange(const QString& text, int highestTrunk);

// A trunk number as three digits at least ("5" gives "005").
QString FormatTrunk(int number);

// The trunk box's text as a number to read: empty becomes "000", a number
// gets its three digits; anything else stays as typed.
QString NormaliseTrunkText(const QString& text);

// The trunk box's text while typing, held between 0 and the highest trunk
// (as plain digits); texts that are no number stay as they are.
QString ClampTrunkText(const QString& text, int highestTrunk);

}  // namespace kestrel
