#include "StationCheck.h"

#include <QSet>

#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

bool g_StationCheckPending = false;

StationCheck::StationCheck(RequestDispatcher& dispatcher, Hooks hooks)
    : dispatcher_(dispatcher), hooks_(std::move(hooks)) {}

void StationCheck::RegisterSteps() {
    dispatcher_.RegisterStep(step::kStationChecked, [this] { OnStationChecked(); });
    dispatcher_.RegisterFailure(step::kStationChecked, [this] { OnStationCheckFailed(); });
}

void StationCheck::SetDialogTag(const QString& tag) {
    if (hooks_.setDialogTag)
        hooks_.setDialogTag(tag);
}

bool StationCheck::Check_STNData(const QString& cmd, const QString& fd) {
    if (!g_StationCheckPending) {
        if (cmd.isEmpty() || fd.isEmpty())
            return false;
        cListRequest request;
        request.AddToList(cmd, fd);
        request.SetTag(QString::number(step::kStationChecked));
        request.SetShowBusy(false);
        g_StationCheckPending = true;
        SetDialogTag(QString());
        if (!dispatcher_.SendToHost(request))
            g_StationCheckPending = false;
        return false;
    }
    static const QSet<QString> accepted = {
        QStringLiteral("OPX_STN_STATION"), QStringLiteral("OPX_STN_MLT"),
        QStringLiteral("OPX_STN_VIRTUAL"), QStringLiteral("OPX_STN_MLTIP"),
        QStringLiteral("OPX_STN_PS")};
    const QString s = dispatcher_.ResponseList().ExtraData(0);
    if (s == u"OPX_STN_NOT ASSIGNED" || s == u"101") {
        LangMsgBox(kOwnSource, msgbox::own::kStationNotAssigned, QString(), kProductTitle);
        return false;
    }
    if (accepted.contains(s)) {
        SetDialogTag(QStringLiteral("ok"));
        return true;
    }
    const int c = ClassifyAnswer(s);
    const bool linkFailure = c >= code::kTimeout && c <= code::kCmdReadError;
    if (linkFailure) {
        ShowLinkFailed();
    } else {
        LangMsgBox(kCommonSource, msgbox::common::kOtherLineKind, QString(), Msg(text::kBoxTitle));
    }
    return false;
}

void StationCheck::OnStationChecked() {
    if (hooks_.dialogOpen && !hooks_.dialogOpen()) {
        // The dialog was cancelled while the exchange was asked: nobody waits
        // for the verdict any more.
        g_StationCheckPending = false;
        return;
    }
    Check_STNData(QStringLiteral("@LEN"), dispatcher_.ResponseList().FirstData(0));
    if (hooks_.pressDialogOk)
        hooks_.pressDialogOk();
}

void StationCheck::OnStationCheckFailed() {
    if (hooks_.dialogOpen && !hooks_.dialogOpen()) {
        g_StationCheckPending = false;
        return;
    }
    LangMsgBox(kOwnSource, msgbox::own::kStationNotChecked, dispatcher_.FailureReason(),
               kProductTitle);
    // No verdict is a refusal: the dialog stays open with OK usable, and the
    // next OK asks again.
    SetDialogTag(QString());
    if (hooks_.pressDialogOk) {
        hooks_.pressDialogOk();
    } else {
        g_StationCheckPending = false;
    }
}

}  // namespace kestrel
