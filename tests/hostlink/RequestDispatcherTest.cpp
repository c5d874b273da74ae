#include <gtest/gtest.h>

#include <QScopeGuard>

#include <functional>
#include <optional>
#include <stdexcept>

#include "hostlink/HostCalls.h"
#include "hostlink/RecordLimits.h"
#include "hostlink/RequestDispatcher.h"
#include "hostlink/TrunkLimit.h"
#include "hostlink/WindowState.h"
#include "hostlink/cListRequest.h"
#include "localisation/Messages.h"
#include "platform/RunError.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/QtPrinters.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

class FakeWindow : public WindowState {
public:
    bool IsEnabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    void SetHourglass(bool b) override { hourglass = b; }
    bool enabled = true;
    bool hourglass = false;
};

class RequestDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            OpenDB(tree_.SuiteDatabaseDir() + QStringLiteral("Common.LNG"), g_CommonDb, true));
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false));
        for (int i = 0; i < 80; ++i)
            g_Messages << QStringLiteral("M%1").arg(i);
        dispatcher_.SetParent(&host_);
        dispatcher_.SetPBXName(QStringLiteral("PBX1"));
        for (std::int16_t s : {0, 10, 11, 12, 13, 14}) {
            dispatcher_.RegisterStep(s, [this, s] { ran_ << s; });
        }
        dispatcher_.RegisterFailure(13, [this] { failed_ << 13; });
    }

    cListRequest Request(const QString& tag) {
        cListRequest r;
        r.AddToList(QStringLiteral("3000"), QStringLiteral("001"));
        r.SetTag(tag);
        return r;
    }
    bool Send(const QString& tag = QStringLiteral("13")) {
        cListRequest request = Request(tag);
        return dispatcher_.SendToHost(request);
    }
    bool Idle() {
        return test::WaitFor([&] { return dispatcher_.State() == DispatchState::Idle; });
    }

    // Sends a request, answers it with the given code and lines, and waits
    // for the timer tick.
    void RoundTrip(const QString& tag, std::int32_t errCode, const QStringList& lastAnswers = {}) {
        cListRequest request = Request(tag);
        ASSERT_TRUE(dispatcher_.SendToHost(request));
        cListRequest answer = request;
        answer.Clear();
        answer.AddToList(QStringLiteral("3000"), QStringLiteral("001"), QStringLiteral("01"));
        if (!lastAnswers.isEmpty()) {
            answer.AddToList(QStringLiteral("3001"), QStringLiteral("001"), lastAnswers.value(0),
                             lastAnswers.value(1));
        }
        answer.SetErrCode(errCode);
        host_.callback->CallBack(answer);
        ASSERT_EQ(dispatcher_.State(), DispatchState::PendingDispatch);
        waited_ << dispatcher_.tmrEvent().interval();
        ASSERT_TRUE(Idle());
    }

    test::RuntimeTree tree_;
    FakeWindow window_;
    test::ScriptedHost host_;
    RequestDispatcher dispatcher_{window_};
    QList<std::int16_t> ran_;
    QList<std::int16_t> failed_;  // step 13's failure routine ran
    QList<int> waited_;           // the timer's interval before each answer's step
};

