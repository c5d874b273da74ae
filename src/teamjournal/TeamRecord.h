#pragma once

#include <QHash>
#include <QList>
#include <QStringList>
#include <optional>

#include "safetynet/CopyJournal.h"

namespace kestrel {

class PgLink;

// What the team's server holds, read and added to through one link. Every
// failure raises TeamError.
namespace team {

// Adds one entry and its cells in one transaction. An entry the server holds
// already (its id) is left as it is: sending again never stores it twice.
// Returns whether it was added.
bool Send(PgLink& link, const JournalEntry& entry, const QList<JournalCell>& cells);

// Entries passing the filter, newest first, at most `limit`.
QList<JournalEntry> Entries(PgLink& link, const JournalFilter& filter, int limit);
// The cells of the entry with that id, in the order recorded.
QList<JournalCell> Cells(PgLink& link, const QString& uuid);
// The newest copy of the exchange that no undo on the server, nor one of
// `undoneHere` (ids of copies undone at this desk), has undone.
std::optional<JournalEntry> LastCopy(PgLink& link, const QString& exchange,
                                     const QStringList& undoneHere);
// By trunk, the newest copy or undo of the exchange that wrote it.
QHash<QString, LastChange> LastChanges(PgLink& link, const QString& exchange,
                                       const QStringList& trunks);

}  // namespace team
}  // namespace kestrel
