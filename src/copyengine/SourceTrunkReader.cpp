#include "SourceTrunkReader.h"

#include <QSet>

#include "TrunkWindow.h"
#include "catalogue/ValueListModel.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Statement.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

// The message-line text that names answered items the catalogue has no
// row for.
constexpr int kUnknownItemsText = 16;
constexpr int kListedUnknownKeys = 16;
// "Items read from trunk %1: %2."
constexpr int kItemsReadText = 78;

// The list-up request's own key: an answer carrying it is the exchange's
// verdict on the trunk, not an item.
const QString kListupKey = QStringLiteral("L30");

}  // namespace

SourceTrunkReader::SourceTrunkReader(TrunkWindow& window, RequestDispatcher& dispatcher,
                                     ValueListModel& values)
    : window_(window), dispatcher_(dispatcher), values_(values) {}

void SourceTrunkReader::RegisterSteps() {
    dispatcher_.RegisterStep(step::kSourceChecked, [this] { OnSourceTrunkChecked(); });
    dispatcher_.RegisterStep(step::kListupAnswered, [this] { StoreTrunkListup(); });
    dispatcher_.RegisterFailure(step::kSourceChecked, [this] { OnReadFailed(); });
    dispatcher_.RegisterFailure(step::kListupAnswered, [this] { OnReadFailed(); });
}

void SourceTrunkReader::OnReadFailed() {
    LangMsgBox(kOwnSource, msgbox::own::kSourceNotRead, dispatcher_.FailureReason(), kProductTitle);
    Finished(false);
}

void SourceTrunkReader::Finished(bool stored) {
    if (finished_)
        finished_(stored);
}

void SourceTrunkReader::HostMessage(const QString& text) {
    dispatcher_.ShowHostMessage(text);
}

void SourceTrunkReader::GetSourceTrunk() {
    cListRequest request;
    request.AddToList(QStringLiteral("3000"), window_.TrunkBoxText());
    request.SetTag(QString::number(step::kSourceChecked));
    request.SetShowBusy(false);
    if (!dispatcher_.SendToHost(request)) {
        dispatcher_.ReportRefused();  // the request is dropped
        Finished(false);
    }
}

void SourceTrunkReader::OnSourceTrunkChecked() {
    const int answer = ClassifyAnswer(dispatcher_.ResponseList().SecondData(0));
    if (answer == code::kUserCancel) {
        // The engineer cancelled: no list-up he did not want, nothing changed.
        ShowGetCancelled(Msg(text::kNothingRead));
        Finished(false);
        return;
    }
    if (answer != code::kTrunkNotAssigned) {
        RequestTrunkListup();
        return;
    }
    LangMsgBox(kOwnSource, msgbox::own::kSourceNotAssigned, QString(), kProductTitle);
    values_.Clear();
    window_.SetNoSourceData(true);
    Finished(false);
}

void SourceTrunkReader::RequestTrunkListup() {
    cListRequest request;
    request.AddToList(kListupKey, window_.TrunkBoxText());
    request.SetTag(QString::number(step::kListupAnswered));
    if (!dispatcher_.SendToHost(request)) {
        dispatcher_.ReportRefused();
        Finished(false);
    }
}

