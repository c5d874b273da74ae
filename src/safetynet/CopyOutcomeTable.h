#pragma once

#include <QList>

#include "CopyJournal.h"

namespace kestrel {

class Database;
class RequestDispatcher;

// The report's section of the last copy: per destination, in order, how
// many of its cells ended which way, in the work table CopyOutcome. A
// failure leaves the section out; the host's message line says why.
void StoreCopyOutcomes(Database* workDb, const QList<JournalCell>& cells,
                       RequestDispatcher& dispatcher);

}  // namespace kestrel
