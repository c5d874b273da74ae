#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kestrel {

// The request and answer record exchanged with the host: header fields and
// eight parallel lists, one entry per command line. Indexed reads outside
// 0..Count()-1 give the empty text and indexed writes there do nothing.
class cListRequest {
public:
    // Lines a record can hold: Count is a 16-bit signed number.
    static constexpr int kMaxCount = 32767;

    std::int16_t Mode() const { return mode_; }
    void SetMode(std::int16_t v) { mode_ = v; }
    const QString& Key() const { return key_; }
    void SetKey(const QString& v) { key_ = v; }
    bool CompIndication() const { return compIndication_; }
    void SetCompIndication(bool v) { compIndication_ = v; }
    const QString& ObjectID() const { return objectId_; }
    const QString& PBXName() const { return pbxName_; }
    void SetPBXName(const QString& v) { pbxName_ = v; }
    const QString& PBXNumber() const { return pbxNumber_; }
    void SetPBXNumber(const QString& v) { pbxNumber_ = v; }
    bool ShowBusy() const { return showBusy_; }
    void SetShowBusy(bool v) { showBusy_ = v; }
    bool WaitFlag() const { return waitFlag_; }
    void SetWaitFlag(bool v) { waitFlag_ = v; }
    const QString& LoginID() const { return loginId_; }
    void SetLoginID(const QString& v) { loginId_ = v; }
    const QString& Tag() const { return tag_; }
    void SetTag(const QString& v) { tag_ = v; }
    const QString& RequestID() const { return requestId_; }
    void SetRequestID(const QString& v) { requestId_ = v; }
    const QString& TimeTag() const { return timeTag_; }
    void SetTimeTag(const QString& v) { timeTag_ = v; }
    std::int16_t CommandType() const { return commandType_; }
    void SetCommandType(std::int16_t v) { commandType_ = v; }
    std::int32_t ErrCode() const { return errCode_; }
    void SetErrCode(std::int32_t v) { errCode_ = v; }

    // Adds one line; raises RunError 6 (overflow) when Count is already
    // 32767, leaving the record unchanged.
    void AddToList(const QString& cmd, const QString& fd = {}, const QString& sd = {},
                   const QString& ed = {}, const QString& desc = {});
    std::int16_t Count() const { return static_cast<std::int16_t>(cmd_.size()); }
    // Empties the lists; the header fields keep their values.
    void Clear();

    QString CMD(int index) const { return Get(cmd_, index); }
    void SetCMD(int index, const QString& v) { Let(cmd_, index, v); }
    QString FirstData(int index) const { return Get(firstData_, index); }
    void SetFirstData(int index, const QString& v) { Let(firstData_, index, v); }
    QString SecondData(int index) const { return Get(secondData_, index); }
    void SetSecondData(int index, const QString& v) { Let(secondData_, index, v); }
    QString ExtraData(int index) const { return Get(extraData_, index); }
    void SetExtraData(int index, const QString& v) { Let(extraData_, index, v); }
    QString DescriptionData(int index) const { return Get(descriptionData_, index); }
    void SetDescriptionData(int index, const QString& v) { Let(descriptionData_, index, v); }
    QString CK(int index) const { return Get(ck_, index); }
    void SetCK(int index, const QString& v) { Let(ck_, index, v); }
    QString ERMFP(int index) const { return Get(ermfp_, index); }
    void SetERMFP(int index, const QString& v) { Let(ermfp_, index, v); }
    QString MSGFP(int index) const { return Get(msgfp_, index); }
    void SetMSGFP(int index, const QString& v) { Let(msgfp_, index, v); }

    // The whole lists, for marshalling and fast copies.
    const QStringList& CMDList() const { return cmd_; }
    const QStringList& FirstDataList() const { return firstData_; }
    const QStringList& SecondDataList() const { return secondData_; }
    const QStringList& ExtraDataList() const { return extraData_; }
    const QStringList& DescriptionDataList() const { return descriptionData_; }
    const QStringList& CKList() const { return ck_; }
    const QStringList& ERMFPList() const { return ermfp_; }
    const QStringList& MSGFPList() const { return msgfp_; }
    // Replaces all eight lists; false (and nothing changed) unless they
    // have one length within the 16-bit count.
    bool SetLists(const QStringList& cmd, const QStringList& fd, const QStringList& sd,
                  const QStringList& ed, const QStringList& desc, const QStringList& ck,
                  const QStringList& ermfp, const QStringList& msgfp);
    // The record reached us in another shape than this one (lists of unequal
    // length, a count that is not theirs, fields missing or extra): what it
    // holds is not what the sender meant, so it is never taken as an answer.
    // Not part of the record the host sees.
    bool Unreadable() const { return unreadable_; }
    void SetUnreadable(bool v) { unreadable_ = v; }

private:
    static QString Get(const QStringList& list, int index) {
        return index >= 0 && index < list.size() ? list.at(index) : QString();
    }
    static void Let(QStringList& list, int index, const QString& v) {
        if (index >= 0 && index < list.size())
            list[index] = v;
    }

    std::int16_t mode_ = 0;
    QString key_;
    bool compIndication_ = false;
    QString objectId_ = QStringLiteral("1");
    QString pbxName_;
    QString pbxNumber_;
    bool showBusy_ = true;
    bool waitFlag_ = true;
    QString loginId_;
    QString tag_;
    QString requestId_;
    QString timeTag_;
    std::int16_t commandType_ = 20;
    std::int32_t errCode_ = 0;
    bool unreadable_ = false;
    QStringList cmd_, firstData_, secondData_, extraData_, descriptionData_, ck_, ermfp_, msgfp_;
};

}  // namespace kestrel
