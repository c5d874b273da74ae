#include "RequestDispatcher.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "HostCalls.h"
#include "RecordLimits.h"
#include "StandaloneLink.h"
#include "WindowState.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Logging.h"
#include "platform/RunError.h"
#include "startup/Globals.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

constexpr int kTimerIntervalMs = 100;

// The pause before an answer's step: 100 ms, or less when
// KESTREL_STEP_INTERVAL_MS asks for it (0 to 100), so that the test suite
// and the soak need not sit out every pause of every request.
int StepIntervalMs() {
    static const int interval = [] {
        bool ok = false;
        const int asked = qEnvironmentVariableIntValue("KESTREL_STEP_INTERVAL_MS", &ok);
        return ok && asked >= 0 && asked <= kTimerIntervalMs ? asked : kTimerIntervalMs;
    }();
    return interval;
}
// Without a word of its request from the host for this long, a request is
// given up; once the host has said it ended, its answer has this long to
// come. Progress reports restart the first wait.
constexpr int kAnswerTimeoutMs = 10 * 60 * 1000;
constexpr int kAnswerAfterEndMs = 5000;
// A wait that runs out during a host call looks again this much later.
constexpr int kRecheckMs = 1000;

bool Refused(const QString& reply) {
    return reply.isEmpty() || reply == u"BUSY" || reply == u"ERROR";
}

// The Tag as a 16-bit step; nothing when it is not a number in range.
std::optional<std::int16_t> StepFromTag(const QString& tag) {
    bool ok = false;
    const double value = tag.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);  // halves go to even
    if (rounded < -32768 || rounded > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

RequestDispatcher::RequestDispatcher(WindowState& window, QObject* parent)
    : QObject(parent), window_(window), answerTimeoutMs_(kAnswerTimeoutMs) {
    timer_.setObjectName(QStringLiteral("tmrEvent"));
    timer_.setInterval(StepIntervalMs());
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RequestDispatcher::OnTimer);
    answerWatch_.setSingleShot(true);
    connect(&answerWatch_, &QTimer::timeout, this, &RequestDispatcher::OnAnswerOverdue);
    RegisterStep(step::kFailedAnswer, [this] { OnFailedAnswer(); });
}

// Counts a host call of the dispatcher while it waits: the event loop runs
// meanwhile, and the continuation of an answer must not run inside it.
class RequestDispatcher::HostCall {
public:
    explicit HostCall(int& calls) : calls_(calls) { ++calls_; }
    ~HostCall() { --calls_; }
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

private:
    int& calls_;
};

void RequestDispatcher::SetStandaloneHost(ExchangeLink* host) {
    standaloneHost_ = host;
    disconnect(progressLink_);
    disconnect(endLink_);
    if (auto* link = dynamic_cast<StandaloneLink*>(host)) {
        progressLink_ = connect(link, &StandaloneLink::requestProgress, this,
                                [this](const QString& requestId, const QString& loginId) {
                                    NoteHostReport(requestId, loginId, false);
                                });
        endLink_ = connect(link, &StandaloneLink::requestEnded, this,
                           [this](const QString& requestId, const QString& loginId) {
                               NoteHostReport(requestId, loginId, true);
                           });
    }
}

void RequestDispatcher::NoteHostReport(const QString& requestId, const QString& loginId,
                                       bool ended) {
    if (!answerWatch_.isActive() || !OwnsReport(requestId, loginId))
        return;
    // Before the send's reply the id is not known yet; after it, only this
    // window's request counts.
    if (state_ == DispatchState::WaitingForAnswer && requestId != sendReply_)
        return;
    answerWatch_.start(ended ? std::min(kAnswerAfterEndMs, answerTimeoutMs_) : answerTimeoutMs_);
}

ExchangeLink* RequestDispatcher::LinkObject() const {
    if (g_Standalone)
        return standaloneHost_;
    return parent_ ? parent_->oPBX() : nullptr;
}

void RequestDispatcher::ShowHostMessage(const QString& text) {
    if (g_Standalone || !parent_)
        return;
    const HostCall call(hostCalls_);
    // The message line is the host's; its failure changes nothing here.
    TryHostCall("to show a message", [&] { parent_->ShowMessage(text); });
}

