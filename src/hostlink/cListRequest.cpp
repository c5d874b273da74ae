#include "cListRequest.h"

#include "platform/RunError.h"

namespace kestrel {

void cListRequest::AddToList(const QString& cmd, const QString& fd, const QString& sd,
                             const QString& ed, const QString& desc) {
    if (cmd_.size() >= kMaxCount) {
        throw RunError(err::kOverflow, QStringLiteral("Overflow"));
    }
    cmd_.append(cmd);
    firstData_.append(fd);
    secondData_.append(sd);
    extraData_.append(ed);
    descriptionData_.append(desc);
    ck_.append(QString());
    ermfp_.append(QString());
    msgfp_.append(QString());
}

void cListRequest::Clear() {
    for (QStringList* list : {&cmd_, &firstData_, &secondData_, &extraData_, &descriptionData_,
                              &ck_, &ermfp_, &msgfp_}) {
        list->clear();
    }
}

bool cListRequest::SetLists(const QStringList& cmd, const QStringList& fd, const QStringList& sd,
                            const QStringList& ed, const QStringList& desc, const QStringList& ck,
                            const QStringList& ermfp, const QStringList& msgfp) {
    const qsizetype n = cmd.size();
    if (n > kMaxCount)
        return false;
    for (const QStringList* list : {&fd, &sd, &ed, &desc, &ck, &ermfp, &msgfp}) {
        if (list->size() != n)
            return false;
    }
    cmd_ = cmd;
    firstData_ = fd;
    secondData_ = sd;
    extraData_ = ed;
    descriptionData_ = desc;
    ck_ = ck;
    ermfp_ = ermfp;
    msgfp_ = msgfp;
    return true;
}

}  // namespace kestrel
