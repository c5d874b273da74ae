#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>

#include "HostProgramme.h"
#include "cListRequest.h"

namespace kestrel {

class WindowState;

// Continuation steps, carried as decimal text in a request's Tag.
namespace step {
constexpr std::int16_t kReadSourceAgain = 0;
constexpr std::int16_t kCopyAnswered = 10;
constexpr std::int16_t kListupAnswered = 11;
constexpr std::int16_t kDestinationsChecked = 12;
constexpr std::int16_t kSourceChecked = 13;
constexpr std::int16_t kStationChecked = 14;
constexpr std::int16_t kFailedAnswer = 15;
// The safety net's own continuations.
constexpr std::int16_t kSnapshotRead = 16;
constexpr std::int16_t kVerifyRead = 17;
constexpr std::int16_t kUndoRead = 18;
constexpr std::int16_t kUndoWritten = 19;
}  // namespace step

// Sending: the request has gone to the host, whose reply is awaited; the
// answer may already come meanwhile.
enum class DispatchState {
    Idle,
    LoggingIn,
    Sending,
    WaitingForAnswer,
    PendingDispatch,
    Continuing
};

// Sends one request at a time through the host's link and runs the
// continuation step the answer's Tag names, one timer tick after the host's
// CallBack has returned. Owned by the main window; the operations only
// build requests and register their step routines.
class RequestDispatcher : public QObject, public CallBackTarget {
    Q_OBJECT

public:
    explicit RequestDispatcher(WindowState& window, QObject* parent = nullptr);

    void SetPBXName(const QString& name) { pbxName_ = name; }
    const QString& PBXName() const { return pbxName_; }
    // The host of an automation start (Parent) and the host object of a
    // standalone start; neither is owned.
    void SetParent(HostProgramme* parent) { parent_ = parent; }
    HostProgramme* Parent() const { return parent_; }
    // The standalone host's reports of its requests reach NoteHostReport.
    void SetStandaloneHost(ExchangeLink* host);
    ExchangeLink* StandaloneHost() const { return standaloneHost_; }

    // Logs in, sends, and disables the window until the answer. False when
    // the host refused (the window is usable again), and when another
    // request is still under way: one request at a time per window.
    bool SendToHost(cListRequest& request);
    // After a send that returned false: tells the engineer that the host
    // refused it (own message 30 with the reply), unless the refusal has
    // already been told or the send was only held back behind another
    // request. Once per refusal.
    void ReportRefused();
    // The engineer's cancel of this window's request `requestId` (the id the
    // host answered its send with): asks the link to cancel it, which ends
    // it with the usual cancelled answer. False when that request is not
    // this window's request under way, or the host could not cancel it.
    bool CancelRequest(const QString& requestId);
    void FinishRequest(const QString& loginID);
    // Takes the answer of the request under way; an answer that arrives
    // while none is (a stray or repeated call-back), or that names another
    // login, is dropped, and so is one of another step unless it is an
    // error answer: the host ends a request it fails under whatever step,
    // so that answer ends the request in flight as failed (step 15). An
    // answer that cannot be used (unreadable, or a text longer than a
    // record holds) is refused: it ends its request as a failed answer with
    // nothing of it kept.
    void CallBack(cListRequest& response) override;
    // How long the window waits for an answer with no word of its request
    // from the host; then the request is given up as failed (step 15) and
    // the engineer told, so that no request keeps the window disabled.
    void SetAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }
    // The host's word of request `requestId` of login `loginId`: progress
    // restarts the wait for the answer, its end leaves the answer a short
    // while to follow. Reports of other requests are ignored.
    void NoteHostReport(const QString& requestId, const QString& loginId, bool ended);
    // The text that refused the last answer taken; empty when it was used.
    const QString& RefusedAnswer() const { return refusedAnswer_; }
    // Why the last answer failed: the refusal, or "ErrCode n".
    QString FailureReason() const;
    // A request has been started and its answer not yet taken.
    bool RequestInFlight() const;
    // A host's progress report (or end) of request `requestId` under login
    // `loginId` is of this dispatcher's request in flight; a host reports
    // every request of every login it serves.
    bool OwnsReport(const QString& requestId, const QString& loginId) const {
        return !requestId.isEmpty() && RequestInFlight() && loginId == currentLoginId_;
    }
    // A host call of this dispatcher is waiting for its reply.
    bool InHostCall() const { return hostCalls_ > 0; }
    // Runs `stepCode` on the next timer tick, as an answer would; refused
    // (false) unless the dispatcher is idle, so that a pending answer's step
    // is never replaced.
    bool ScheduleStep(std::int16_t stepCode);

