#include "JournalModels.h"

#include "SafeCopyTexts.h"
#include "copyengine/TrunkRange.h"

#include <QBrush>
#include <QColor>

namespace kestrel {

namespace {

const QStringList kKindOrder = {QStringLiteral("Preview"), QStringLiteral("Copy"),
                                QStringLiteral("Undo")};

QVariant Head(const QStringList& heads, int section, Qt::Orientation orientation, int role) {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < heads.size() ? heads.at(section) : QString();
}

}  // namespace

JournalFilter ToJournalFilter(const HistoryChoice& choice, const QDateTime& now) {
    JournalFilter filter;
    filter.exchange = choice.exchange.trimmed();
    if (choice.mineOnly)
        filter.engineer = ThisDesk().engineer;
    bool number = false;
    const int trunk = choice.trunk.trimmed().toInt(&number);
    filter.trunk = number && trunk >= 0 ? FormatTrunk(trunk) : choice.trunk.trimmed();
    if (choice.kind != HistoryChoice::kEveryKind)
        filter.kind = kKindOrder.value(choice.kind - HistoryChoice::kPreview);
    switch (choice.range) {
        case HistoryChoice::kAnyTime:
            break;
        case HistoryChoice::kLastHour:
            filter.from = now.addSecs(-3600);
            break;
        case HistoryChoice::kToday:
            filter.from = now.toLocalTime().date().startOfDay();
            break;
        case HistoryChoice::kLast7Days:
            filter.from = now.addDays(-7);
            break;
        case HistoryChoice::kLast30Days:
            filter.from = now.addDays(-30);
            break;
    }
    return filter;
}

JournalEntryModel::JournalEntryModel(QObject* parent) : QAbstractTableModel(parent) {}

void JournalEntryModel::SetTexts(const QStringList& heads, const QStringList& kindNames) {
    heads_ = heads;
    kindNames_ = kindNames;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
    if (!entries_.isEmpty())
        emit dataChanged(index(0, kKind), index(rowCount() - 1, kKind));
}

void JournalEntryModel::SetWaitingMark(const QString& mark) {
    waitingMark_ = mark;
    if (!entries_.isEmpty())
        emit dataChanged(index(0, kSummary), index(rowCount() - 1, kSummary));
}

int JournalEntryModel::RowOf(const JournalEntry& entry) const {
    for (int row = 0; row < entries_.size(); ++row) {
        const JournalEntry& e = entries_.at(row);
        if (entry.uuid.isEmpty() ? e.id == entry.id && e.id != 0 : e.uuid == entry.uuid)
            return row;
    }
    return -1;
}

void JournalEntryModel::SetEntries(QList<JournalEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

int JournalEntryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int JournalEntryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString JournalEntryModel::KindText(const QString& kind) const {
    const qsizetype at = kKindOrder.indexOf(kind);
    if (at >= 0 && at < kindNames_.size() && !kindNames_.at(at).isEmpty())
        return kindNames_.at(at);
    return kind;
}

QVariant JournalEntryModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const JournalEntry& e = entries_.at(index.row());
    // A copy cut off has no summary of its own: what it may have written is
    // said instead.
    QString summary = e.finished ? e.SummaryText() : UnfinishedCopyText(e);
    if (e.waiting && !waitingMark_.isEmpty())
        summary = QStringLiteral("(%1) %2").arg(waitingMark_, summary);
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kTime:
                return e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            case kEngineer:
                return e.desk.engineerName.isEmpty() || e.desk.engineerName == e.desk.engineer
                           ? e.desk.engineer
                           : QStringLiteral("%1 (%2)").arg(e.desk.engineer, e.desk.engineerName);
            case kKind:
                return KindText(e.kind);
            case kExchange:
                return e.exchange;
            case kSource:
                return e.sourceTrunk;
            case kDestinations:
                return e.destinationList;
            case kSummary:
                // One line in the table; the whole text in the tooltip.
                // One line: the summary's own lines kept apart by a dot.
                return QString(summary)
                    .replace(QStringLiteral("\r\n"), QStringLiteral(" · "))
                    .simplified();
            default:
                break;
        }
    } else if (role == Qt::ToolTipRole && index.column() == kSummary && !summary.isEmpty()) {
        return summary;
    }
    return QVariant();
}

QVariant JournalEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return Head(heads_, section, orientation, role);
}

JournalCellModel::JournalCellModel(QObject* parent) : QAbstractTableModel(parent) {}

void JournalCellModel::SetTexts(const QStringList& heads, const QStringList& outcomeNames) {
    heads_ = heads;
    outcomeNames_ = outcomeNames;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
    if (!cells_.isEmpty())
        emit dataChanged(index(0, kOutcome), index(rowCount() - 1, kOutcome));
}

void JournalCellModel::SetCells(QList<JournalCell> cells) {
    beginResetModel();
    cells_ = std::move(cells);
    endResetModel();
}

int JournalCellModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int JournalCellModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant JournalCellModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const JournalCell& c = cells_.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kTrunk:
                return c.trunk;
            case kItem:
                return c.item;
            case kOld:
                return c.oldValue;
            case kNew:
                return c.newValue;
            case kOutcome: {
                const auto at = static_cast<qsizetype>(c.outcome);
                if (at < outcomeNames_.size() && !outcomeNames_.at(at).isEmpty())
                    return outcomeNames_.at(at);
                return OutcomeName(c.outcome);
            }
            case kDetail:
                return c.detail;
            default:
                break;
        }
    } else if (role == Qt::ForegroundRole && c.outcome == CellOutcome::Unchanged) {
        // Cells the copy did not have to touch step back, as in the preview.
        return QBrush(QColor(Qt::gray));
    } else if (role == Qt::ToolTipRole && index.column() == kDetail && !c.detail.isEmpty()) {
        return c.detail;
    }
    return QVariant();
}

QVariant JournalCellModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return Head(heads_, section, orientation, role);
}

}  // namespace kestrel
