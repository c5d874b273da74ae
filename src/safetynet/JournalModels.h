#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include "CopyJournal.h"

namespace kestrel {

// The journal's entries, one row each in the order given (newest first):
// time, kind, exchange, source trunk, destinations, summary.
class JournalEntryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTime, kKind, kExchange, kSource, kDestinations, kSummary, kColumnCount };

    explicit JournalEntryModel(QObject* parent = nullptr);

    // Column heads, and the shown names of the kinds "Preview", "Copy", "Undo" in
    // that order; a kind without a shown name is shown as stored.
    void SetTexts(const QStringList& heads, const QStringList& kindNames);
    void SetEntries(QList<JournalEntry> entries);
    const JournalEntry& Entry(int row) const { return entries_.at(row); }

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
