#include "TeamJournal.h"

#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#include "JournalSender.h"
#include "TeamRecord.h"
#include "TeamSchema.h"

namespace kestrel {

namespace {

bool Newer(const JournalEntry& a, const JournalEntry& b) {
    return a.time > b.time;
}

}  // namespace

TeamJournal::TeamJournal(QString localPath, TeamServer server, QObject* parent)
    : QObject(parent), server_(std::move(server)) {
    if (!server_.IsSet())
        return;
    // A listening link that broke is made again, and History reads what
    // arrived meanwhile.
    relisten_ = new QTimer(this);
    relisten_->setSingleShot(true);
    connect(relisten_, &QTimer::timeout, this, [this] {
        if (Reader())
            emit EntriesArrived();
        else
            Relisten();
    });
    sender_ = new JournalSender(std::move(localPath), server_);
    sender_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, sender_, &QObject::deleteLater);
    connect(sender_, &JournalSender::Passed, this, &TeamJournal::OnPassed);
    thread_.setObjectName(QStringLiteral("team journal"));
    thread_.start();
    Recorded();
}

TeamJournal::~TeamJournal() {
    if (sender_) {
        // Before quit: once the thread ends it deletes the sender.
        sender_->Abort();
        thread_.quit();
        thread_.wait();
    }
}

void TeamJournal::Recorded() {
    if (sender_)
        QMetaObject::invokeMethod(sender_, &JournalSender::Send, Qt::QueuedConnection);
}

void TeamJournal::SetRetry(int firstMs, int lastMs) {
    firstRetryMs_ = relistenMs_ = firstMs;
    if (sender_) {
        QMetaObject::invokeMethod(sender_, [sender = sender_, firstMs, lastMs] {
            sender->SetRetry(firstMs, lastMs);
            sender->Send();
        });
    }
}

void TeamJournal::OnPassed(int waiting, TeamProblem problem, const QString& detail) {
    if (waiting == waiting_ && problem == problem_ && detail == detail_)
        return;
    const bool back = problem_ != TeamProblem::None && problem == TeamProblem::None;
    waiting_ = waiting;
    problem_ = problem;
    detail_ = detail;
    if (back && relisten_ && relisten_->isActive())
        relisten_->start(0);
    emit WaitingChanged();
}

PgLink* TeamJournal::Reader() {
    if (!server_.IsSet())
        return nullptr;
    if (reader_ && reader_->Broken()) {
        delete heard_;
        heard_ = nullptr;
        reader_.reset();
    }
    // While the sender cannot reach the server, History does not wait for
    // it either; the listener tries again when the sender is through.
    if (!reader_ && problem_ == TeamProblem::Unreachable) {
        Relisten();
        return nullptr;
    }
    if (!reader_) {
        TeamError error{TeamProblem::None, QString()};
        reader_ = PgLink::Connect(server_, &error);
        try {
            if (!reader_)
                throw error;
            if (TeamSchemaVersion(*reader_) < kTeamSchemaVersion)
                PrepareTeamSchema(*reader_);
            reader_->RunScript(QStringLiteral("LISTEN kestrel_entries"));
        } catch (const TeamError& e) {
            reader_.reset();
            readerProblem_ = e;
            Relisten();
            return nullptr;
        }
        relistenMs_ = firstRetryMs_;
        heard_ = new QSocketNotifier(reader_->Socket(), QSocketNotifier::Read, this);
        connect(heard_, &QSocketNotifier::activated, this, [this] {
            if (reader_ && reader_->TakeNotifications())
                emit EntriesArrived();
            if (reader_ && reader_->Broken()) {
                heard_->setEnabled(false);
                Relisten();
            }
        });
    }
    return reader_.get();
}

TeamError TeamJournal::ReaderProblem() const {
    // While the sender cannot reach the server, that is the reason for both.
    return problem_ == TeamProblem::Unreachable ? TeamError{problem_, detail_} : readerProblem_;
}

void TeamJournal::Relisten() {
    if (relisten_->isActive())
        return;
    relisten_->start(relistenMs_);
    // Each try waits on the main thread; a server away is tried less often.
    relistenMs_ = std::min(relistenMs_ * 2, 60000);
}

QList<JournalEntry> TeamJournal::Entries(CopyJournal& local, const JournalFilter& filter,
                                         TeamError* problem) {
    *problem = {TeamProblem::None, QString()};
    QList<JournalEntry> entries = local.Entries(filter);
    if (!server_.IsSet())
        return entries;
    PgLink* reader = Reader();
    if (!reader) {
        *problem = ReaderProblem();
        return entries;
    }
    try {
        QList<JournalEntry> team = team::Entries(*reader, filter, kHistoryRows);
        // What waits here is not on the server yet, unless it arrived there
        // a moment before this desk marked it sent.
        QSet<QString> held;
        for (const JournalEntry& e : team)
            held.insert(e.uuid);
        for (const JournalEntry& e : entries) {
            if (e.waiting && !held.contains(e.uuid))
                team.append(e);
        }
        std::stable_sort(team.begin(), team.end(), Newer);
        return team;
    } catch (const TeamError& e) {
        *problem = e;
        return entries;
    }
}

QList<JournalCell> TeamJournal::Cells(CopyJournal& local, const JournalEntry& entry) {
    if (entry.id != 0)
        return local.Cells(entry.id);
    PgLink* reader = Reader();
    if (!reader)
        throw ReaderProblem();
    return team::Cells(*reader, entry.uuid);
}

QHash<QString, LastChange> TeamJournal::LastChanges(CopyJournal& local, const QString& exchange,
                                                    const QStringList& trunks) {
    QHash<QString, LastChange> changes = local.LastChanges(exchange, trunks);
    PgLink* reader = Reader();
    if (!reader)
        return changes;
    try {
        const QHash<QString, LastChange> team = team::LastChanges(*reader, exchange, trunks);
        for (auto it = team.begin(); it != team.end(); ++it) {
            auto mine = changes.find(it.key());
            if (mine == changes.end() || mine->time < it->time)
                changes.insert(it.key(), it.value());
        }
    } catch (const TeamError&) {
        // The local record is all there is to say then.
    }
    return changes;
}

std::optional<JournalEntry> TeamJournal::LastCopy(CopyJournal& local, const QString& exchange) {
    std::optional<JournalEntry> mine = local.LastCopy(exchange);
    PgLink* reader = Reader();
    if (!reader)
        return mine;
    try {
        // Undos recorded here and not sent yet count as well.
        QStringList undone;
        for (const JournalEntry& e : local.Entries(exchange)) {
            if (e.kind == u"Undo" && !e.undoOfUuid.isEmpty())
                undone << e.undoOfUuid;
        }
        std::optional<JournalEntry> team = team::LastCopy(*reader, exchange, undone);
        if (!team || (mine && mine->time >= team->time))
            return mine;
        team->id = local.IdOf(team->uuid);
        if (team->id == 0)
            team->id = local.Receive(*team, team::Cells(*reader, team->uuid));
        return team;
    } catch (const TeamError&) {
        return mine;
    }
}

}  // namespace kestrel
