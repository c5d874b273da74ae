#pragma once

// Built on the session fixture, whose headers it shares.
#include <QLineEdit>
#include <QTest>

#include "mainwindow/dlgKestrel.h"
#include "startup/DbAccess.h"
#include "support/PopupAnswers.h"
#include "support/SessionFixture.h"

namespace kestrel::test {

// A loaded main window on a private runtime tree: hosted by a scripted
// host, or standalone on the built-in simulated exchange.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree_.OpenStartupDatabases()); }
    void TearDown() override { window_.reset(); }

    // Loads a hosted window over what the test has set up; false when the load failed.
    bool LoadHosted() {
        window_ = std::make_unique<dlgKestrel>();
        window_->SetParent(&host_);
        return window_->Load();
    }
    void LoadStandalone(const QString& exchange = QStringLiteral("PBX1")) {
        g_Standalone = true;
        services().commandLine = exchange;
        window_ = std::make_unique<dlgKestrel>(
            [](const QString& className) { return CreateHostObject(className); });
        ASSERT_TRUE(window_->Load());
    }
    // Shows the window and waits until it is the active one.
    void ShowActive() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    TrunkCopySession& Session() const { return window_->Session(); }
    QLineEdit* Box(const char* name) const {
        return window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    void Answer(const QString& tag, const QList<QStringList>& lines, int errCode = 0) {
        AnswerStep(Session().Dispatcher(), tag, lines, errCode);
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
