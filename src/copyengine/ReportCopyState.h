#pragma once

#include <QList>
#include <QString>

namespace kestrel {

class Database;

// How an item of the last copy ended on its destinations, as the report
// marks it. Ordered by weight: an item takes the worst state of its entries.
enum class CopiedState { Written = 0, Refused = 1, NotWritten = 2, Undone = 3 };

struct CopiedItem {
    QString cmd;
    CopiedState state = CopiedState::Written;
};

// Stores in the work table `CopyItem` how each item of a copy's request
// ended. `freshCopy`: the request is the first of its copy, so what the
// tables held of the last copy goes (its undo's mark and its outcome per
// trunk too); otherwise an item keeps
// the worse of its stored and its new state. Raises RunError.
void StoreCopiedItems(Database& db, const QList<CopiedItem>& items, bool freshCopy);

// What an undo did to one destination trunk.
struct UndoneTrunk {
    QString trunk;
    int restored = 0;     // values written back
    int refused = 0;      // refused by the exchange
    int notRestored = 0;  // failed, not sent or skipped (changed since)
};

// After an undo of the copy on `exchange` of `sourceTrunk` to
// `destinationList` (as typed): when that copy is the last one the work
// tables describe, marks it
// undone (the report then says so, and marks the items written back) and
// replaces the per-trunk outcome in `CopyOutcome` by the undo's. False, with
// nothing changed, when the work tables describe another copy or none.
// Raises RunError; then nothing is changed either.
bool StoreUndoOutcome(Database& db, const QString& exchange, const QString& sourceTrunk,
                      const QString& destinationList, const QList<UndoneTrunk>& trunks);

}  // namespace kestrel
