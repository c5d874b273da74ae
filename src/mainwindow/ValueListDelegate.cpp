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
        // A selected edited row keeps its look, a shade darker.
        option->palette.setColor(QPalette::Highlight, edited->background.darker(135));
        option->palette.setColor(QPalette::HighlightedText, edited->foreground);
        option->font = edited->font;
    }
}

}  // namespace kestrel
