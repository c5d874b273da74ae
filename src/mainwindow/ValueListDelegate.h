#pragma once

#include <QStyledItemDelegate>

namespace kestrel {

class DataGrid;

// Draws each row of the value list in the grid's "Edited" style while its
// current value differs from its original; worked out as the row is drawn,
// never stored.
class ValueListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit ValueListDelegate(DataGrid* grid);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    DataGrid* grid_;
};

}  // namespace kestrel
