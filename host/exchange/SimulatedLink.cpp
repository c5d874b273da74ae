#include "SimulatedLink.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

#include "SimulatedExchange.h"
#include "platform/Logging.h"
#include "platform/RunError.h"

namespace kestrel {

// The longest a fast exchange holds executed entries before committing them.
constexpr qint64 kCommitEveryMs = 5;

// Executes requests on the worker thread with its own database connection.
class ExchangeWorker {
public:
    ExchangeWorker(QString folder, QString seed)
        : folder_(std::move(folder)), seed_(std::move(seed)) {}

    cListRequest Execute(const cListRequest& request, std::atomic<bool>& cancel,
                         const std::function<void(int, int)>& progress) {
        cListRequest answer = request;
        answer.Clear();
        std::unique_ptr<SimulatedExchange> exchange;
        ExchangeFaults faults;
        try {
            exchange = SimulatedExchange::Open(folder_, request.PBXName(), seed_);
            faults = exchange->Faults();
        } catch (const RunError&) {
            for (int i = 0; i < request.Count(); ++i) {
                answer.AddToList(request.CMD(i), request.FirstData(i),
                                 QStringLiteral("OPX_SYSERROR"), QStringLiteral("OPX_SYSERROR"));
            }
            answer.SetErrCode(99);
            return answer;
        }
        bool cancelled = false;
        std::vector<AnswerEntry> lines;
        const int total = request.Count();
        // Entries are applied and committed as they are executed, and only
        // what is committed is reported done: a host killed mid-request
        // leaves every entry reported on the exchange. A fast exchange
        // commits a few milliseconds' worth at a time, a slow one each entry.
        QElapsedTimer sinceCommit;
        sinceCommit.start();
        bool open = false;
        int executed = 0;
        int reported = 0;
        auto commit = [&](int done) {
            reported = done;
            if (open) {
                try {
                    exchange->Commit();
                } catch (const RunError&) {
                    answer.SetErrCode(99);
                }
                open = false;
            }
            if (progress)
                progress(done, total);
            sinceCommit.restart();
        };
        for (int i = 0; i < total; ++i) {
            if (cancel.load() || (faults.cancelAfter >= 0 && i >= faults.cancelAfter)) {
                cancelled = true;
            }
            if (cancelled) {
                lines.push_back({request.CMD(i), request.FirstData(i),
                                 QStringLiteral("OPX_USERCANCEL"),
                                 QStringLiteral("OPX_USERCANCEL")});
                continue;
            }
            if (faults.entryDelayMs > 0)
                QThread::msleep(static_cast<unsigned>(faults.entryDelayMs));
            if (faults.linkFailEntries.contains(i)) {
                lines.push_back({request.CMD(i), request.FirstData(i), faults.linkFailText,
                                 faults.linkFailText});
            } else {
                try {
                    if (!open) {
                        exchange->Begin();
                        open = true;
                    }
                    exchange->Answer(request.CMD(i), request.FirstData(i), request.SecondData(i),
                                     lines);
                } catch (const RunError&) {
                    lines.push_back({request.CMD(i), request.FirstData(i),
                                     QStringLiteral("OPX_SYSERROR"),
                                     QStringLiteral("OPX_SYSERROR")});
                }
            }
            executed = i + 1;
            if (faults.entryDelayMs > 0 || sinceCommit.elapsed() >= kCommitEveryMs)
                commit(executed);
        }
        // Entries cancelled were never executed: they are not reported done.
        if (open || executed > reported)
            commit(executed);
        QStringList cmd, fd, sd, ed;
        const qsizetype n =
            std::min<qsizetype>(static_cast<qsizetype>(lines.size()), cListRequest::kMaxCount);
        for (qsizetype i = 0; i < n; ++i) {
            cmd.append(lines[i].cmd);
            fd.append(lines[i].firstData);
            sd.append(lines[i].secondData);
            ed.append(lines[i].extraData);
        }
        const QStringList empty(n, QString());
        answer.SetLists(cmd, fd, sd, ed, empty, empty, empty, empty);
        if (answer.ErrCode() == 0)
            answer.SetErrCode(faults.errCode);
        if (cancelled && answer.ErrCode() == 0)
            answer.SetErrCode(61);
        return answer;
    }

private:
    QString folder_;
    QString seed_;
};

SimulatedLink::SimulatedLink(QString folder, QString seedPath, QObject* parent)
    : StandaloneLink(parent),
      folder_(std::move(folder)),
      seedPath_(std::move(seedPath)),
      worker_(std::make_unique<ExchangeWorker>(folder_, seedPath_)) {
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        throw RunError(err::kCannotOpenFile,
                       QStringLiteral("The exchange link cannot make its wake-up descriptor."));
    wake_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(wake_, &QSocketNotifier::activated, this, [this] {
        eventfd_t count = 0;
        eventfd_read(wakeFd_, &count);
        DeliverOutcomes();
    });
    thread_ = std::thread([this] { RunJobs(); });
}

SimulatedLink::~SimulatedLink() {
    for (const Request& request : std::as_const(requests_))
        request.cancel->store(true);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_one();
    thread_.join();
    delete wake_;
    close(wakeFd_);
}

QString SimulatedLink::Login(const QString& pbxName, CallBackTarget* callback) {
    if (!callback)
        return QStringLiteral("ERROR");
    try {
        auto exchange = SimulatedExchange::Open(folder_, pbxName, seedPath_);
        QString fixed = exchange->Faults().loginReply;
        if (!fixed.isEmpty())
            return fixed;
    } catch (const RunError& e) {
        qCWarning(lcHostlink, "The simulated exchange %s cannot be opened for a login: %s",
                  qUtf8Printable(pbxName), qUtf8Printable(e.Description()));
        return QStringLiteral("ERROR");
    }
    QString id = QStringLiteral("LOGIN%1").arg(++nextLogin_);
    logins_.insert(id, callback);
    return id;
}

QString SimulatedLink::SendRequest(cListRequest& request) {
    if (!logins_.contains(request.LoginID()))
        return QStringLiteral("ERROR");
    try {
        auto exchange = SimulatedExchange::Open(folder_, request.PBXName(), seedPath_);
        QString fixed = exchange->Faults().sendReply;
        if (!fixed.isEmpty())
            return fixed;
    } catch (const RunError& e) {
        qCWarning(lcHostlink, "The simulated exchange %s cannot be opened for a request: %s",
                  qUtf8Printable(request.PBXName()), qUtf8Printable(e.Description()));
        return QStringLiteral("ERROR");
    }
    QString requestId = QStringLiteral("REQ%1").arg(++nextRequest_);
    cListRequest copy = request;
    copy.SetRequestID(requestId);
    // A fresh flag per request: nothing cancelled before reaches it.
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const QString loginId = copy.LoginID();
    requests_.insert(requestId, Request{loginId, cancel});
    emit requestStarted(copy.PBXName(), copy.Count());
    emit requestProgress(requestId, loginId, 0, copy.Count());
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(Job{requestId, loginId, std::move(copy), cancel});
    }
    jobReady_.notify_one();
    return requestId;
}

