#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "hostlink/cListRequest.h"

namespace kestrel {

// What the exchange holds for some trunks, read by list-up requests.
struct TrunkSnapshot {
    QStringList trunks;                              // assigned trunks, order asked, each once
    QHash<QString, QHash<QString, QString>> values;  // trunk -> item key -> value as answered
    QStringList notAssigned;                         // "TRK NOT ASSIGNED" or "DIGIT ERROR"
    QMap<QString, QString> refused;                  // trunk -> the exchange's other answer text
    // "trunk/item" the exchange answered as not set ("DATA NOT SET"): stored
    // as empty, and no write can put that state back.
    QSet<QString> notSet;
    bool complete = true;  // false: link failure / user cancel / error answer
    QString failure;       // the answer text that made it incomplete

    QString Value(const QString& trunk, const QString& item) const;  // empty when none
    bool Has(const QString& trunk) const;
    bool NotSet(const QString& trunk, const QString& item) const {
        return notSet.contains(trunk + u'/' + item);
    }
    // The trunks of `asked` the answers said nothing about (a failed or cut
    // read): neither read, nor not assigned, nor refused.
    QStringList Unanswered(const QStringList& asked) const;
};

// Item count assumed per trunk when the catalogue's is not known.
constexpr int kUnknownItemsPerTrunk = 64;

// Builds the list-up requests that read `trunks` (each once, duplicates
// dropped): one "L30" entry per trunk, Tag = `tag`, batched so that no
// answer can exceed a record: at most 32767 / itemsPerTrunk trunks per
// request (at least one). itemsPerTrunk 0 or less means unknown: 64.
QList<cListRequest> SnapshotRequests(const QStringList& trunks, int itemsPerTrunk,
                                     std::int16_t tag);

// Adds one list-up answer to the snapshot. Per entry: FD names the trunk
// (last 3 characters), CMD the item key, SD the value. Not assigned and
// digit errors go to notAssigned, other exchange answers to the list-up
// itself to refused; link-layer answers, an ErrCode other than 0 and an
// answer that fills a whole record (it may have been cut) make the
// snapshot incomplete. Item values that are exchange answers other than
// "NONE" are stored as the empty text, as the Get stores them.
void TakeSnapshotAnswer(const cListRequest& answer, TrunkSnapshot& into);

}  // namespace kestrel
