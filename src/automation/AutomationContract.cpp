#include "AutomationContract.h"

#include <QDBusMetaType>

namespace kestrel::contract {

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<kestrel::cListRequest>();
        return true;
    }();
    (void)registered;
}

}  // namespace kestrel::contract

namespace {

// The record's signature, taken from its own marshalling so that the
// reading side cannot drift from the writing side.
const QString& RecordSignature() {
    static const QString signature = [] {
        QDBusArgument probe;
        probe << kestrel::cListRequest();
        return probe.currentSignature();
    }();
    return signature;
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& out, const kestrel::cListRequest& r) {
    out.beginStructure();
    out << r.ObjectID() << r.PBXName() << r.PBXNumber() << r.LoginID() << r.RequestID() << r.Tag()
        << r.TimeTag() << r.Count() << r.CommandType() << r.ErrCode() << r.ShowBusy()
        << r.CompIndication() << r.WaitFlag() << r.Mode() << r.Key();
    out << r.CMDList() << r.FirstDataList() << r.SecondDataList() << r.ExtraDataList()
        << r.DescriptionDataList() << r.CKList() << r.ERMFPList() << r.MSGFPList();
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, kestrel::cListRequest& r) {
    // A value of any other shape is a malformed record: read field by field
    // it would run off its end and stop the process, so it is passed over
    // whole and arrives empty.
    if (in.currentSignature() != RecordSignature()) {
        if (in.currentType() != QDBusArgument::UnknownType)
            in.asVariant();
        r = kestrel::cListRequest();
        r.SetUnreadable(true);
        return in;
    }
    QString objectId, pbxName, pbxNumber, loginId, requestId, tag, timeTag, key;
    qint16 count = 0, commandType = 0, mode = 0;
    qint32 errCode = 0;
    bool showBusy = true, compIndication = false, waitFlag = true;
    QStringList cmd, fd, sd, ed, desc, ck, ermfp, msgfp;
    in.beginStructure();
    in >> objectId >> pbxName >> pbxNumber >> loginId >> requestId >> tag >> timeTag >> count >>
        commandType >> errCode >> showBusy >> compIndication >> waitFlag >> mode >> key;
    in >> cmd >> fd >> sd >> ed >> desc >> ck >> ermfp >> msgfp;
    in.endStructure();
    r = kestrel::cListRequest();
    r.SetPBXName(pbxName);
    r.SetPBXNumber(pbxNumber);
    r.SetLoginID(loginId);
    r.SetRequestID(requestId);
    r.SetTag(tag);
    r.SetTimeTag(timeTag);
    r.SetCommandType(commandType);
    r.SetErrCode(errCode);
    r.SetShowBusy(showBusy);
    r.SetCompIndication(compIndication);
    r.SetWaitFlag(waitFlag);
    r.SetMode(mode);
    r.SetKey(key);
    // Lists of unequal length, or a count that is not theirs, are a
    // malformed record: it arrives empty and marked, never as an answer of
    // nothing.
    if (count != cmd.size() || !r.SetLists(cmd, fd, sd, ed, desc, ck, ermfp, msgfp))
        r.SetUnreadable(true);
    return in;
}
