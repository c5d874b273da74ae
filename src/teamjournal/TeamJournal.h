#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <memory>
#include <optional>

#include "PgLink.h"
#include "TeamServer.h"
#include "safetynet/CopyJournal.h"

class QSocketNotifier;
class QTimer;

namespace kestrel {

class JournalSender;

// The journal as the engineer sees it: the local file alone, or, when the
// settings name a team's server, the team's record on it with what this desk
// recorded and has not sent yet. Every copy is recorded locally first; a
// worker thread sends it on.
class TeamJournal : public QObject {
    Q_OBJECT

public:
    // History shows at most this many of the newest entries that pass its
    // filters: a team's years of entries would take a second to fetch, and
    // nobody reads that far down a list (the filters find older ones).
    static constexpr int kHistoryRows = 2000;

    TeamJournal(QString localPath, TeamServer server, QObject* parent = nullptr);
    ~TeamJournal() override;

    bool HasServer() const { return server_.IsSet(); }
    const TeamServer& Server() const { return server_; }
    // Entries recorded here and not on the server yet (-1 until the sender
    // has looked), and why they wait (None while they are being sent).
    int Waiting() const { return waiting_; }
    TeamProblem Problem() const { return problem_; }
    const QString& ProblemDetail() const { return detail_; }

    // An entry was recorded or ended: send it now.
    void Recorded();
    // How soon sending is tried again after a failure (JournalSender::SetRetry).
    void SetRetry(int firstMs, int lastMs);

    // History's entries, newest first: the server's passing the filter with
    // this desk's waiting ones (marked `waiting`); the local journal's when
    // there is no server or it cannot be read (then `problem` says why).
    QList<JournalEntry> Entries(CopyJournal& local, const JournalFilter& filter,
                                TeamError* problem);
    QList<JournalCell> Cells(CopyJournal& local, const JournalEntry& entry);
    // By destination trunk, the newest copy or undo that wrote it, anyone's.
    QHash<QString, LastChange> LastChanges(CopyJournal& local, const QString& exchange,
                                           const QStringList& trunks);
    // The newest copy of the exchange nobody has undone, anyone's, kept in
    // the local journal so that an undo can name it there.
    std::optional<JournalEntry> LastCopy(CopyJournal& local, const QString& exchange);

signals:
    // The count of waiting entries or the reason changed.
    void WaitingChanged();
    // Some desk's entry reached the server.
    void EntriesArrived();

private:
    PgLink* Reader();
    void Relisten();
    // Why History cannot read the server now.
    TeamError ReaderProblem() const;
    void OnPassed(int waiting, TeamProblem problem, const QString& detail);

    TeamServer server_;
    QThread thread_;
    JournalSender* sender_ = nullptr;
    std::unique_ptr<PgLink> reader_;
    QSocketNotifier* heard_ = nullptr;
    QTimer* relisten_ = nullptr;
    TeamError readerProblem_{TeamProblem::None, QString()};
    int firstRetryMs_ = 5000;
    int relistenMs_ = 5000;
    int waiting_ = -1;
    TeamProblem problem_ = TeamProblem::None;
    QString detail_;
};

}  // namespace kestrel
