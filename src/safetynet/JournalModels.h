#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include "CopyJournal.h"

namespace kestrel {

// What History's filter controls hold.
struct HistoryChoice {
    enum Kind { kEveryKind, kPreview, kCopy, kUndo };
    enum Range { kAnyTime, kLastHour, kToday, kLast7Days, kLast30Days };
    bool mineOnly = false;  // this desk's engineer, else everyone
    QString exchange;       // empty: every exchange
    QString trunk;          // digits as typed; empty: every trunk
    Kind kind = kEveryKind;
    Range range = kAnyTime;
};

// The journal's filter for `choice` at `now`. A typed trunk is written as
// the journal stores it ("21" is "021"); "today" starts at local midnight.
JournalFilter ToJournalFilter(const HistoryChoice& choice, const QDateTime& now);

// The journal's entries, one row each in the order given (newest first):
// time, engineer, kind, exchange, source trunk, destinations, summary.
class JournalEntryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        kTime,
        kEngineer,
        kKind,
        kExchange,
        kSource,
        kDestinations,
        kSummary,
        kColumnCount
    };

    explicit JournalEntryModel(QObject* parent = nullptr);

    // Column heads, and the shown names of the kinds "Preview", "Copy", "Undo" in
    // that order; a kind without a shown name is shown as stored.
    void SetTexts(const QStringList& heads, const QStringList& kindNames);
    // The words that mark an entry still waiting to go to the team's
    // server; empty (no server) marks none.
    void SetWaitingMark(const QString& mark);
    void SetEntries(QList<JournalEntry> entries);
    const JournalEntry& Entry(int row) const { return entries_.at(row); }
    // The row of the entry with `entry`'s uuid (or id, when it has none); -1
    // when it is not shown.
    int RowOf(const JournalEntry& entry) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString KindText(const QString& kind) const;

    QList<JournalEntry> entries_;
    QStringList heads_;
    QStringList kindNames_;
    QString waitingMark_;
};

// The cells of one entry, one row each in the order recorded: trunk, item, old
// value, new value, outcome, detail. A model, so that the largest copy (32704
// cells) opens at once.
class JournalCellModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTrunk, kItem, kOld, kNew, kOutcome, kDetail, kColumnCount };

    explicit JournalCellModel(QObject* parent = nullptr);

    // Column heads, and the shown names of the outcomes in the order of
    // CellOutcome; an outcome without one is shown by OutcomeName.
    void SetTexts(const QStringList& heads, const QStringList& outcomeNames);
    void SetCells(QList<JournalCell> cells);
    const QList<JournalCell>& Cells() const { return cells_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<JournalCell> cells_;
    QStringList heads_;
    QStringList outcomeNames_;
};

}  // namespace kestrel
