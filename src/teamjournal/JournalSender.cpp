#include "JournalSender.h"

#include <QLoggingCategory>
#include <QTimer>

#include <sys/socket.h>

#include "TeamRecord.h"
#include "TeamSchema.h"
#include "platform/RunError.h"
#include "safetynet/CopyJournal.h"

Q_LOGGING_CATEGORY(lcTeam, "kestrel.team")

namespace kestrel {

namespace {
// Entries taken from the local journal at a time.
constexpr int kBatch = 50;
}  // namespace

JournalSender::JournalSender(QString journalPath, TeamServer server, QObject* parent)
    : QObject(parent), journalPath_(std::move(journalPath)), server_(std::move(server)) {
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, &JournalSender::Send);
}

JournalSender::~JournalSender() = default;

void JournalSender::SetRetry(int firstMs, int lastMs) {
    firstMs_ = nextMs_ = firstMs;
    lastMs_ = lastMs;
}

void JournalSender::Abort() {
    const int socket = socket_.load();
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}

bool JournalSender::Ready(TeamError* error) {
    if (!journal_) {
        QString why;
        journal_ = CopyJournal::Open(journalPath_, &why);
        if (!journal_) {
            *error = {TeamProblem::Refused, why};
            return false;
        }
    }
    if (link_ && link_->Broken())
        link_.reset();
    if (!link_) {
        socket_ = -1;
        link_ = PgLink::Connect(server_, error);
        if (!link_)
            return false;
        socket_ = link_->Socket();
        try {
            PrepareTeamSchema(*link_);
        } catch (const TeamError& e) {
            *error = e;
            link_.reset();
            return false;
        }
    }
    return true;
}

void JournalSender::Send() {
    retry_->stop();
    TeamError error{TeamProblem::None, QString()};
    int waiting = 0;
    try {
        if (Ready(&error)) {
            for (QList<JournalEntry> batch = journal_->Outbox(kBatch); !batch.isEmpty();
                 batch = journal_->Outbox(kBatch)) {
                for (const JournalEntry& entry : batch) {
                    team::Send(*link_, entry, journal_->Cells(entry.id));
                    journal_->MarkSent(entry.id);
                }
            }
        }
    } catch (const TeamError& e) {
        error = e;
        if (link_ && link_->Broken())
            link_.reset();
    } catch (const RunError& e) {
        error = {TeamProblem::Refused, e.Description()};
    }
    try {
        waiting = journal_ ? journal_->WaitingCount() : 0;
    } catch (const RunError&) {
        waiting = -1;
    }
    if (error.problem == TeamProblem::None) {
        nextMs_ = firstMs_;
    } else {
        // The window says it; the log keeps the server's words, once a change.
        if (error.detail != lastDetail_)
            qCInfo(lcTeam, "The team journal cannot be sent to: %s", qUtf8Printable(error.detail));
        retry_->start(nextMs_);
        nextMs_ = std::min(nextMs_ * 2, lastMs_);
    }
    lastDetail_ = error.detail;
    emit Passed(waiting, error.problem, error.detail);
}

}  // namespace kestrel
