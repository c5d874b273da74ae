#pragma once

#include <QHash>
#include <QStringList>

#include "hostlink/HostProgramme.h"
#include "hostlink/cListRequest.h"
#include "platform/RunError.h"

namespace kestrel::test {

// A host whose link replies are scripted and whose calls are recorded.
class ScriptedHost : public HostProgramme, public ExchangeLink, public ProcessorInfo {
public:
    QString loginReply = QStringLiteral("LOGIN7");
    QString sendReply = QStringLiteral("REQ1");
    bool loginThrows = false;
    bool sendThrows = false;
    bool answerDuringSend = false;
    bool cancelThrows = false;
    QStringList cancelled;  // the request id of every cancel asked
    int sends = 0;
    QStringList logouts;
    QStringList messages;
    QList<std::int32_t> codes;
    QStringList flows;
    CallBackTarget* callback = nullptr;
    cListRequest sent;
    QString processor = QStringLiteral("SC-K R5.0");
    bool processorThrows = false;
    QHash<QString, QString> stored;
    QStringList help;
    QStringList added;
    QStringList printed;  // the selection of each report

    QString Login(const QString&, CallBackTarget* target) override {
        if (loginThrows)
            throw RunError(-2147023174, QStringLiteral("The host is gone"));
        callback = target;
        return loginReply;
    }
    QString SendRequest(cListRequest& request) override {
        ++sends;
        sent = request;
        if (sendThrows)
            throw RunError(440, QStringLiteral("Automation error"));
        if (answerDuringSend && callback) {
            // The answer overtakes the reply to the send.
            cListRequest answer = request;
            callback->CallBack(answer);
        }
        return sendReply;
    }
    void LogOut(const QString&, const QString& id) override { logouts << id; }
    bool CancelRequest(const QString& id) override {
        if (cancelThrows)
            throw RunError(440, QStringLiteral("The host went away"));
        cancelled << id;
        return id == sendReply;
    }
    void ShowMessage(const QString& text) override { messages << text; }
    void ShowCode(std::int32_t code) override { codes << code; }
    void DisplayHelp(const QString& file) override { help << file; }
    void UnloadChild(std::int32_t) override {}
    void TurnOnFlow() override { flows << QStringLiteral("on"); }
    void TurnOffFlow() override { flows << QStringLiteral("off"); }
    void REGComData(const QString& addin, const QString& key, const QString& value) override {
        stored.insert(addin + u'/' + key, value);
    }
    QString GetComData(const QString& addin, const QString& key) override {
        const QString k = addin + u'/' + key;
        if (!stored.contains(k))
            throw RunError(5, QStringLiteral("No such data"));
        return stored.value(k);
    }
    QString PrintReport(const QString&, const QString&, const QString& selection, const QString&,
                        std::int32_t) override {
        printed << selection;
        return {};
    }
    void AddItem(const QString& line) override { added << line; }
    ExchangeLink* oPBX() override { return this; }
    ProcessorInfo* oOPX() override { return this; }
    QString GetMPVersion(const QString&) override {
        if (processorThrows)
            throw RunError(440, QStringLiteral("The host went away"));
        return processor;
    }
};

}  // namespace kestrel::test
