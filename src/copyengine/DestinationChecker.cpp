#include "DestinationChecker.h"

#include "CopyWriter.h"
#include "TrunkRange.h"
#include "TrunkWindow.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {
constexpr int kListedNotAssigned = 5;

// The destination list holds a malformed number or one above the highest
// trunk: said once per such number.
void ShowBadDestinationList() {
    LangMsgBox(kOwnSource, msgbox::own::kBadDestinationList, QString(), kProductTitle);
}
}  // namespace

DestinationChecker::DestinationChecker(TrunkWindow& window, RequestDispatcher& dispatcher,
                                       CopyStarter startCopy, ItemCounter itemCount)
    : window_(window),
      dispatcher_(dispatcher),
      startCopy_(std::move(startCopy)),
      itemCount_(std::move(itemCount)) {}

void DestinationChecker::RegisterSteps() {
    dispatcher_.RegisterStep(step::kDestinationsChecked, [this] { OnDestinationsChecked(); });
    // A check that failed ends the copy before anything was written.
    dispatcher_.RegisterFailure(step::kDestinationsChecked, [this] {
        destTrunks_.clear();
        ShowDestinationsUnread(dispatcher_.FailureReason());
    });
}

void DestinationChecker::ParseTrunkRange() {
    const TrunkRangeResult parsed =
        kestrel::ParseTrunkRange(window_.DestinationText(), window_.HighestTrunk());
    destTrunks_ = parsed.trunks;
    listedCount_ = parsed.count;
    for (int i = 0; i < parsed.numberErrors; ++i) {
        ShowBadDestinationList();
    }
}

void DestinationChecker::CheckDestinationTrunks(const TrunkRangeResult* checked) {
    if (checked) {
        destTrunks_ = checked->trunks;
        listedCount_ = checked->count;
    } else {
        ParseTrunkRange();
    }
    // A copy one request cannot carry is refused before the exchange is
    // asked anything: the same refusal the copy itself gives.
    const qint64 items = itemCount_ ? qMax(itemCount_(), 1) : 1;
    const bool batched = batched_ && batched_();
    if (listedCount_ > cListRequest::kMaxCount ||
        (!batched && listedCount_ * items > cListRequest::kMaxCount)) {
        ShowCopyTooLarge(items, listedCount_);
        destTrunks_.clear();
        return;
    }
    cListRequest request;
    for (const QString& trunk : destTrunks_)
        request.AddToList(QStringLiteral("3000"), trunk);
    request.SetTag(QString::number(step::kDestinationsChecked));
    if (request.Count() > 0 && !dispatcher_.SendToHost(request))
        dispatcher_.ReportRefused();
}

void DestinationChecker::OnDestinationsChecked() {
    destTrunks_.clear();
    if (dispatcher_.LastAnswerIs61()) {
        // The engineer cancelled while the exchange was asked: the copy ends
        // here, with nothing written, and says so.
        LangMsgBox(kOwnSource, msgbox::own::kCopyCancelled, QString(), kProductTitle);
        return;
    }
    const cListRequest& answer = dispatcher_.ResponseList();
    QString notAssigned;
    int notAssignedCount = 0;
    bool numberError = false;
    for (int i = 0; i < answer.Count(); ++i) {
        const QString sd = answer.SecondData(i);
        if (ClassifyAnswer(sd) == code::kTrunkNotAssigned) {
            ++notAssignedCount;
            if (notAssignedCount <= kListedNotAssigned) {
                notAssigned += u'D' + answer.FirstData(i).right(3) + u',';
            } else if (notAssignedCount == kListedNotAssigned + 1) {
                notAssigned += QStringLiteral("more...");
            }
        } else if (sd.contains(QStringLiteral("DIGIT ERROR"))) {
            numberError = true;
        } else {
            destTrunks_.append(answer.FirstData(i).right(3));
        }
    }
    if (notAssignedCount > 0)
        LangMsgBox(kOwnSource, msgbox::own::kDestinationsLeftOut, notAssigned, kProductTitle);
    if (numberError)
        ShowBadDestinationList();
    if (!destTrunks_.isEmpty() && startCopy_)
        startCopy_(destTrunks_);
}

}  // namespace kestrel
