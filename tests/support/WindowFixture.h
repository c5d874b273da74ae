#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <memory>

#include "localisation/Messages.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/Services.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
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
        NoPopups();
        window_->SetParent(&host_);
        ASSERT_TRUE(window_->Load());
        window_->SetPBXName(QStringLiteral("PBX1"));
    }
    void LoadStandalone(const QString& exchange = QStringLiteral("PBX1")) {
        g_Standalone = true;
        services().commandLine = exchange;
        window_ = std::make_unique<dlgKestrel>();
        NoPopups();
        ASSERT_TRUE(window_->Load());
    }
    void NoPopups() {
        window_->popupMenu = [this](QMenu* menu, const QPoint&) -> QAction* {
            menusShown_ << menu->objectName();
            return menuAnswer_.isEmpty() ? nullptr : menu->findChild<QAction*>(menuAnswer_);
        };
    }
    QLineEdit* Box(const char* name) const {
        return window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    // Delivers a scripted answer to the hosted window and waits for its step.
    // Answers are taken only while a request is in flight: when the test has
    // not sent one, a request of the answer's step is sent first.
    void Answer(const QString& tag, const QList<QStringList>& lines, int errCode = 0) {
        RequestDispatcher& dispatcher = window_->Dispatcher();
        if (dispatcher.RequestInFlight() && dispatcher.SentTag() != tag) {
            // The request in flight asked for another step: the test moves
            // on to a new request, as if that one had been abandoned.
            dispatcher.FinishRequest(dispatcher.CurrentLoginID());
        }
        if (!dispatcher.RequestInFlight()) {
            cListRequest request;
            request.AddToList(QStringLiteral("3000"), QStringLiteral("000"));
            request.SetTag(tag);
            ASSERT_TRUE(window_->Dispatcher().SendToHost(request));
        }
        cListRequest answer;
        answer.SetLoginID(window_->Dispatcher().CurrentLoginID());
        answer.SetTag(tag);
        answer.SetErrCode(errCode);
        for (const QStringList& l : lines) {
            answer.AddToList(l.value(0), l.value(1), l.value(2), l.value(3));
        }
        window_->CallBack(answer);
        // Until the step has run (it may have sent the next request).
        ASSERT_TRUE(WaitFor([&] {
            const DispatchState state = window_->Dispatcher().State();
            return state == DispatchState::Idle || state == DispatchState::WaitingForAnswer;
        }));
    }
    // Runs a command on the standalone window and waits until the chain of
    // requests it starts has finished.
    void RunAndWait(const QString& key) {
        window_->RunCommand(key);
        ASSERT_TRUE(WaitFor(
            [&] {
                return window_->Dispatcher().State() == DispatchState::Idle &&
                       !window_->Dispatcher().tmrEvent().isActive();
            },
            20000));
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
    QStringList menusShown_;
    QString menuAnswer_;
};

}  // namespace kestrel::test
