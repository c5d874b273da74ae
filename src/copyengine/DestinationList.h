#pragma once

#include <QString>
#include <QStringList>

#include "TrunkRange.h"

namespace kestrel {

// The destination list read strictly, as the safety net reads it: a list
// the engineer cannot have meant is refused whole, naming the first fault
// and the character where it lies (counted from 1). A single number above
// the highest trunk is left out and named; the rest of the list stands.
struct DestinationList {
    enum class Fault {
        None,
        Empty,          // nothing written
        MissingNumber,  // next to `sign` at `position`: ",1", "1,,2", "5-", "-5"
        SecondDash,     // a range with a dash at `position` after its first: "5-65-"
        AboveHighest,   // `number` at `position`, a range end or the only number left
    };
    Fault fault = Fault::None;
    int position = 0;
    QChar sign;
    QString piece;
    QString number;
    // Single numbers above the highest trunk, left out, in list order.
    QStringList leftOut;
    // The trunks the list names without those left out (as ParseTrunkRange
    // gives them); empty when the list is refused.
    TrunkRangeResult trunks;

    bool Refused() const { return fault != Fault::None; }
};

DestinationList ReadDestinationList(const QString& text, int highestTrunk);

// The fault in the engineer's words; empty when there is none.
QString DestinationFaultText(const DestinationList& list, int highestTrunk);
// The line naming the numbers left out ("Above the highest trunk (511),
// left out: 600, 700"): the notice, the copy's preview and its summary
// show it. Empty when nothing is left out.
QString LeftOutText(const DestinationList& list, int highestTrunk);

// Reads the list strictly and tells the engineer: a refusal (nothing is to
// be read), or the numbers left out. False when the list is refused.
bool AcceptDestinationList(const QString& text, int highestTrunk, DestinationList& list);

}  // namespace kestrel
