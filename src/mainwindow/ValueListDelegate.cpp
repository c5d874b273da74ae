#include "ValueListDelegate.h"

#include "catalogue/ValueListModel.h"
#include "platform/widgets/DataGrid.h"

namespace kestrel {

ValueListDelegate::ValueListDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void ValueListDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(ValueListModel::EditedRole).toBool())
        return;
    if (const DataGrid::StyleSet* edited = grid_->Style(QStringLiteral("Edited"))) {
        option->backgroundBrush = edited->background;
        option->palette.setColor(QPalette::Text, edited->foreground);
        option->palette.setColor(QPalette::HighlightedText, edited->foreground);
        option->font = edited->font;
    }
}

}  // namespace kestrel
