#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <memory>

#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedLink.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/Messages.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/Services.h"
#include "session/TrunkCopySession.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/PopupAnswers.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"
#include "support/WaitFor.h"

namespace kestrel::test {

// A loaded main window on a private runtime tree: hosted by a scripted
// host, or standalone on the built-in simulated exchange.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.OpenStartupDatabases()); }
    void TearDown() override { window_.reset(); }

    void LoadHosted() {
        window_ = std::make_unique<dlgKestrel>();
        window_->SetParent(&host_);
        ASSERT_TRUE(window_->Load());
        window_->SetPBXName(QStringLiteral("PBX1"));
    }
    void LoadStandalone(const QString& exchange = QStringLiteral("PBX1")) {
        g_Standalone = true;
        services().commandLine = exchange;
        window_ = std::make_unique<dlgKestrel>(
            [](const QString& className) { return CreateHostObject(className); });
        ASSERT_TRUE(window_->Load());
    }
    TrunkCopySession& Session() const { return window_->Session(); }
    QLineEdit* Box(const char* name) const {
        return window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    // Delivers a scripted answer to the hosted window and waits for its step.
    // Answers are taken only while a request is in flight: when the test has
    // not sent one, a request of the answer's step is sent first.
    void Answer(const QString& tag, const QList<QStringList>& lines, int errCode = 0) {
        RequestDispatcher& dispatcher = Session().Dispatcher();
        if (dispatcher.RequestInFlight() && dispatcher.SentTag() != tag) {
            // The request in flight asked for another step: the test moves
            // on to a new request, as if that one had been abandoned.
            dispatcher.FinishRequest(dispatcher.CurrentLoginID());
        }
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
        for (const QStringList& l : lines) {
            answer.AddToList(l.value(0), l.value(1), l.value(2), l.value(3));
        }
        window_->CallBack(answer);
        // Until the step has run (it may have sent the next request).
        ASSERT_TRUE(WaitFor([&] {
            const DispatchState state = dispatcher.State();
            return state == DispatchState::Idle || state == DispatchState::WaitingForAnswer;
        }));
    }
    // Runs a command on the standalone window and waits until the chain of
    // requests it starts has finished.
    void RunAndWait(const QString& key) {
        window_->RunCommand(key);
        ASSERT_TRUE(WaitFor([&] { return !Session().RequestUnderWay(); }, 20000));
    }
    QStringList Prompts() const {
        QStringList prompts;
        for (const auto& box : tree_.boxes.shown)
            prompts << box.prompt;
        return prompts;
    }

    RuntimeTree tree_;
    ScriptedHost host_;
    std::unique_ptr<dlgKestrel> window_;
    PopupAnswers popups_;
};

}  // namespace kestrel::test
