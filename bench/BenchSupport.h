#pragma once

#include <QString>

#include "hostlink/HostProgramme.h"
#include "hostlink/RequestDispatcher.h"
#include "platform/MessageBoxes.h"

// What the benchmarks share: silent message boxes and the staged databases
// opened as the start-up opens them.
namespace kestrel::bench {

inline const QString kStage = QStringLiteral(KESTREL_STAGE_ROOT);

class SilentBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override { return FirstButton(request.flags); }
    void Beep() override {}
};

// A link that accepts every login and request and never answers: the
// benchmark delivers the answer itself.
class AcceptingLink : public ExchangeLink {
public:
    QString Login(const QString&, CallBackTarget*) override { return QStringLiteral("LOGIN1"); }
    QString SendRequest(cListRequest&) override { return QStringLiteral("REQ1"); }
    void LogOut(const QString&, const QString&) override {}
};

// Puts a one-entry request in flight on a standalone dispatcher and marks
// `answer` as its answer (the request's login and step), so that the
// dispatcher takes it.
inline void PutInFlight(RequestDispatcher& dispatcher, AcceptingLink& link, cListRequest& answer) {
    dispatcher.SetStandaloneHost(&link);
    cListRequest request;
    request.AddToList(QStringLiteral("3000"), QStringLiteral("001"));
    request.SetTag(answer.Tag());
    dispatcher.SendToHost(request);
    answer.SetLoginID(request.LoginID());
}

// Copies the staged runtime tree to `to` (".../OPSHELM32/30000"): its
// databases writable, without the working copies a run leaves behind.
void CopyStagedTree(const QString& to);

// Opens both language databases of the staged tree (read-only), routes
// message boxes to silence and marks the start standalone; undone when it
// goes.
class LanguageDatabases {
public:
    LanguageDatabases();
    ~LanguageDatabases();

private:
    SilentBoxes boxes_;
};

}  // namespace kestrel::bench