// The engineer's cancel reaches the host only for this window's request
// under way, by the id the host answered its send with.
TEST_F(RequestDispatcherTest, CancelReachesTheHostOnlyForTheRequestUnderWay) {
    const struct {
        const char* what;
        bool sent;                // a request is under way
        QString id;               // the id cancelled
        bool cancelled;           // the host was asked, and cancelled it
        bool hostThrows = false;  // the host fails the call
    } cases[] = {
        {"under way", true, QStringLiteral("REQ1"), true},
        {"another request", true, QStringLiteral("REQ2"), false},
        {"no id", true, QString(), false},
        {"nothing under way", false, QStringLiteral("REQ1"), false},
        {"the host fails", true, QStringLiteral("REQ1"), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host_.cancelled.clear();
        host_.cancelThrows = c.hostThrows;
        if (c.sent) {
            ASSERT_TRUE(Send(QStringLiteral("10")));
        }
        std::optional<test::ExpectQtWarning> logged;
        if (c.hostThrows)
            logged.emplace(QStringLiteral("^kestrel.hostlink: The host failed to cancel"));
        EXPECT_EQ(dispatcher_.CancelRequest(c.id), c.cancelled);
        EXPECT_EQ(host_.cancelled, c.cancelled ? QStringList{c.id} : QStringList());
        // Asked or not, the request waits for its answer as before.
        EXPECT_EQ(dispatcher_.RequestInFlight(), c.sent);
        if (c.sent)
            dispatcher_.FinishRequest(dispatcher_.CurrentLoginID());
    }
}

// A refused login sends nothing and logs nothing out; a refused send logs
// out. Either way the window is free again, and the refusal is told when the
// operation asks, once, with the host's reply. An accepted one holds the
// window until its answer, and nothing is told.
TEST_F(RequestDispatcherTest, ARefusedLoginOrSendFreesTheWindowAndIsToldOnce) {
    // A login the host fails: the error path shows common message 20 itself,
    // and it is not told again.
    host_.loginThrows = true;
    window_.enabled = false;
    ASSERT_FALSE(Send());
    dispatcher_.ReportRefused();
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, QStringLiteral("M14"));
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The exchange link")));
    EXPECT_EQ(host_.messages.last(), QStringLiteral("M1 "));
    EXPECT_TRUE(window_.enabled);
    EXPECT_FALSE(window_.hourglass);
    host_.loginThrows = false;
    const struct {
        const char* login;
        const char* send;
    } cases[] = {{"BUSY", "REQ1"},   {"ERROR", "REQ1"}, {"", "REQ1"},      {"LOGIN7", "ERROR"},
                 {"LOGIN7", "BUSY"}, {"LOGIN7", ""},    {"LOGIN7", "REQ1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.login << "/" << c.send);
        host_.loginReply = QString::fromLatin1(c.login);
        host_.sendReply = QString::fromLatin1(c.send);
        host_.logouts.clear();
        host_.messages.clear();
        host_.sends = 0;
        tree_.boxes.Clear();
        const bool loggedIn = host_.loginReply == u"LOGIN7";
        const bool accepted = loggedIn && host_.sendReply == u"REQ1";
        EXPECT_EQ(Send(), accepted);
        EXPECT_EQ(host_.sends, loggedIn ? 1 : 0);
        EXPECT_EQ(host_.logouts,
                  loggedIn && !accepted ? QStringList{QStringLiteral("LOGIN7")} : QStringList());
        EXPECT_EQ(window_.hourglass, accepted);
        EXPECT_EQ(window_.enabled, !accepted);
        EXPECT_EQ(dispatcher_.State(),
                  accepted ? DispatchState::WaitingForAnswer : DispatchState::Idle);
        dispatcher_.ReportRefused();
        dispatcher_.ReportRefused();
        ASSERT_EQ(tree_.boxes.shown.size(), accepted ? 0u : 1u);
        if (!accepted) {
            EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
                QStringLiteral("The exchange link refused the request (") +
                (loggedIn ? host_.sendReply : host_.loginReply)))
                << tree_.boxes.Last().prompt.toStdString();
        }
    }
    EXPECT_EQ(host_.sent.LoginID(), QStringLiteral("LOGIN7"));
    EXPECT_EQ(host_.sent.PBXName(), QStringLiteral("PBX1"));
    EXPECT_EQ(host_.messages, QStringList({"M1: LOGIN7", "M1: REQ1"}));
    dispatcher_.FinishRequest(dispatcher_.CurrentLoginID());
    {
        // A send the host fails counts as refused; the failure is logged.
        const test::ExpectQtWarning logged(
            QStringLiteral("^kestrel.hostlink: The host failed to take the request"));
        host_.sendThrows = true;
        EXPECT_FALSE(Send());
        EXPECT_EQ(dispatcher_.SendReply(), QString());
        EXPECT_EQ(logged.Count(), 1);
    }
}

