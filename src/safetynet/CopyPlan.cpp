#include "CopyPlan.h"

#include <QSet>

namespace kestrel {

namespace {

// The copy writes "CCC" to clear an item, which the exchange stores as
// "NONE": the two name one value.
QString Comparable(const QString& value) {
    return value == u"CCC" ? QStringLiteral("NONE") : value;
}

// Trunk numbers compare as numbers: "4" and "004" are one trunk.
QString TrunkKey(const QString& trunk) {
    bool ok = false;
    const int n = trunk.toInt(&ok);
    return ok && n >= 0 ? QString::number(n) : trunk;
}

}  // namespace

CopyPlan::CopyPlan(QList<SourceItem> items, const QStringList& destinations,
                   const TrunkSnapshot& current, QString sourceTrunk)
    : items_(std::move(items)),
      notAssigned_(current.notAssigned),
      refused_(current.refused),
      sourceTrunk_(std::move(sourceTrunk)),
      complete_(current.complete),
      failure_(current.failure) {
    const QString source = TrunkKey(sourceTrunk_);
    QSet<QString> seen;
    for (const QString& trunk : destinations) {
        if (seen.contains(trunk))
            continue;
        seen.insert(trunk);
        if (!sourceTrunk_.isEmpty() && TrunkKey(trunk) == source)
            includesSource_ = true;
        if (current.Has(trunk)) {
            rowOf_.insert(trunk, static_cast<int>(destinations_.size()));
            destinations_.append(trunk);
        } else if (!current.notAssigned.contains(trunk) && !current.refused.contains(trunk)) {
            unread_.append(trunk);
        }
    }
    for (int i = 0; i < items_.size(); ++i) {
        if (!columnOf_.contains(items_.at(i).key))
            columnOf_.insert(items_.at(i).key, i);
    }
    included_ = QList<bool>(items_.size(), true);
    changesSomewhere_ = QList<bool>(items_.size(), false);
    cells_.reserve(destinations_.size() * items_.size());
    for (const QString& trunk : std::as_const(destinations_)) {
        for (int i = 0; i < items_.size(); ++i) {
            const SourceItem& item = items_.at(i);
            PlannedCell cell{trunk, item.key, current.Value(trunk, item.key), item.value, false};
            cell.changed = Comparable(cell.oldValue) != Comparable(cell.newValue);
            cell.restorable = !current.NotSet(trunk, item.key);
            if (cell.changed)
                changesSomewhere_[i] = true;
            cells_.append(cell);
        }
    }
}

const QList<SourceItem>& CopyPlan::Items() const {
    return items_;
}

const QStringList& CopyPlan::Destinations() const {
    return destinations_;
}

QStringList CopyPlan::NotAssigned() const {
    return notAssigned_;
}

QMap<QString, QString> CopyPlan::Refused() const {
    return refused_;
}

QStringList CopyPlan::Unread() const {
    return unread_;
}

bool CopyPlan::IncludesSource() const {
    return includesSource_;
}

QList<PlannedCell> CopyPlan::Cells() const {
    return cells_;
}

PlannedCell CopyPlan::Cell(const QString& trunk, const QString& item) const {
    const int row = rowOf_.value(trunk, -1);
    const int column = ItemIndex(item);
    if (row < 0 || column < 0)
        return PlannedCell{trunk, item, QString(), QString(), false};
    return CellAt(row, column);
}

const PlannedCell& CopyPlan::CellAt(int row, int column) const {
    return cells_.at(row * items_.size() + column);
}

int CopyPlan::ChangesAt(int row) const {
    if (row < 0 || row >= destinations_.size())
        return 0;
    int changes = 0;
    for (int i = 0; i < items_.size(); ++i) {
        if (included_.at(i) && CellAt(row, i).changed)
            ++changes;
    }
    return changes;
}

int CopyPlan::ChangesFor(const QString& trunk) const {
    return ChangesAt(rowOf_.value(trunk, -1));
}

int CopyPlan::TotalChanges() const {
    int changes = 0;
    for (int row = 0; row < destinations_.size(); ++row)
        changes += ChangesAt(row);
    return changes;
}

int CopyPlan::ChangedTrunks() const {
    int trunks = 0;
    for (int row = 0; row < destinations_.size(); ++row) {
        if (ChangesAt(row) > 0)
            ++trunks;
    }
    return trunks;
}

int CopyPlan::ItemIndex(const QString& item) const {
    return columnOf_.value(item, -1);
}

void CopyPlan::SetIncluded(const QString& item, bool included) {
    // A key the value list holds twice is one item: both rows follow.
    for (int i = 0; i < items_.size(); ++i) {
        if (items_.at(i).key == item)
            included_[i] = included;
    }
}

bool CopyPlan::Included(const QString& item) const {
    const int column = ItemIndex(item);
    return column >= 0 && included_.at(column);
}

bool CopyPlan::IncludedAt(int column) const {
    return column >= 0 && column < included_.size() && included_.at(column);
}

bool CopyPlan::ChangesSomewhere(const QString& item) const {
    const int column = ItemIndex(item);
    return column >= 0 && changesSomewhere_.at(column);
}

void CopyPlan::IncludeChangedOnly() {
    for (int i = 0; i < items_.size(); ++i)
        included_[i] = included_.at(i) && changesSomewhere_.at(i);
}

QList<SourceItem> CopyPlan::IncludedItems() const {
    QList<SourceItem> chosen;
    for (int i = 0; i < items_.size(); ++i) {
        if (included_.at(i))
            chosen.append(items_.at(i));
    }
    return chosen;
}

int CopyPlan::MarkChangedSince(const CopyPlan& seen) {
    // The engineer's choice of items carries over to the plan read again.
    for (int i = 0; i < items_.size(); ++i)
        included_[i] = seen.Included(items_.at(i).key);
    changedSince_ = 0;
    for (int row = 0; row < destinations_.size(); ++row) {
        const QString& trunk = destinations_.at(row);
        const bool wasRead = seen.rowOf_.contains(trunk);
        for (int i = 0; i < items_.size(); ++i) {
            PlannedCell& cell = cells_[row * items_.size() + i];
            const PlannedCell before = seen.Cell(trunk, cell.item);
            cell.changedSince = !wasRead ||
                                Comparable(before.oldValue) != Comparable(cell.oldValue) ||
                                before.restorable != cell.restorable;
            if (cell.changedSince && included_.at(i))
                ++changedSince_;
        }
    }
    // A trunk shown before and gone now (no longer assigned) differs too.
    for (const QString& trunk : seen.destinations_) {
        if (!rowOf_.contains(trunk))
            ++changedSince_;
    }
    return changedSince_;
}

void CopyPlan::SetLastChanges(QHash<QString, LastChange> changes, const QString& engineer,
                              const QDateTime& readAt) {
    lastChanges_ = std::move(changes);
    changedByOther_.clear();
    for (const QString& trunk : std::as_const(destinations_)) {
        const auto found = lastChanges_.constFind(trunk);
        changedByOther_.append(found != lastChanges_.constEnd() && readAt.isValid() &&
                               !engineer.isEmpty() && !found->desk.engineer.isEmpty() &&
                               found->desk.engineer != engineer && found->time > readAt);
    }
}

const LastChange* CopyPlan::LastChangeAt(int row) const {
    const auto found = lastChanges_.constFind(destinations_.value(row));
    return found == lastChanges_.constEnd() ? nullptr : &*found;
}

bool CopyPlan::ChangedByOtherAt(int row) const {
    return changedByOther_.value(row);
}

}  // namespace kestrel
