#include "RequestDispatcher.h"

#include <cmath>
#include <optional>

#include "WindowState.h"
#include "localisation/Messages.h"
#include "platform/RunError.h"
#include "startup/Globals.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

constexpr int kTimerIntervalMs = 100;

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
    : QObject(parent), window_(window) {
    timer_.setObjectName(QStringLiteral("tmrEvent"));
    timer_.setInterval(kTimerIntervalMs);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RequestDispatcher::OnTimer);
    RegisterStep(step::kFailedAnswer, [this] { ReportFailedAnswer(); });
}

ExchangeLink* RequestDispatcher::LinkObject() const {
    if (g_Standalone)
        return standaloneHost_;
    return parent_ ? parent_->oPBX() : nullptr;
}

void RequestDispatcher::ShowHostMessage(const QString& text) {
    if (g_Standalone || !parent_)
        return;
    try {
        parent_->ShowMessage(text);
    } catch (...) {
    }
}

void RequestDispatcher::ShowHostCode(std::int32_t code) {
    if (g_Standalone || !parent_)
        return;
    try {
        parent_->ShowCode(code);
    } catch (...) {
    }
}

bool RequestDispatcher::SendToHost(cListRequest& request) {
    state_ = DispatchState::LoggingIn;
    window_.SetHourglass(true);
    ExchangeLink* link = LinkObject();
    try {
        if (!link) {
            throw ObjectNotSet();
        }
        currentLoginId_ = link->Login(pbxName_, this);
    } catch (...) {
        window_.SetHourglass(false);
        if (!window_.IsEnabled())
            window_.SetEnabled(true);
        ShowHostMessage(Msg(1) + u' ' + currentLoginId_);
        state_ = DispatchState::Idle;
        LangMsgBox(kCommonSource, 20, QString(), Msg(14));
        return false;
    }

    ShowHostMessage(Msg(1) + QStringLiteral(": ") + currentLoginId_);
    if (Refused(currentLoginId_)) {
        window_.SetHourglass(false);
        state_ = DispatchState::Idle;
        return false;
    }
    request.SetLoginID(currentLoginId_);
    request.SetPBXName(pbxName_);
    // While the host call waits, the event loop runs: the answer itself may
    // arrive before the reply to the send does.
    sending_ = true;
    answeredDuringSend_ = false;
    try {
        sendReply_ = link->SendRequest(request);
    } catch (...) {
        sendReply_.clear();
    }
    sending_ = false;
    ShowHostMessage(Msg(1) + QStringLiteral(": ") + sendReply_);
    if (answeredDuringSend_)
        return true;  // already finished and dispatched
    if (!Refused(sendReply_)) {
        window_.SetEnabled(false);
        state_ = DispatchState::WaitingForAnswer;
        return true;
    }
    FinishRequest(currentLoginId_);
    return false;
}

void RequestDispatcher::FinishRequest(const QString& loginID) {
    try {
        if (ExchangeLink* link = LinkObject())
            link->LogOut(pbxName_, loginID);
    } catch (...) {
        // The host's failure to end a login leaves nothing for us to undo.
    }
    window_.SetEnabled(true);
    window_.SetHourglass(false);
    state_ = DispatchState::Idle;
}

void RequestDispatcher::CallBack(cListRequest& response) {
    if (sending_)
        answeredDuringSend_ = true;
    const std::int32_t errCode = response.ErrCode();
    ShowHostCode(errCode);
    if (errCode == 0) {
        ShowHostMessage(Msg(3));
    } else if (errCode == 99) {
        ShowHostMessage(Msg(4));
    } else if (errCode == code::kUserCancel) {
        ShowHostMessage(Msg(12));
    } else {
        ShowHostMessage(Msg(5));
    }
    CopyAnswer(response);
    if (errCode == 0 || lastAnswerIs61_) {
        if (const auto stepCode = StepFromTag(response.Tag()))
            pendingStep_ = *stepCode;
    } else {
        pendingStep_ = step::kFailedAnswer;
    }
    FinishRequest(response.LoginID());
    state_ = DispatchState::PendingDispatch;
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

void RequestDispatcher::OnTimer() {
    timer_.stop();
    state_ = DispatchState::Continuing;
    const auto found = steps_.find(pendingStep_);
    if (found != steps_.end() && found->second) {
        try {
            found->second();
        } catch (...) {
            // An error the step did not handle ends the tick silently.
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
            ShowHostMessage(Msg(5) + u' ' + QString::number(responseList_.ErrCode()));
            return;
        }
        if (sd == code::kPortTroubles || ed == code::kPortTroubles) {
            ShowHostMessage(Msg(13) + u' ' + QString::number(responseList_.ErrCode()));
            return;
        }
    }
}

void RequestDispatcher::TurnFlow(bool value) {
    if (!parent_)
        return;
    try {
        if (value) {
            parent_->TurnOnFlow();
        } else {
            parent_->TurnOffFlow();
        }
    } catch (...) {
    }
}

}  // namespace kestrel