// An answer holding a text longer than a record's in a list the tool reads,
// one that arrived unreadable, or an error answer of the login in flight
// whatever step it names (the host has ended the request) ends its request
// as failed: nothing of it is kept and its failure routine runs. Long texts
// the tool never reads spoil nothing; an error answer of another login stays
// dropped.
TEST_F(RequestDispatcherTest, AnUnusableAnswerEndsItsRequestAsFailed) {
    using Spoil = std::function<void(cListRequest&)>;
    auto error = [](const char* login, const char* tag, std::int32_t code) -> Spoil {
        return [=](cListRequest& a) {
            a.SetLoginID(QString::fromLatin1(login));
            a.SetTag(QString::fromLatin1(tag));
            a.SetErrCode(code);
            // A cancel on the last line runs the Tag's step, but only its own.
            a.SetSecondData(1, QStringLiteral("OPX_USERCANCEL"));
        };
    };
    enum Outcome { kUsed, kFailed, kDropped };
    const struct {
        const char* what;
        Spoil spoil;
        Outcome outcome;
        const char* refusal = "";
    } cases[] = {
        {"255 read", [](cListRequest& a) { a.SetSecondData(1, QString(255, u'x')); }, kUsed},
        {"256 read", [](cListRequest& a) { a.SetSecondData(1, QString(256, u'x')); }, kFailed,
         "SecondData(1) holds 256 characters"},
        {"huge read", [](cListRequest& a) { a.SetExtraData(0, QString(1 << 20, u'x')); }, kFailed,
         "ExtraData(0) holds 1048576 characters"},
        {"long unread entry", [](cListRequest& a) { a.SetDescriptionData(1, QString(999, u'x')); },
         kUsed},
        {"long host list", [](cListRequest& a) { a.SetMSGFP(0, QString(300, u'x')); }, kUsed},
        {"long header", [](cListRequest& a) { a.SetKey(QString(300, u'x')); }, kUsed},
        {"unreadable", [](cListRequest& a) { a.SetUnreadable(true); }, kFailed, "M75"},
        {"error, no step", error("LOGIN7", "", 99), kFailed},
        {"error of another step", error("LOGIN7", "12", 5), kFailed},
        {"cancel of another step", error("LOGIN7", "12", 61), kFailed},
        {"error of another login", error("LOGIN8", "", 99), kDropped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ran_.clear();
        failed_.clear();
        host_.logouts.clear();
        ASSERT_TRUE(Send());
        cListRequest answer = host_.sent;
        answer.Clear();
        answer.AddToList(QStringLiteral("3001"), QStringLiteral("001"), QStringLiteral("01"));
        answer.AddToList(QStringLiteral("3002"), QStringLiteral("001"), QStringLiteral("02"));
        c.spoil(answer);
        host_.callback->CallBack(answer);
        if (c.outcome == kDropped) {
            EXPECT_EQ(dispatcher_.State(), DispatchState::WaitingForAnswer);
            EXPECT_FALSE(window_.enabled);
            dispatcher_.FinishRequest(dispatcher_.CurrentLoginID());
            continue;
        }
        ASSERT_TRUE(Idle());
        EXPECT_TRUE(window_.enabled);
        EXPECT_EQ(host_.logouts, QStringList{QStringLiteral("LOGIN7")});
        // Either the step ran or the failure routine, once.
        EXPECT_EQ(c.outcome == kUsed ? ran_ : failed_, QList<std::int16_t>{13});
        EXPECT_TRUE((c.outcome == kUsed ? failed_ : ran_).isEmpty());
        if (c.outcome == kUsed) {
            EXPECT_EQ(dispatcher_.ResponseList().Count(), 2);
            EXPECT_TRUE(dispatcher_.RefusedAnswer().isEmpty());
        } else if (*c.refusal) {
            EXPECT_EQ(dispatcher_.ResponseList().Count(), 0);
            EXPECT_TRUE(dispatcher_.RefusedAnswer().startsWith(QString::fromUtf8(c.refusal)))
                << dispatcher_.RefusedAnswer().toStdString();
            EXPECT_EQ(dispatcher_.FailureReason(), dispatcher_.RefusedAnswer());
        }
    }
}

TEST_F(RequestDispatcherTest, AnAnswerBeforeTheSendReplyLeavesTheWindowUsable) {
    host_.answerDuringSend = true;
    EXPECT_TRUE(Send());
    EXPECT_TRUE(window_.enabled);
    EXPECT_FALSE(window_.hourglass);
    EXPECT_EQ(dispatcher_.State(), DispatchState::PendingDispatch);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ran_, QList<std::int16_t>{13});
}

