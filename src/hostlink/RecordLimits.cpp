#include "RecordLimits.h"

#include <QStringList>

#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"

namespace kestrel {

namespace {

QString TooLong(const QString& field, qsizetype length) {
    return QStringLiteral("%1 holds %2 characters; a record's texts hold at most %3")
        .arg(field)
        .arg(length)
        .arg(kMaxRecordText);
}

}  // namespace

QString RecordFault(const cListRequest& record) {
    if (record.Unreadable()) {
        // Never empty: an empty fault would take the record as good.
        const QString text = Msg(text::kAnswerUnreadable);
        return text.isEmpty() ? QStringLiteral("unreadable record") : text;
    }
    const std::pair<const char*, const QStringList*> lists[] = {
        {"CMD", &record.CMDList()},
        {"FirstData", &record.FirstDataList()},
        {"SecondData", &record.SecondDataList()},
        {"ExtraData", &record.ExtraDataList()},
    };
    for (const auto& [name, list] : lists) {
        for (qsizetype i = 0; i < list->size(); ++i) {
            if (list->at(i).size() > kMaxRecordText) {
                return TooLong(QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i),
                               list->at(i).size());
            }
        }
    }
    return {};
}

}  // namespace kestrel
