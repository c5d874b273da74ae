#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "safetynet/CopyJournal.h"

class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace kestrel {

class JournalCellModel;
class JournalEntryModel;

// The journal's previews, copies and undos, newest first; an entry opened shows
// its cells, which can be exported as CSV.
class frmHistory : public QDialog {
    Q_OBJECT

public:
    frmHistory(CopyJournal& journal, const QString& exchange, QWidget* parent = nullptr);
    ~frmHistory() override;

    // Asks where the export goes; the empty text cancels. Replaceable (tests).
    std::function<QString()> chooseFile;

    // Shows the cells of the entry in `row` of the entry table; false when the
    // journal could not be read (said in a message box).
    bool OpenEntry(int row);
    // Writes the open entry's CSV to a chosen file; false when nothing was written
    // (no entry open, cancelled, or a failure said in a message box).
    bool Export();
    // The id of the open entry; 0 when none is open.
    qint64 OpenId() const { return open_.id; }

private:
    void Reload();
    void UpdateButtons();

    CopyJournal& journal_;
    QString exchange_;
    JournalEntry open_;
    JournalEntryModel* entries_;
    JournalCellModel* cells_;
    QTableView* tblEntries_;
    QTableView* tblCells_;
    QPlainTextEdit* txtSummary_;  // the open entry's summary, whole
    QPushButton* cmdOpen_;
    QPushButton* cmdExport_;
    QPushButton* cmdClose_;
};

}  // namespace kestrel