    // The answer to the next request sent runs its step at the next turn of
    // the event loop rather than after the timer's interval: for the safety
    // net's many requests, where every wait adds to the engineer's.
    void AnswerNextAtOnce() { nextAtOnce_ = true; }

    // The routine a step runs; a step without one runs nothing.
    void RegisterStep(std::int16_t stepCode, std::function<void()> routine);
    // The routine step 15 runs, after the host's message line, when the
    // failed answer was that of a request of `stepCode`: its operation
    // tells the engineer what became of it.
    void RegisterFailure(std::int16_t stepCode, std::function<void()> routine);
    // Step 15: the host's message line, then the failed request's routine.
    void OnFailedAnswer();
    // Step 15: tells the host's message line about port and system faults.
    void ReportFailedAnswer();

    void TurnFlow(bool value);
    void IncrementCount() { ++liveObjects_; }
    std::int16_t DecrementCount() { return --liveObjects_; }
    std::int16_t LiveObjects() const { return liveObjects_; }

    const cListRequest& ResponseList() const { return responseList_; }
    std::int16_t PendingStep() const { return pendingStep_; }
    bool LastAnswerIs61() const { return lastAnswerIs61_; }
    const QString& CurrentLoginID() const { return currentLoginId_; }
    // The step of the request in flight (its Tag).
    const QString& SentTag() const { return sentTag_; }
    const QString& SendReply() const { return sendReply_; }
    DispatchState State() const { return state_; }
    QTimer& tmrEvent() { return timer_; }

    // The host's message line; nothing in a standalone start or without a
    // host, and the host's failures are ignored.
    void ShowHostMessage(const QString& text);
    void ShowHostCode(std::int32_t code);

private:
    class HostCall;
    void OnTimer();
    void OnAnswerOverdue();
    void CopyAnswer(const cListRequest& response);
    void StartAnswerTimer();
    ExchangeLink* LinkObject() const;

    WindowState& window_;
    QString pbxName_;
    HostProgramme* parent_ = nullptr;
    ExchangeLink* standaloneHost_ = nullptr;
    QString currentLoginId_;
    QString sendReply_;
    QString sentTag_;  // the step of the request in flight
    cListRequest responseList_;
    bool lastAnswerIs61_ = false;
    std::int16_t pendingStep_ = 0;
    std::int16_t liveObjects_ = 0;
    DispatchState state_ = DispatchState::Idle;
    bool answered_ = false;
    bool nextAtOnce_ = false;  // the next request sent is answered at once
    bool atOnce_ = false;      // the request in flight is
    // How the last send that returned false ended.
    enum class Refusal { None, Told, Reply } refusal_ = Refusal::None;
    QString refusedReply_;
    QString refusedAnswer_;
    int hostCalls_ = 0;
    QTimer timer_;
    QTimer answerWatch_;
    int answerTimeoutMs_;
    bool overdue_ = false;  // the last failed answer is a request given up
    QMetaObject::Connection progressLink_, endLink_;
    std::map<std::int16_t, std::function<void()>> steps_;
    std::map<std::int16_t, std::function<void()>> failures_;
};

}  // namespace kestrel
