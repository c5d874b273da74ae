#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "CopyJournal.h"
#include "TrunkSnapshot.h"

namespace kestrel {

// One row of the value list, in its order: what the copy would write.
struct SourceItem {
    QString key;
    QString description;
    QString value;
};

// One destination trunk and item: its value now and the value the copy
// would write.
struct PlannedCell {
    QString trunk;
    QString item;
    QString oldValue;
    QString newValue;
    bool changed = false;
    // False when the exchange holds the item as not set: the old value
    // cannot be written back by an undo.
    bool restorable = true;
    // The value read at the moment of writing differs from the one the
    // engineer saw in the preview before.
    bool changedSince = false;
};

// What a copy would change on which trunk, from the source items and the
// destinations' current values, and the engineer's choice of items.
class CopyPlan {
public:
    // destinations as checked: order kept; a trunk named twice is planned
    // once, and only trunks the snapshot read are planned.
    CopyPlan(QList<SourceItem> items, const QStringList& destinations, const TrunkSnapshot& current,
             QString sourceTrunk);

    const QList<SourceItem>& Items() const;
    const QStringList& Destinations() const;  // trunks the copy would write (assigned ones)
    QStringList NotAssigned() const;          // from the snapshot
    QMap<QString, QString> Refused() const;   // from the snapshot
    // Destinations the snapshot says nothing about (its read failed).
    QStringList Unread() const;
    bool IncludesSource() const;  // the source trunk is among the destinations
    const QString& SourceTrunk() const { return sourceTrunk_; }
    bool ReadComplete() const { return complete_; }
    // The line naming numbers of the destination list that were left out
    // (above the highest trunk); empty when none were.
    const QString& LeftOutLine() const { return leftOutLine_; }
    void SetLeftOutLine(const QString& line) { leftOutLine_ = line; }
    const QString& ReadFailure() const { return failure_; }

    // Cells for every destination x item, destination-major; changed = old
    // value != new value, where "NONE" and "CCC" count as the same value
    // (CCC writes NONE).
    QList<PlannedCell> Cells() const;
    PlannedCell Cell(const QString& trunk, const QString& item) const;
    // The same by position: row in Destinations(), column in Items().
    const PlannedCell& CellAt(int row, int column) const;
    int ChangesFor(const QString& trunk) const;  // counting included items only
    int ChangesAt(int row) const;
    int TotalChanges() const;
    // Destinations with at least one change of an included item.
    int ChangedTrunks() const;

    // Marks the cells whose old value differs from `seen`'s (a preview shown
    // before this plan's read); the number marked among included items.
    int MarkChangedSince(const CopyPlan& seen);
    int ChangedSinceCount() const { return changedSince_; }

    // Who last changed each destination, as the journals know it; a change
    // by another engineer after `readAt` (the Get of the source trunk) is
    // one this engineer has not seen. An empty engineer on either side, or
    // no time of the Get, counts as no one else's.
    void SetLastChanges(QHash<QString, LastChange> changes, const QString& engineer,
                        const QDateTime& readAt);
    // Nullptr when no change of the trunk is known.
    const LastChange* LastChangeAt(int row) const;
    bool ChangedByOtherAt(int row) const;

    // The engineer's choice of items: all included at first.
    void SetIncluded(const QString& item, bool included);
    bool Included(const QString& item) const;
    bool IncludedAt(int column) const;
    // Keeps only items that change somewhere: of the items included, those
    // with a change on at least one destination.
    void IncludeChangedOnly();
    bool ChangesSomewhere(const QString& item) const;
    QList<SourceItem> IncludedItems() const;

private:
    int ItemIndex(const QString& item) const;

    QList<SourceItem> items_;
    QStringList destinations_;
    QStringList notAssigned_;
    QMap<QString, QString> refused_;
    QStringList unread_;
    QString sourceTrunk_;
    bool includesSource_ = false;
    bool complete_ = true;
    QString failure_;
    QList<PlannedCell> cells_;  // destinations_.size() x items_.size()
    QHash<QString, int> rowOf_;
    QHash<QString, int> columnOf_;
    QList<bool> included_;
    QList<bool> changesSomewhere_;
    int changedSince_ = 0;
    QString leftOutLine_;
    QHash<QString, LastChange> lastChanges_;
    QList<bool> changedByOther_;  // by row
};

}  // namespace kestrel
