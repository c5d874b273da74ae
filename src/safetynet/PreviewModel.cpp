#include "PreviewModel.h"

#include <QBrush>
#include <QColor>

#include "SafeCopyTexts.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"

namespace kestrel {

namespace {

constexpr int kTrunkHead = 28;
constexpr int kChangesHead = 29;

const QColor kDimmed(0x8a, 0x8f, 0x96);
const QColor kChangedBackground(0xff, 0xf1, 0xc9);
// A cell that is not what the preview before showed.
const QColor kChangedSinceBackground(0xff, 0xc9, 0xc9);

// An empty value (an item not set) is shown as a dash, so "→ 1" never
// looks like a cut text.
QString Shown(const QString& value) {
    return value.isEmpty() ? QStringLiteral("—") : value;
}

}  // namespace

PreviewModel::PreviewModel(CopyPlan& plan, QObject* parent)
    : QAbstractTableModel(parent), plan_(plan) {}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(plan_.Destinations().size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFirstItem + static_cast<int>(plan_.Items().size());
}

QString PreviewModel::ChangeText(const QString& oldValue, const QString& newValue) {
    return Shown(oldValue) + QStringLiteral(" → ") + Shown(newValue);
}

QString PreviewModel::ChangedByOthersLine(const CopyPlan& plan, const QDate& today) {
    QStringList trunks;
    const int rows = static_cast<int>(plan.Destinations().size());
    for (int row = 0; row < rows; ++row) {
        if (!plan.ChangedByOtherAt(row))
            continue;
        const LastChange& change = *plan.LastChangeAt(row);
        trunks << plan.Destinations().at(row) + QStringLiteral(" (") + change.desk.engineer +
                      QStringLiteral(", ") + WhenText(change.time, today) + u')';
    }
    return trunks.isEmpty() ? QString()
                            : Msg(text::kChangedByOthers).arg(trunks.join(QStringLiteral(", ")));
}

QVariant PreviewModel::ChangedByOtherMark(int row, int role) const {
    if (!plan_.ChangedByOtherAt(row))
        return {};
    if (role == Qt::BackgroundRole)
        return QBrush(kChangedSinceBackground);
    if (role == Qt::ToolTipRole)
        return Msg(text::kChangedByOtherTip).arg(DeskName(plan_.LastChangeAt(row)->desk));
    return {};
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    if (column == kTrunk) {
        if (role == Qt::DisplayRole)
            return plan_.Destinations().at(row);
        return {};
    }
    if (column == kChanges) {
        const int changes = plan_.ChangesAt(row);
        switch (role) {
            case Qt::DisplayRole:
                return changes;
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            case Qt::ForegroundRole:
                return changes == 0 ? QVariant(QBrush(kDimmed)) : QVariant();
            default:
                return {};
        }
    }
    if (column == kLastChanged) {
        const LastChange* change = plan_.LastChangeAt(row);
        if (role == Qt::DisplayRole) {
            return change ? DeskName(change->desk) + u' ' +
                                WhenText(change->time, QDate::currentDate())
                          : QString();
        }
        return ChangedByOtherMark(row, role);
    }
    const int item = column - kFirstItem;
    const PlannedCell& cell = plan_.CellAt(row, item);
    const bool included = plan_.IncludedAt(item);
    switch (role) {
        case Qt::DisplayRole:
            if (!cell.changed)
                return cell.oldValue;
            // An undo could not bring a value that is not set back: said in the cell.
            return cell.restorable ? ChangeText(cell.oldValue, cell.newValue)
                                   : ChangeText(cell.oldValue, cell.newValue) +
                                         QStringLiteral(" (") + Msg(text::kCannotBeUndone) + u')';
        case Qt::ToolTipRole:
            if (cell.changedSince)
                return plan_.Items().at(item).description + u'\n' + Msg(text::kChangedSinceTip);
            return plan_.Items().at(item).description;
        case Qt::ForegroundRole:
            return !cell.changed || !included ? QVariant(QBrush(kDimmed)) : QVariant();
        case Qt::BackgroundRole:
            if (cell.changedSince && included)
                return QVariant(QBrush(kChangedSinceBackground));
            return cell.changed && included ? QVariant(QBrush(kChangedBackground)) : QVariant();
        default:
            return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        // The trunk again, for views that keep it in sight while scrolling.
        if (section >= 0 && section < rowCount()) {
            if (role == Qt::DisplayRole)
                return plan_.Destinations().at(section);
            // A trunk someone else changed since the Get is marked in its row head too.
            QVariant mark = ChangedByOtherMark(section, role);
            if (mark.isValid())
                return mark;
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == kTrunk || section == kChanges || section == kLastChanged) {
        if (role == Qt::DisplayRole) {
            return Msg(section == kTrunk     ? kTrunkHead
                       : section == kChanges ? kChangesHead
                                             : text::kLastChangedHead);
        }
        return {};
    }
    const int item = section - kFirstItem;
    switch (role) {
        case Qt::DisplayRole:
            return plan_.Items().at(item).key;
        case Qt::ToolTipRole:
            return plan_.Items().at(item).description;
        case Qt::ForegroundRole:
            return plan_.IncludedAt(item) ? QVariant() : QVariant(QBrush(kDimmed));
        default:
            return {};
    }
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void PreviewModel::SetIncluded(const QString& item, bool included) {
    plan_.SetIncluded(item, included);
    ChoiceChanged();
}

void PreviewModel::IncludeChangedOnly() {
    plan_.IncludeChangedOnly();
    ChoiceChanged();
}

void PreviewModel::ChoiceChanged() {
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows > 0 && columns > kChanges)
        emit dataChanged(index(0, kChanges), index(rows - 1, columns - 1));
    if (columns > kFirstItem)
        emit headerDataChanged(Qt::Horizontal, kFirstItem, columns - 1);
}

}  // namespace kestrel