void RequestDispatcher::ShowHostCode(std::int32_t code) {
    if (g_Standalone || !parent_)
        return;
    const HostCall call(hostCalls_);
    TryHostCall("to show the completion code", [&] { parent_->ShowCode(code); });
}

bool RequestDispatcher::RequestInFlight() const {
    return state_ == DispatchState::LoggingIn || state_ == DispatchState::Sending ||
           state_ == DispatchState::WaitingForAnswer;
}

bool RequestDispatcher::ScheduleStep(std::int16_t stepCode) {
    if (state_ != DispatchState::Idle || timer_.isActive())
        return false;
    pendingStep_ = stepCode;
    state_ = DispatchState::PendingDispatch;
    timer_.start();
    return true;
}

bool RequestDispatcher::SendToHost(cListRequest& request) {
    refusal_ = Refusal::None;
    if (RequestInFlight()) {
        nextAtOnce_ = false;
        return false;  // started from inside a host call of the request under way
    }
    state_ = DispatchState::LoggingIn;
    answered_ = false;
    overdue_ = false;
    window_.SetHourglass(true);
    ExchangeLink* link = LinkObject();
    try {
        if (!link) {
            throw ObjectNotSet();
        }
        const HostCall call(hostCalls_);
        currentLoginId_ = link->Login(pbxName_, this);
    } catch (const RunError&) {
        window_.SetHourglass(false);
        if (!window_.IsEnabled())
            window_.SetEnabled(true);
        state_ = DispatchState::Idle;
        ShowHostMessage(Msg(text::kExchangeLink) + u' ' + currentLoginId_);
        LangMsgBox(kCommonSource, msgbox::common::kLinkBusy, QString(), Msg(text::kLinkBoxTitle));
        refusal_ = Refusal::Told;
        return false;
    }

    ShowHostMessage(Msg(text::kExchangeLink) + QStringLiteral(": ") + currentLoginId_);
    if (Refused(currentLoginId_)) {
        window_.SetHourglass(false);
        state_ = DispatchState::Idle;
        refusal_ = Refusal::Reply;
        refusedReply_ = currentLoginId_;
        return false;
    }
    request.SetLoginID(currentLoginId_);
    request.SetPBXName(pbxName_);
    sentTag_ = request.Tag();
    atOnce_ = std::exchange(nextAtOnce_, false);
    // From the send on, the answer may come at any moment, even while a later
    // host call of this send waits: the window takes no input from here until
    // the answer has been dealt with, and nothing after it disables it again.
    state_ = DispatchState::Sending;
    window_.SetEnabled(false);
    answerWatch_.start(answerTimeoutMs_);
    // A request the host could not take counts as refused.
    if (!TryHostCall("to take the request", [&] {
            const HostCall call(hostCalls_);
            sendReply_ = link->SendRequest(request);
        }))
        sendReply_.clear();
    const bool accepted = answered_ || !Refused(sendReply_);
    if (accepted && state_ == DispatchState::Sending)
        state_ = DispatchState::WaitingForAnswer;
    ShowHostMessage(Msg(text::kExchangeLink) + QStringLiteral(": ") + sendReply_);
    if (accepted)
        return true;
    FinishRequest(currentLoginId_);
    refusal_ = Refusal::Reply;
    refusedReply_ = sendReply_;
    return false;
}

bool RequestDispatcher::CancelRequest(const QString& requestId) {
    // Only while the answer is awaited: a request not yet sent has no id,
    // and one already answered is over.
    if (requestId.isEmpty() || !RequestInFlight() || Refused(requestId))
        return false;
    if (state_ == DispatchState::WaitingForAnswer && requestId != sendReply_)
        return false;  // not the request this window sent
    ExchangeLink* link = LinkObject();
    if (!link)
        return false;
    bool cancelled = false;
    const HostCall call(hostCalls_);
    TryHostCall("to cancel the request", [&] { cancelled = link->CancelRequest(requestId); });
    return cancelled;
}

void RequestDispatcher::ReportRefused() {
    if (refusal_ != Refusal::Reply)
        return;
    refusal_ = Refusal::Told;
    LangMsgBox(kOwnSource, msgbox::own::kRequestRefused,
               refusedReply_.isEmpty() ? Msg(text::kNoReply) : refusedReply_, kProductTitle);
}

