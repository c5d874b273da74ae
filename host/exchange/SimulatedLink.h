#pragma once

#include <QHash>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "hostlink/HostProgramme.h"
#include "hostlink/StandaloneLink.h"
#include "hostlink/cListRequest.h"

namespace kestrel {

class ExchangeWorker;

// The exchange link of a host on simulated exchanges: logins, requests
// executed entry by entry on a worker thread, and answers delivered later
// through the login's call-back on this object's thread, never inside
// SendRequest. Also answers processor versions.
//
// Every request carries its own cancel flag, so cancelling one request
// (the engineer's cancel of one window) leaves the others on the link
// untouched, and a new request never starts cancelled. A cancelled request
// answers "OPX_USERCANCEL" in both answer texts for every entry not yet done
// and ErrCode 61, as the exchange does when its user cancels.
//
// Progress of one request: requestProgress(requestId, loginId, done, total)
// is emitted with done 0 when the request is accepted (inside SendRequest)
// and then as entries complete; requestEnded(requestId, loginId, errCode)
// follows once, right before the answer reaches the call-back. A standalone
// window takes the request id from SendRequest's reply (or from the signal)
// and cancels with CancelRequest, or cancels everything its login has under
// way with CancelLogin. The older progress(done, total), requestStarted and
// requestFinished signals still report every request of the link.
class SimulatedLink : public StandaloneLink, public ProcessorInfo {
    Q_OBJECT

public:
    // folder holds the exchange files (ending in a separator); seedPath is
    // the template of new exchanges.
    SimulatedLink(QString folder, QString seedPath, QObject* parent = nullptr);
    ~SimulatedLink() override;

    QString Login(const QString& pbxName, CallBackTarget* callback) override;
    QString SendRequest(cListRequest& request) override;
    void LogOut(const QString& pbxName, const QString& loginId) override;
    QString GetMPVersion(const QString& pbxName) override;

    // The host's cancel button: every request under way is cancelled, each
    // through its own flag; requests sent afterwards run normally.
    void Cancel();
    // Cancels one request under way by the id SendRequest answered; false
    // when no such request is under way (unknown, or already answered).
    bool CancelRequest(const QString& requestId) override;
    // Cancels every request under way of one login; the number cancelled.
    int CancelLogin(const QString& loginId);
    bool RequestUnderWay() const { return !requests_.isEmpty(); }
    const QString& Folder() const { return folder_; }
    const QString& SeedPath() const { return seedPath_; }

signals:
    void requestStarted(const QString& pbxName, int entries);
    void progress(int done, int total);
    void requestFinished(const QString& pbxName, int errCode);

private:
    struct Request {
        QString loginId;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    struct Job {
        QString requestId;
        QString loginId;
        cListRequest request;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    // Progress of a request under way, or its answer once it has one.
    struct Outcome {
        QString requestId;
        QString loginId;
        int done = 0;
        int total = 0;
        std::optional<cListRequest> answer;
    };
    void RunJobs();
    void Post(Outcome outcome);
    void DeliverOutcomes();
    void Deliver(const QString& requestId, cListRequest answer);

    QString folder_;
    QString seedPath_;
    std::unique_ptr<ExchangeWorker> worker_;
    QHash<QString, CallBackTarget*> logins_;
    // Requests accepted and not yet answered, by request id.
    QHash<QString, Request> requests_;
    int nextLogin_ = 0;
    int nextRequest_ = 0;

    std::mutex mutex_;
    std::condition_variable jobReady_;
    std::deque<Job> jobs_;
    std::deque<Outcome> outcomes_;
    bool stopping_ = false;
    int wakeFd_ = -1;
    QSocketNotifier* wake_ = nullptr;
    std::thread thread_;
};

}  // namespace kestrel