// Writes the work tables and fills the value list in one transaction;
// false (with everything rolled back) when a statement fails.
bool SourceTrunkReader::WriteListup(bool& failure, bool& cancelled) {
    Database* db = window_.WorkDb();
    const QString trunk = window_.TrunkBoxText();
    try {
        db->BeginTrans();
        db->Execute(QStringLiteral("DELETE * FROM Trunk"));
        db->Execute(QStringLiteral("DELETE * FROM TrkDataListup"));
        db->Execute(QStringLiteral("DELETE * FROM CopyTrunk"));
        db->Execute(QStringLiteral("delete * from PBXName"));
        // The outcome of the last copy belongs with the trunk it copied.
        db->Execute(QStringLiteral("DELETE * FROM CopyOutcome"));
        db->Execute(QStringLiteral("INSERT INTO PBXName (PBXName) VALUES (?)"),
                    {window_.PBXName()});
        db->Execute(QStringLiteral("INSERT INTO Trunk (Trunk) VALUES (?)"), {trunk});
        Statement title = db->Prepare(
            QStringLiteral("SELECT Visible, Description FROM CMD30Titles WHERE CMD = ?"));
        Statement insert = db->Prepare(QStringLiteral(
            "INSERT INTO TrkDataListup (Trunk, CMD, Data, Description) VALUES (?, ?, ?, ?)"));
        const cListRequest& answer = dispatcher_.ResponseList();
        // Each key once, the first answer of it: the list never outgrows the
        // catalogue, whatever the answer repeats.
        QSet<QString> seen;
        for (int i = 0; i < answer.Count(); ++i) {
            const QString key = answer.CMD(i);
            QString value = answer.SecondData(i);
            const int c = ClassifyAnswer(value);
            if (c == code::kUserCancel) {
                cancelled = true;
                break;
            }
            const bool carriesValue = c == code::kDataValue || c == code::kNone;
            if (!carriesValue) {
                value.clear();
                failure = !IsExchangeAnswer(c);
            }
            if (seen.contains(key))
                continue;
            seen.insert(key);
            title.Bind(1, key);
            const bool known = title.Step();
            const QVariant visible = known ? title.Column(0) : QVariant();
            const QString description = known ? title.Column(1).toString() : QString();
            title.Reset();
            if (!known) {
                // Only real items are named: not the list-up's echo, nor an
                // entry that holds nothing but an answer code.
                if (carriesValue && !key.isEmpty() && key != kListupKey) {
                    unknownKeys_.append(key);
                }
                continue;
            }
            if (visible.isNull() || visible.toLongLong() == 0)
                continue;
            values_.AddItem(key, value, description, value);
            insert.BindAll({trunk, key, value, description});
            insert.Run();
        }
        db->CommitTrans();
        trunkRead_ = trunk;
        return true;
    } catch (const RunError& e) {
        try {
            db->Rollback();
        } catch (const RunError& also) {
            qCWarning(lcDb, "The rollback after the failed list-up failed too: %s [%d]",
                      qUtf8Printable(also.Description()), also.Number());
        }
        values_.Clear();
        ShowNotice(e);
        return false;
    }
}

void SourceTrunkReader::StoreTrunkListup() {
    if (!window_.WorkDb()) {
        HostMessage(Msg(text::kWorkDbNotOpen));
        return;
    }
    const QDateTime answered = QDateTime::currentDateTime();
    window_.SetHourglass(true);
    HostMessage(Msg(text::kStoringTrunkData));
    values_.Clear();
    unknownKeys_.clear();
    bool failure = false;
    bool cancelled = false;
    const bool stored = WriteListup(failure, cancelled);
    // Nothing half-written: a list that was not stored, or stored no item,
    // leaves nothing to copy or print. Settled before the host is told
    // anything, as the host's call may let other calls in.
    window_.SetNoSourceData(!stored || values_.rowCount() == 0);
    if (stored && !failure && !cancelled)
        readAt_ = answered;
    // The closing status says how many items were read and names what was
    // left out (with nothing read it clears the line), before any box: the
    // storing is over while the box is open.
    QStringList status;
    if (stored && values_.rowCount() > 0)
        status << Msg(kItemsReadText).arg(trunkRead_).arg(values_.rowCount());
    if (!unknownKeys_.isEmpty()) {
        QString unknown = Msg(kUnknownItemsText) + u' ' +
                          unknownKeys_.mid(0, kListedUnknownKeys).join(QStringLiteral(", "));
        if (unknownKeys_.size() > kListedUnknownKeys)
            unknown += u' ' + Msg(text::kMore);
        status << unknown;
    }
    HostMessage(status.join(u' '));
    if (!stored || failure) {
        // The tables keep the previous trunk when nothing was stored.
        ShowLinkFailed();
    } else if (!cancelled) {
        LangMsgBox(kCommonSource, msgbox::common::kRequestCompleted, QString(),
                   Msg(text::kBoxTitle));
    } else {
        // A cancel is told too: the list holds only what came before it.
        ShowGetCancelled(Msg(text::kReadBeforeCancel).arg(values_.rowCount()));
    }
    window_.ClearSelectionLabels();
    window_.SetHourglass(false);
    window_.ProcessEvents();
    Finished(stored && !failure && !cancelled);
}

void SourceTrunkReader::UpdateListupData(const QString& cmd, const QString& data) {
    Database* db = window_.WorkDb();
    if (!db)
        return;
    auto rows = db->OpenRecordset(QStringLiteral("SELECT * FROM TrkDataListup WHERE CMD = ?"),
                                  RecordsetType::Dynaset, 0, {cmd});
    if (rows->RecordCount() > 0) {
        rows->Edit();
        rows->SetField(QStringLiteral("Data"), data);
        rows->Update();
    }
}

}  // namespace kestrel
