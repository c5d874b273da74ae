#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include "CopyJournal.h"

namespace kestrel {

// Lines of the copy's and the undo's summaries, from the message table.
namespace summary {
constexpr int kItemReached = 41;    // "%1: %2 of %3 trunks"
constexpr int kItemsReached = 42;   // "%1 to %2: %3 of %4 trunks"
constexpr int kNotVerified = 43;    // "Not verified (answered OK, value not there):"
constexpr int kRefusedCells = 44;   // "Refused:"
constexpr int kFailedCells = 45;    // "Failed or not sent:"
constexpr int kRestored = 46;       // "Restored: %1 of %2 values on %3 trunks"
constexpr int kChangedSince = 47;   // "%1 %2 holds %3 now (the copy wrote %4)"
constexpr int kTrunkOutcome = 48;   // "%1 written, %2 unchanged, %3 refused, ..."
constexpr int kPreviewCounts = 30;  // the preview's "Changes: ..." line
constexpr int kListedCells = 15;
}  // namespace summary

// The exchange writes "NONE" when told "CCC": the two are one value.
bool SameValue(const QString& a, const QString& b);

// A heading (text `heading`) and up to 15 "trunk item (detail)" lines under
// it, then "more...", each a line of its own; nothing for no cells.
void AddCellLines(JournalSummary& summary, int heading, const QList<JournalCell>& cells,
                  bool withDetail);

// The journal could not record a copy or an undo; the reason follows.
void ShowJournalWriteFailed(const QString& reason);

// The line naming a copy that did not finish: source, destinations, time and
// how many cells it may have written.
QString UnfinishedCopyText(const JournalEntry& entry);

// Who an entry names: "ben (Ben Miller)", or the login alone when no full
// name is known.
QString DeskName(const JournalDesk& desk);
// When, as the preview names a change: "10:42" on `today`, else with its
// date, "2024-05-03 10:42".
QString WhenText(const QDateTime& time, const QDate& today);

}  // namespace kestrel
