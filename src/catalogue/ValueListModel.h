#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QString>
#include <QVariant>
#include <array>
#include <vector>

namespace kestrel {

// The value list: one row per item read from the source trunk, columns
// "CMD", "DATA" (current value: what Copy writes), "Description" and
// "Original" (as read; hidden in the view). It is also the store the
// operations read and write by item key, with a current row and selected
// rows as a grid has them.
class ValueListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kCmd = 0, kData = 1, kDescription = 2, kOriginal = 3, kColumns = 4 };
    // True for a row whose current value differs from its original.
    static constexpr int EditedRole = Qt::UserRole + 1;

    explicit ValueListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Adds a row given as one text of four fields joined by ";".
    void AddRow(const QString& joined);
    void AddItem(const QString& cmd, const QString& value, const QString& description,
                 const QString& original);
    void Clear();

    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& value);

    // Lookups by item key (exact, first row that matches). Each leaves the
    // current row on the match, or on the last row when none matches, and
    // adds that row to the selected rows. A missing key gives a null value.
    QVariant GetItemValue(const QString& cmd);
    QVariant GetOriginalValue(const QString& cmd);
    void SetItemValue(const QString& cmd, const QString& value);

    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row);
    QItemSelectionModel* Selection() { return &selection_; }

signals:
    void currentRowChanged(int row);

private:
    int Search(const QString& cmd);

    std::vector<std::array<QString, kColumns>> rows_;
    QString heads_[kColumns];
    int currentRow_ = -1;
    QItemSelectionModel selection_;
};

}  // namespace kestrel
