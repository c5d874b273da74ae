#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "safetynet/CopyJournal.h"
#include "safetynet/JournalModels.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace kestrel {

class TeamJournal;

// The journal's previews, copies and undos, newest first: the team's when the
// settings name a server, else this computer's; filtered by engineer,
// exchange, trunk, kind and time. An entry opened shows its cells, which can
// be exported as CSV. New entries show as they arrive.
class frmHistory : public QDialog {
    Q_OBJECT

public:
    frmHistory(CopyJournal& journal, TeamJournal& team, const QString& exchange,
               QWidget* parent = nullptr);
    ~frmHistory() override;

    // Asks where the export goes; the empty text cancels. Replaceable (tests).
    std::function<QString()> chooseFile;

    // Shows the cells of the entry in `row` of the entry table; false when the
    // journal could not be read (said in a message box).
    bool OpenEntry(int row);
    // Writes the open entry's CSV to a chosen file; false when nothing was written
    // (no entry open, cancelled, or a failure said in a message box).
    bool Export();
    // The local id of the open entry; 0 when none is open or it is kept on
    // the team's server only.
    qint64 OpenId() const { return open_.id; }
    // What the filter controls hold.
    HistoryChoice Choice() const;

private:
    void Reload();
    void ReloadSoon();
    void UpdateButtons();
    void CloseEntry();
    void SayCellsUnread(const QString& reason);

    CopyJournal& journal_;
    TeamJournal& team_;
    JournalEntry open_;
    // A local entry has its number, one kept on the server only its id.
    bool EntryOpen() const { return open_.id != 0 || !open_.uuid.isEmpty(); }
    bool reloadDue_ = false;
    QTimer* typed_ = nullptr;
    JournalEntryModel* entries_;
    JournalCellModel* cells_;
    QTableView* tblEntries_;
    QTableView* tblCells_;
    QPlainTextEdit* txtSummary_;  // the open entry's summary, whole
    QComboBox* cboEngineer_;
    QLineEdit* txtExchange_;
    QLineEdit* txtTrunk_;
    QComboBox* cboKind_;
    QComboBox* cboTime_;
    QLabel* lblProblem_;  // why the team's server could not be read
    QPushButton* cmdOpen_;
    QPushButton* cmdExport_;
    QPushButton* cmdClose_;
};

}  // namespace kestrel