// Jobs and their results cross between the threads only through the two
// queues under mutex_, and the worker wakes this thread through an eventfd:
// no event object built on one thread is read on the other, so a race
// checker sees every hand-over.
void SimulatedLink::RunJobs() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        auto report = [this, &job](int done, int total) {
            Post(Outcome{job.requestId, job.loginId, done, total, std::nullopt});
        };
        cListRequest answer = worker_->Execute(job.request, *job.cancel, report);
        Post(Outcome{job.requestId, job.loginId, 0, 0, std::move(answer)});
    }
}

void SimulatedLink::Post(Outcome outcome) {
    {
        std::lock_guard lock(mutex_);
        outcomes_.push_back(std::move(outcome));
    }
    eventfd_write(wakeFd_, 1);
}

void SimulatedLink::DeliverOutcomes() {
    for (;;) {
        Outcome outcome;
        {
            std::lock_guard lock(mutex_);
            // A report that a newer one of the same request has overtaken is
            // not worth a repaint: a fast exchange would flood the window.
            while (outcomes_.size() > 1 && !outcomes_[0].answer && !outcomes_[1].answer &&
                   outcomes_[0].requestId == outcomes_[1].requestId) {
                outcomes_.pop_front();
            }
            if (outcomes_.empty())
                return;
            outcome = std::move(outcomes_.front());
            outcomes_.pop_front();
        }
        if (outcome.answer) {
            Deliver(outcome.requestId, std::move(*outcome.answer));
        } else {
            emit progress(outcome.done, outcome.total);
            emit requestProgress(outcome.requestId, outcome.loginId, outcome.done, outcome.total);
        }
    }
}

void SimulatedLink::Deliver(const QString& requestId, cListRequest answer) {
    const Request request = requests_.take(requestId);
    emit requestFinished(answer.PBXName(), answer.ErrCode());
    emit requestEnded(requestId, request.loginId, answer.ErrCode());
    CallBackTarget* target = logins_.value(request.loginId, nullptr);
    if (target)
        target->CallBack(answer);
}

void SimulatedLink::LogOut(const QString& /*pbxName*/, const QString& loginId) {
    logins_.remove(loginId);
}

QString SimulatedLink::GetMPVersion(const QString& pbxName) {
    return SimulatedExchange::Open(folder_, pbxName, seedPath_)->Processor();
}

void SimulatedLink::Cancel() {
    for (const Request& request : std::as_const(requests_))
        request.cancel->store(true);
}

bool SimulatedLink::CancelRequest(const QString& requestId) {
    const auto found = requests_.constFind(requestId);
    if (found == requests_.constEnd())
        return false;
    found->cancel->store(true);
    return true;
}

int SimulatedLink::CancelLogin(const QString& loginId) {
    int cancelled = 0;
    for (const Request& request : std::as_const(requests_)) {
        if (request.loginId == loginId) {
            request.cancel->store(true);
            ++cancelled;
        }
    }
    return cancelled;
}

}  // namespace kestrel