// The host-link log lines written while the test runs.
QStringList g_logged;
void CaptureHostlinkLog(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (QByteArrayView(context.category) == "kestrel.hostlink")
        g_logged << text;
}

// Only the answer to the request in flight is taken: none before a send,
// none for another login or another step, none twice; each one dropped is
// logged.
TEST_F(RequestDispatcherTest, AnswersNobodyAskedForAreDropped) {
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CaptureHostlinkLog);
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    auto answer = [&](const char* login, const char* tag) {
        cListRequest a;
        a.SetLoginID(QString::fromLatin1(login));
        a.SetTag(QString::fromLatin1(tag));
        a.AddToList(QStringLiteral("3000"), QStringLiteral("100"), QStringLiteral("01"));
        dispatcher_.CallBack(a);
    };
    answer("LOGIN7", "12");  // nothing sent yet
    EXPECT_EQ(dispatcher_.State(), DispatchState::Idle);
    ASSERT_TRUE(Send());
    const std::pair<const char*, const char*> strays[] = {
        {"LOGIN8", "13"}, {"LOGIN7", "12"}, {"LOGIN7", "10"}, {"", "13"}};
    for (const auto& [login, tag] : strays) {
        answer(login, tag);
        EXPECT_EQ(dispatcher_.State(), DispatchState::WaitingForAnswer) << login << tag;
    }
    EXPECT_FALSE(window_.enabled);
    answer("LOGIN7", "13");
    EXPECT_EQ(dispatcher_.State(), DispatchState::PendingDispatch);
    answer("LOGIN7", "13");
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ran_, QList<std::int16_t>{13});  // once, and no step 12 or 10
    EXPECT_TRUE(window_.enabled);
    ASSERT_EQ(g_logged.size(), 6) << g_logged.join(u'\n').toStdString();
    EXPECT_EQ(g_logged.first(), QStringLiteral("Dropped an answer nobody asked for: login "
                                               "'LOGIN7', step '12' (no request is in flight)"));
    EXPECT_EQ(g_logged.at(1), QStringLiteral("Dropped an answer nobody asked for: login "
                                             "'LOGIN8', step '13' (another request is in "
                                             "flight)"));
}

// A request no answer ends is given up: the host is asked to cancel it, the
// window is free again, and the engineer is told, by the request's operation
// or, when it has no word of its own, by own message 50. A late answer is
// then nobody's.
TEST_F(RequestDispatcherTest, ARequestWithoutAnAnswerIsGivenUp) {
    dispatcher_.SetAnswerTimeout(0);
    for (const bool hasFailureRoutine : {true, false}) {
        SCOPED_TRACE(hasFailureRoutine);
        failed_.clear();
        host_.cancelled.clear();
        host_.logouts.clear();
        const std::size_t boxes = tree_.boxes.shown.size();
        const test::ExpectQtWarning logged(QStringLiteral("^kestrel.hostlink: No answer came"));
        ASSERT_TRUE(Send(hasFailureRoutine ? QStringLiteral("13") : QStringLiteral("14")));
        ASSERT_TRUE(Idle());
        EXPECT_TRUE(window_.enabled);
        EXPECT_FALSE(window_.hourglass);
        EXPECT_EQ(host_.cancelled, QStringList{QStringLiteral("REQ1")});
        EXPECT_EQ(host_.logouts, QStringList{QStringLiteral("LOGIN7")});
        EXPECT_EQ(dispatcher_.FailureReason(), QStringLiteral("M76"));
        EXPECT_EQ(failed_.size(), hasFailureRoutine ? 1 : 0);
        ASSERT_EQ(tree_.boxes.shown.size(), boxes + (hasFailureRoutine ? 0 : 1));
        if (!hasFailureRoutine) {
            EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
                QStringLiteral("No answer came from the exchange link")));
        }
        cListRequest late = host_.sent;
        host_.callback->CallBack(late);
        EXPECT_EQ(dispatcher_.State(), DispatchState::Idle);
        EXPECT_TRUE(ran_.isEmpty());
    }
}

