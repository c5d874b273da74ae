#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QString>
#include <QVariant>

#include "CopyPlan.h"

namespace kestrel {

// The preview table over a copy plan: one row per destination trunk;
// column 0 the trunk, column 1 its count of changes (included items),
// column 2 who changed it last and when, then one column per item. A changed cell shows "old →
// new", an unchanged one the value alone, dimmed; columns of items left out are dimmed as well.
// Cells are computed when asked, so a large plan costs no widgets.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTrunk = 0, kChanges = 1, kLastChanged = 2, kFirstItem = 3 };

    explicit PreviewModel(CopyPlan& plan, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    CopyPlan& Plan() { return plan_; }
    // Changes the plan's choice of items and tells the views.
    void SetIncluded(const QString& item, bool included);
    void IncludeChangedOnly();
    // Re-reads everything that depends on the choice of items.
    void ChoiceChanged();

    // The display text of a changed cell.
    static QString ChangeText(const QString& oldValue, const QString& newValue);
    // The warning over the destinations another engineer changed since the
    // Get: "...: 021 (ben, 10:42), 022 (...)"; empty when there are none.
    static QString ChangedByOthersLine(const CopyPlan& plan, const QDate& today);

private:
    // The background and tip of a row someone else changed since the Get.
    QVariant ChangedByOtherMark(int row, int role) const;
    CopyPlan& plan_;
};

}  // namespace kestrel
