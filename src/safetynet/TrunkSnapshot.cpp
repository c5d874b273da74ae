#include "TrunkSnapshot.h"

#include <QSet>
#include <algorithm>

#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

const QString kListupKey = QStringLiteral("L30");

// Link-layer answers: the entry was never answered by the exchange.
bool IsLinkAnswer(int answerCode) {
    return answerCode >= code::kTimeout && answerCode <= 94;
}

void AppendOnce(QStringList& list, const QString& trunk) {
    if (!list.contains(trunk))
        list.append(trunk);
}

void MarkIncomplete(TrunkSnapshot& into, const QString& why) {
    if (into.complete)
        into.failure = why;
    into.complete = false;
}

}  // namespace

QString TrunkSnapshot::Value(const QString& trunk, const QString& item) const {
    const auto found = values.constFind(trunk);
    return found == values.constEnd() ? QString() : found->value(item);
}

bool TrunkSnapshot::Has(const QString& trunk) const {
    return values.contains(trunk);
}

QStringList TrunkSnapshot::Unanswered(const QStringList& asked) const {
    QStringList missing;
    for (const QString& trunk : asked) {
        if (!Has(trunk) && !notAssigned.contains(trunk) && !refused.contains(trunk))
            AppendOnce(missing, trunk);
    }
    return missing;
}

QList<cListRequest> SnapshotRequests(const QStringList& trunks, int itemsPerTrunk,
                                     std::int16_t tag) {
    const int perTrunk = itemsPerTrunk > 0 ? itemsPerTrunk : kUnknownItemsPerTrunk;
    const int perRequest = std::max(1, cListRequest::kMaxCount / perTrunk);
    QList<cListRequest> requests;
    QSet<QString> seen;
    for (const QString& trunk : trunks) {
        if (seen.contains(trunk))
            continue;
        seen.insert(trunk);
        if (requests.isEmpty() || requests.last().Count() >= perRequest) {
            requests.append(cListRequest());
            requests.last().SetTag(QString::number(tag));
        }
        requests.last().AddToList(kListupKey, trunk);
    }
    return requests;
}

void TakeSnapshotAnswer(const cListRequest& answer, TrunkSnapshot& into) {
    for (int i = 0; i < answer.Count(); ++i) {
        const QString trunk = answer.FirstData(i).right(3);
        const QString key = answer.CMD(i);
        QString value = answer.SecondData(i);
        const int c = ClassifyAnswer(value);
        if (IsLinkAnswer(c)) {
            MarkIncomplete(into, value);
            continue;
        }
        if (c == code::kTrunkNotAssigned || value.contains(QStringLiteral("DIGIT ERROR"))) {
            AppendOnce(into.notAssigned, trunk);
            continue;
        }
        if (key == kListupKey) {
            // The list-up's own entry carries a verdict on the whole trunk.
            if (IsExchangeAnswer(c))
                into.refused.insert(trunk, value);
            continue;
        }
        if (key.isEmpty())
            continue;
        if (c != code::kDataValue && c != code::kNone) {
            value.clear();
            into.notSet.insert(trunk + u'/' + key);
        }
        auto found = into.values.find(trunk);
        if (found == into.values.end()) {
            into.trunks.append(trunk);
            found = into.values.insert(trunk, {});
        }
        found->insert(key, value);
    }
    if (answer.ErrCode() != 0)
        MarkIncomplete(into, QStringLiteral("ErrCode %1").arg(answer.ErrCode()));
    // A full record may have been cut short by the host: the last trunks
    // could be missing or half read, so this read cannot back a copy.
    if (answer.Count() >= cListRequest::kMaxCount)
        MarkIncomplete(into, QStringLiteral("OPX_MEM OVERFLOW"));
}

}  // namespace kestrel