// The plain road's step waits the timer's interval; a request sent to be
// answered at once (the safety net's) runs its step at the next turn, and
// only that request. A Tag that names no routine or no number leaves the
// step as it was. A failed answer runs step 15 instead, and the host's line
// names the first port or system fault (nothing in a standalone start); a
// cancel on the last line still runs the Tag's step.
TEST_F(RequestDispatcherTest, AnAnswerRunsItsTagsStepOrStep15WhenItFailed) {
    RoundTrip(QStringLiteral("13"), 0);
    EXPECT_EQ(host_.codes, QList<std::int32_t>{0});
    EXPECT_EQ(dispatcher_.ResponseList().SecondData(0), QStringLiteral("01"));
    dispatcher_.AnswerNextAtOnce();
    RoundTrip(QStringLiteral("13"), 0);
    RoundTrip(QStringLiteral("13"), 0);
    EXPECT_EQ(waited_, QList<int>({1, 0, 1}));  // the suite's pause, at once, the pause
    EXPECT_EQ(ran_, QList<std::int16_t>({13, 13, 13}));
    const struct {
        const char* tag;
        std::int32_t errCode;
        QStringList answers;
        std::int16_t ran;              // the step that ran, 0 for none
        std::int16_t pending;          // the step the answer left
        const char* message;           // the host's last line
        const char* before = nullptr;  // the host's line before the last
        bool standalone = false;
    } cases[] = {
        {"7", 0, {}, 0, 7, "M3"},
        {"abc", 0, {}, 0, 7, "M3"},
        {"", 61, {QStringLiteral("OPX_USERCANCEL")}, 0, 7, "M12"},
        {" 12 ", 0, {}, 12, 12, "M3"},
        {"70000", 0, {}, 12, 12, "M3"},
        {"11", 99, {QStringLiteral("OPX_PORT TROUBLES")}, 0, 15, "M13 99", "M4"},
        {"10", 3, {QStringLiteral("OPX_SYSERROR")}, 0, 15, "M5 3"},
        {"10", 3, {QString(), QStringLiteral("OPX_PORT TROUBLES")}, 0, 15, "M13 3"},
        {"10", 3, {QStringLiteral("OPX_TIMEOUT")}, 0, 15, "M5"},
        {"10", 5, {QStringLiteral("01"), QStringLiteral("OPX_USERCANCEL")}, 10, 10, "M5"},
        {"10", 99, {QStringLiteral("OPX_SYSERROR")}, 0, 15, nullptr, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '\'' << c.tag << "' " << c.errCode);
        ran_.clear();
        host_.messages.clear();
        host_.codes.clear();
        host_.logouts.clear();
        if (c.standalone) {
            g_Standalone = true;
            dispatcher_.SetStandaloneHost(&host_);
        }
        RoundTrip(QString::fromLatin1(c.tag), c.errCode, c.answers);
        EXPECT_EQ(host_.logouts, QStringList{QStringLiteral("LOGIN7")});
        EXPECT_TRUE(window_.enabled);
        if (c.standalone) {
            EXPECT_TRUE(host_.messages.isEmpty());
            EXPECT_TRUE(host_.codes.isEmpty());
        } else {
            EXPECT_EQ(host_.messages.last(), QString::fromLatin1(c.message));
        }
        if (c.before) {
            EXPECT_EQ(host_.messages.at(host_.messages.size() - 2), QString::fromLatin1(c.before));
        }
        EXPECT_EQ(ran_.value(0), c.ran);  // 0: none ran
        EXPECT_LE(ran_.size(), 1);
        EXPECT_EQ(dispatcher_.PendingStep(), c.pending);
        if (c.errCode != 0 && c.ran != 0) {
            EXPECT_TRUE(dispatcher_.LastAnswerIs61());
        }
    }
    // A step that fails ends the tick quietly: the engineer is shown nothing,
    // the log names the step and the error, and the dispatcher is idle again.
    const test::ExpectQtWarning logged(QStringLiteral(
        "^kestrel.hostlink: Step 13 ended with an error it did not handle: boom \\[5\\]$"));
    dispatcher_.RegisterStep(13, [] { throw RunError(5, QStringLiteral("boom")); });
    RoundTrip(QStringLiteral("13"), 0);
    EXPECT_EQ(logged.Count(), 1);
}