QString RequestDispatcher::FailureReason() const {
    if (!refusedAnswer_.isEmpty())
        return refusedAnswer_;
    return QStringLiteral("ErrCode %1").arg(responseList_.ErrCode());
}

void RequestDispatcher::FinishRequest(const QString& loginID) {
    // The host's failure to end a login leaves nothing for us to undo.
    if (ExchangeLink* link = LinkObject()) {
        const HostCall call(hostCalls_);
        TryHostCall("to end the login", [&] { link->LogOut(pbxName_, loginID); });
    }
    answerWatch_.stop();
    window_.SetEnabled(true);
    window_.SetHourglass(false);
    state_ = DispatchState::Idle;
}

void RequestDispatcher::OnAnswerOverdue() {
    if (state_ != DispatchState::Sending && state_ != DispatchState::WaitingForAnswer)
        return;
    if (hostCalls_ > 0) {
        answerWatch_.start(kRecheckMs);  // given up once the host call is back
        return;
    }
    qCWarning(lcHostlink, "No answer came to the request '%s' of login '%s' (step '%s'): given up",
              qUtf8Printable(sendReply_), qUtf8Printable(currentLoginId_),
              qUtf8Printable(sentTag_));
    // The host may still be working on it; an answer that comes later is
    // dropped as nobody's.
    if (ExchangeLink* link = LinkObject(); link && !Refused(sendReply_)) {
        const HostCall call(hostCalls_);
        TryHostCall("to cancel the request", [&] { link->CancelRequest(sendReply_); });
    }
    if (state_ != DispatchState::Sending && state_ != DispatchState::WaitingForAnswer)
        return;  // the answer came during the cancel after all
    answered_ = true;
    overdue_ = true;
    state_ = DispatchState::PendingDispatch;
    refusedAnswer_ = Msg(text::kNoAnswer);
    responseList_.Clear();
    responseList_.SetErrCode(0);
    lastAnswerIs61_ = false;
    ShowHostMessage(refusedAnswer_);
    pendingStep_ = step::kFailedAnswer;
    FinishRequest(currentLoginId_);
    state_ = DispatchState::PendingDispatch;
    StartAnswerTimer();
}

void RequestDispatcher::CallBack(cListRequest& response) {
    // The answer names its login and step; one for another login or another
    // step, or one while no request of ours waits, is not ours to act on.
    const bool waiting =
        state_ == DispatchState::Sending || state_ == DispatchState::WaitingForAnswer;
    // An error answer of our login ends our request, whatever step it
    // names: the host has ended the request, and nothing else would.
    const bool ours = response.Tag() == sentTag_ || response.ErrCode() != 0;
    if (!waiting || response.LoginID() != currentLoginId_ || !ours) {
        qCInfo(lcHostlink, "Dropped an answer nobody asked for: login '%s', step '%s' (%s)",
               qUtf8Printable(response.LoginID()), qUtf8Printable(response.Tag()),
               waiting ? "another request is in flight" : "no request is in flight");
        return;
    }
    answered_ = true;
    overdue_ = false;
    answerWatch_.stop();
    // Taken before the host calls below: their waits may deliver more calls.
    state_ = DispatchState::PendingDispatch;
    refusedAnswer_ = RecordFault(response);
    if (!refusedAnswer_.isEmpty()) {
        // Nothing of it is kept or shown: the request ends as a failed
        // answer, and its operation says what may have become of it.
        responseList_.Clear();
        responseList_.SetErrCode(response.ErrCode());
        lastAnswerIs61_ = false;
        ShowHostMessage(Msg(text::kAnswerRefused) + u' ' + refusedAnswer_);
        pendingStep_ = step::kFailedAnswer;
        FinishRequest(response.LoginID());
        state_ = DispatchState::PendingDispatch;
        StartAnswerTimer();
        return;
    }
    const std::int32_t errCode = response.ErrCode();
    ShowHostCode(errCode);
    if (errCode == 0) {
        ShowHostMessage(Msg(text::kRequestCompleted));
    } else if (errCode == 99) {
        ShowHostMessage(Msg(text::kRequestFailed));
    } else if (errCode == code::kUserCancel) {
        ShowHostMessage(Msg(text::kRequestCancelled));
    } else {
        ShowHostMessage(Msg(text::kRequestEndedWithError));
    }
    CopyAnswer(response);
    // An error answer, also one under another step than the request's, fails
    // the request; its own step runs for a good answer or the user's cancel.
    const bool ownStep = response.Tag() == sentTag_ && (errCode == 0 || lastAnswerIs61_);
    if (!ownStep) {
        pendingStep_ = step::kFailedAnswer;
    } else if (const auto stepCode = StepFromTag(response.Tag())) {
        pendingStep_ = *stepCode;
    }
    FinishRequest(response.LoginID());
    state_ = DispatchState::PendingDispatch;
    StartAnswerTimer();
}

