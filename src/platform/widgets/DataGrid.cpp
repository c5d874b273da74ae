#include "DataGrid.h"

#include <QHeaderView>

namespace kestrel {

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), headFont_(font()), pageHeaderFont_(font()), pageFooterFont_(font()) {}

void DataGrid::SetHeadFont(const QFont& font) {
    headFont_ = font;
    horizontalHeader()->setFont(font);
}

const DataGrid::StyleSet* DataGrid::Style(const QString& name) const {
    for (const StyleSet& s : styleSets_) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

}  // namespace kestrel
