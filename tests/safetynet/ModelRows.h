#pragma once

#include <QAbstractItemModel>
#include <QStringList>

namespace kestrel::test {

// Every row's texts (the heads first when asked), '|' between cells and ';'
// between rows.
inline QString Rows(const QAbstractItemModel* model, bool heads = false) {
    QStringList rows;
    for (int row = heads ? -1 : 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c) {
            cells << (row < 0 ? model->headerData(c, Qt::Horizontal) : model->index(row, c).data())
                         .toString();
        }
        rows << cells.join(u'|');
    }
    return rows.join(u';');
}

}  // namespace kestrel::test
