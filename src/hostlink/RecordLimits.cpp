#include "RecordLimits.h"

#include <QStringList>

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
    const std::pair<const char*, const QString*> header[] = {
        {"PBXName", &record.PBXName()},
        {"PBXNumber", &record.PBXNumber()},
        {"LoginID", &record.LoginID()},
        {"Tag", &record.Tag()},
        {"RequestID", &record.RequestID()},
        {"TimeTag", &record.TimeTag()},
        {"Key", &record.Key()},
    };
    for (const auto& [name, text] : header) {
        if (text->size() > kMaxRecordText)
            return TooLong(QString::fromLatin1(name), text->size());
    }
    const std::pair<const char*, const QStringList*> lists[] = {
        {"CMD", &record.CMDList()},
        {"FirstData", &record.FirstDataList()},
        {"SecondData", &record.SecondDataList()},
        {"ExtraData", &record.ExtraDataList()},
        {"DescriptionData", &record.DescriptionDataList()},
        {"CK", &record.CKList()},
        {"ERMFP", &record.ERMFPList()},
        {"MSGFP", &record.MSGFPList()},
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