// A host's failure is logged and swallowed; a fault of ours is not.
TEST(TryHostCallTest, SwallowsOnlyTheHostsFailure) {
    int calls = 0;
    EXPECT_TRUE(TryHostCall("to count", [&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    {
        const test::ExpectQtWarning logged(
            QStringLiteral("^kestrel.hostlink: The host failed to fail: gone \\[440\\]$"));
        EXPECT_FALSE(TryHostCall("to fail", [] { throw RunError(440, QStringLiteral("gone")); }));
        EXPECT_EQ(logged.Count(), 1);
    }
    EXPECT_THROW(TryHostCall("to misbehave", [] { throw std::logic_error("a bug"); }),
                 std::logic_error);
}

TEST(cListRequestTest, IndicesOutsideTheListsAndTheLineAfter32767ChangeNothing) {
    cListRequest r;
    r.AddToList(QStringLiteral("3001"), QStringLiteral("001"));
    for (int index : {-1, 1, 32767, -32768}) {
        EXPECT_TRUE(r.FirstData(index).isEmpty()) << index;
        r.SetFirstData(index, QStringLiteral("x"));
        r.SetCMD(index, QStringLiteral("x"));
        r.SetMSGFP(index, QStringLiteral("x"));
    }
    EXPECT_EQ(r.Count(), 1);
    EXPECT_EQ(r.FirstData(0), QStringLiteral("001"));
    // The line after 32767 overflows and changes nothing.
    for (int i = 1; i < cListRequest::kMaxCount; ++i)
        r.AddToList(QStringLiteral("3001"));
    EXPECT_EQ(r.Count(), 32767);
    try {
        r.AddToList(QStringLiteral("3002"));
        ADD_FAILURE() << "no overflow";
    } catch (const RunError& e) {
        EXPECT_EQ(e.Number(), err::kOverflow);
    }
    EXPECT_EQ(r.Count(), 32767);
    EXPECT_EQ(r.CMDList().size(), r.MSGFPList().size());
}

TEST(MaxTrunkForVersionTest, ProcessorRevisionDecides) {
    struct Case {
        const char* answer;
        int max;
    };
    const Case cases[] = {
        {"SC-K 4.2", 255}, {"SC-K R5.0", 511}, {"SC-K M1", 255}, {"SC-K N1", 511},  {"XP 1.0", 511},
        {"SC-K", 511},     {"SC-K  4.2", 511}, {"", 511},        {"sc-k 4.2", 511}, {"SC-X A", 255},
    };
    test::ScriptedHost host;
    for (const Case& c : cases) {
        host.processor = QString::fromUtf8(c.answer);
        EXPECT_EQ(MaxTrunkForVersion(&host, QStringLiteral("PBX1")), c.max) << c.answer;
    }
    {
        // The host's failure is logged, and the larger range kept.
        const test::ExpectQtWarning logged(
            QStringLiteral("^kestrel.hostlink: The host failed to tell the processor version"));
        host.processorThrows = true;
        EXPECT_EQ(MaxTrunkForVersion(&host, QStringLiteral("PBX1")), 511);
        EXPECT_EQ(logged.Count(), 1);
    }
    EXPECT_EQ(MaxTrunkForVersion(nullptr, QStringLiteral("PBX1")), 511);
}

}  // namespace
}  // namespace kestrel
