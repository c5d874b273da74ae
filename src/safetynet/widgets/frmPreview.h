#pragma once

#include <QDialog>
#include <QSet>
#include <QString>

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableView;

namespace kestrel {

class CopyPlan;
class PreviewModel;

// The preview of a copy: every destination trunk and item with its value
// now and the value the copy would write, the engineer's choice of items,
// the expanded destination list and the trunks left out. Copy accepts,
// Close and Escape reject; it writes nothing itself.
class frmPreview : public QDialog {
    Q_OBJECT

public:
    explicit frmPreview(CopyPlan& plan, QWidget* parent = nullptr);

    PreviewModel& Model() { return *model_; }
    // The expanded destination list as the dialog shows it: the first
    // kListedTrunks trunks, then "… (n trunks)".
    static QString TrunkListText(const QStringList& trunks);
    static constexpr int kListedTrunks = 40;

private:
    void NameTrunkHeader();
    void FillItems();
    void FillLeftOut();
    void OnItemChanged(QListWidgetItem* item);
    void OnChangedOnlyToggled(bool on);
    void SyncChecks();
    void UpdateCounts();
    bool ChoiceIsChangedOnly() const;

    CopyPlan& plan_;
    PreviewModel* model_;
    QLabel* lblTrunks_;
    QLabel* lblSourceWarning_;
    QLabel* lblSummary_;
    QLabel* lblItems_;
    QListWidget* lstItems_;
    QCheckBox* chkChangedOnly_;
    QLabel* lblChangedOnly_;  // how many items "changed items only" left out
    QLabel* lblLeftOut_;
    QListWidget* lstLeftOut_;
    QLabel* lblFailure_;
    QLabel* lblChangedSince_ = nullptr;
    QLabel* lblChangedByOthers_ = nullptr;
    QTableView* tblPreview_;
    QPushButton* cmdCopy_;
    QPushButton* cmdClose_;
    // The choice before "changed items only" was ticked, given back when it
    // is cleared again.
    QSet<QString> choiceBefore_;
    bool syncing_ = false;
};

}  // namespace kestrel