void RequestDispatcher::StartAnswerTimer() {
    // The step runs once the host's call has returned: after the interval,
    // or at the next turn of the event loop for a request sent to be
    // answered at once.
    timer_.setInterval(atOnce_ ? 0 : StepIntervalMs());
    timer_.start();
}

void RequestDispatcher::CopyAnswer(const cListRequest& response) {
    responseList_.Clear();
    lastAnswerIs61_ = false;
    // The four lists the continuations read; the others stay empty.
    const QStringList empty(response.CMDList().size(), QString());
    responseList_.SetLists(response.CMDList(), response.FirstDataList(), response.SecondDataList(),
                           response.ExtraDataList(), empty, empty, empty, empty);
    const int last = response.Count() - 1;
    if (last >= 0) {
        lastAnswerIs61_ = ClassifyAnswer(response.SecondData(last)) == code::kUserCancel ||
                          ClassifyAnswer(response.ExtraData(last)) == code::kUserCancel;
    }
    responseList_.SetErrCode(response.ErrCode());
}

void RequestDispatcher::RegisterStep(std::int16_t stepCode, std::function<void()> routine) {
    steps_[stepCode] = std::move(routine);
}

void RequestDispatcher::RegisterFailure(std::int16_t stepCode, std::function<void()> routine) {
    failures_[stepCode] = std::move(routine);
}

void RequestDispatcher::OnFailedAnswer() {
    ReportFailedAnswer();
    const auto stepCode = StepFromTag(sentTag_);
    const auto found = stepCode ? failures_.find(*stepCode) : failures_.end();
    if (found != failures_.end() && found->second) {
        found->second();
    } else if (overdue_) {
        // Nobody else tells the engineer why the window came back.
        LangMsgBox(kOwnSource, msgbox::own::kNoAnswer, QString(), kProductTitle);
    }
}

void RequestDispatcher::OnTimer() {
    if (hostCalls_ > 0) {
        timer_.start();  // the step runs once the host call has returned
        return;
    }
    timer_.stop();
    timer_.setInterval(StepIntervalMs());
    state_ = DispatchState::Continuing;
    const std::int16_t stepCode = pendingStep_;
    const auto found = steps_.find(stepCode);
    if (found != steps_.end() && found->second) {
        try {
            found->second();
        } catch (const RunError& e) {
            // An error the step did not handle ends the tick; the engineer has
            // seen no message, so it is logged.
            qCWarning(lcHostlink, "Step %d ended with an error it did not handle: %s [%d]",
                      int(stepCode), qUtf8Printable(e.Description()), e.Number());
        }
    }
    if (state_ == DispatchState::Continuing)
        state_ = DispatchState::Idle;
}

void RequestDispatcher::ReportFailedAnswer() {
    if (g_Standalone)
        return;
    for (int i = 0; i < responseList_.Count(); ++i) {
        const int sd = ClassifyAnswer(responseList_.SecondData(i));
        const int ed = ClassifyAnswer(responseList_.ExtraData(i));
        if (sd == code::kSysError || ed == code::kSysError) {
            ShowHostMessage(Msg(text::kRequestEndedWithError) + u' ' +
                            QString::number(responseList_.ErrCode()));
            return;
        }
        if (sd == code::kPortTroubles || ed == code::kPortTroubles) {
            ShowHostMessage(Msg(text::kPortTrouble) + u' ' +
                            QString::number(responseList_.ErrCode()));
            return;
        }
    }
}

void RequestDispatcher::TurnFlow(bool value) {
    if (!parent_)
        return;
    const HostCall call(hostCalls_);
    TryHostCall("to turn the flow display", [&] {
        if (value) {
            parent_->TurnOnFlow();
        } else {
            parent_->TurnOffFlow();
        }
    });
}

}  // namespace kestrel
