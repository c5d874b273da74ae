#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedLink.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/Messages.h"
#include "platform/Services.h"
#include "session/TrunkCopySession.h"
#include "startup/Globals.h"
#include "support/FakeTrunkWindow.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"
#include "support/WaitFor.h"

namespace kestrel::test {

// Delivers a scripted answer to a hosted dispatcher and waits for its step.
// When no request of that step is in flight, one is sent first (one of
// another step is taken as abandoned).
inline void AnswerStep(RequestDispatcher& dispatcher, const QString& tag,
                       const QList<QStringList>& lines, int errCode = 0) {
    if (dispatcher.RequestInFlight() && dispatcher.SentTag() != tag)
        dispatcher.FinishRequest(dispatcher.CurrentLoginID());
    if (!dispatcher.RequestInFlight()) {
        cListRequest request;
        request.AddToList(QStringLiteral("3000"), QStringLiteral("000"));
        request.SetTag(tag);
        ASSERT_TRUE(dispatcher.SendToHost(request));
    }
    cListRequest answer;
    answer.SetLoginID(dispatcher.CurrentLoginID());
    answer.SetTag(tag);
    answer.SetErrCode(errCode);
    for (const QStringList& l : lines)
        answer.AddToList(l.value(0), l.value(1), l.value(2), l.value(3));
    dispatcher.CallBack(answer);
    ASSERT_TRUE(WaitFor([&] {
        const DispatchState state = dispatcher.State();
        return state == DispatchState::Idle || state == DispatchState::WaitingForAnswer;
    }));
}

// An opened trunk-copy session on a private runtime tree and a window
// without widgets: hosted by a scripted host, or standalone on the built-in
// simulated exchange.
class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.OpenStartupDatabases()); }
    void TearDown() override { session_.reset(); }

    void OpenHosted() {
        session_ = std::make_unique<TrunkCopySession>(window_, window_);
        session_->SetParent(&host_);
        Open(QStringLiteral("PBX1"));
    }
    void OpenStandalone(const QString& exchange = QStringLiteral("PBX1")) {
        g_Standalone = true;
        session_ =
            std::make_unique<TrunkCopySession>(window_, window_, [this](const QString& className) {
                auto link = CreateHostObject(className);
                link_ = link.get();
                return link;
            });
        Open(QString());
        session_->StartStandaloneHost();
        session_->SetPBXName(exchange);
        session_->ReadHighestTrunk();
    }
    void Answer(const QString& tag, const QList<QStringList>& lines, int errCode = 0) {
        AnswerStep(session_->Dispatcher(), tag, lines, errCode);
    }
    // Runs a command and waits until the chain of requests it starts has
    // finished (the largest copy takes long under the sanitizers on a
    // loaded machine: the cap only ends a hung chain).
    template <typename Command>
    void RunAndWait(Command command) {
        command();
        ASSERT_TRUE(WaitFor([&] { return !session_->RequestUnderWay(); }, 60000));
    }

    RuntimeTree tree_;
    ScriptedHost host_;
    FakeTrunkWindow window_;
    std::unique_ptr<TrunkCopySession> session_;
    SimulatedLink* link_ = nullptr;  // the standalone host, while the session has one

private:
    void Open(const QString& exchange) {
        ASSERT_TRUE(session_->OpenWorkingCopy());
        session_->BuildTree();
        if (!exchange.isEmpty())
            session_->SetPBXName(exchange);
        session_->ReadHighestTrunk();
    }
};

}  // namespace kestrel::test
