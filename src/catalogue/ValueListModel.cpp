#include "ValueListModel.h"

namespace kestrel {

ValueListModel::ValueListModel(QObject* parent)
    : QAbstractTableModel(parent),
      heads_{QStringLiteral("CMD"), QStringLiteral("DATA"), QStringLiteral("Description"),
             QStringLiteral("Original")},
      selection_(this) {}

int ValueListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ValueListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ValueListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const auto& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return row[static_cast<size_t>(index.column())];
        case EditedRole:
            return row[kData] != row[kOriginal];
        default:
            return {};
    }
}

QVariant ValueListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumns) {
        return heads_[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ValueListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns ||
        (role != Qt::EditRole && role != Qt::DisplayRole)) {
        return false;
    }
    heads_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

bool ValueListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    SetCell(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags ValueListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ValueListModel::AddRow(const QString& joined) {
    const QStringList fields = joined.split(u';');
    AddItem(fields.value(0), fields.value(1), fields.value(2), fields.value(3));
}

void ValueListModel::AddItem(const QString& cmd, const QString& value, const QString& description,
                             const QString& original) {
    const int row = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    rows_.push_back({cmd, value, description, original});
    endInsertRows();
}

void ValueListModel::Clear() {
    beginResetModel();
    rows_.clear();
    currentRow_ = -1;
    endResetModel();
    selection_.clear();
}

QString ValueListModel::Cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return {};
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void ValueListModel::SetCell(int row, int column, const QString& value) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return;
    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = value;
    // Every column of the row may change its "Edited" look.
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void ValueListModel::SetCurrentRow(int row) {
    if (row < -1 || row >= rowCount() || row == currentRow_)
        return;
    currentRow_ = row;
    emit currentRowChanged(row);
}

int ValueListModel::Search(const QString& cmd) {
    int found = -1;
    const int count = rowCount();
    for (int row = 0; row < count; ++row) {
        currentRow_ = row;
        if (rows_[static_cast<size_t>(row)][kCmd] == cmd) {
            found = row;
            break;
        }
    }
    if (currentRow_ >= 0) {
        selection_.select(index(currentRow_, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        emit currentRowChanged(currentRow_);
    }
    return found;
}

QVariant ValueListModel::GetItemValue(const QString& cmd) {
    const int row = Search(cmd);
    return row < 0 ? QVariant() : QVariant(Cell(row, kData));
}

QVariant ValueListModel::GetOriginalValue(const QString& cmd) {
    const int row = Search(cmd);
    return row < 0 ? QVariant() : QVariant(Cell(row, kOriginal));
}

void ValueListModel::SetItemValue(const QString& cmd, const QString& value) {
    const int row = Search(cmd);
    if (row >= 0)
        SetCell(row, kData, value);
}

}  // namespace kestrel
