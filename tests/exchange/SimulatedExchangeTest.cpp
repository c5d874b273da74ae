#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <map>
#include <tuple>

#include "exchange/SimulatedExchange.h"
#include "exchange/SimulatedLink.h"
#include "platform/Database.h"
#include "support/QtPrinters.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

const QString kSeed = QStringLiteral(KESTREL_STAGE_ROOT "/HELM32/DATABASE/Exchange.seed");

class SimulatedExchangeTest : public ::testing::Test {
protected:
    std::unique_ptr<SimulatedExchange> Open(const QString& name) {
        return SimulatedExchange::Open(dir_.path() + u'/', name, kSeed);
    }
    std::vector<AnswerEntry> Ask(SimulatedExchange& x, const QString& cmd, const QString& fd,
                                 const QString& sd = {}) {
        std::vector<AnswerEntry> out;
        x.Answer(cmd, fd, sd, out);
        return out;
    }
    QTemporaryDir dir_;
};

TEST_F(SimulatedExchangeTest, TrunkCheckAnswers) {
    auto pbx1 = Open(QStringLiteral("PBX1"));
    auto pbx2 = Open(QStringLiteral("PBX2"));
    // Per exchange, each answer and the trunks that get it (000 and 0 are
    // numbers, never assigned); a list-up of such a trunk is the one entry
    // with its answer.
    const struct {
        SimulatedExchange* x;
        const char* answer;
        QStringList trunks;
        const char* cmd = "3000";
    } cases[] = {
        {pbx1.get(), "02", {"001"}},
        {pbx1.get(), "04", {"511"}},
        {pbx1.get(), "TRK NOT ASSIGNED", {"002", "017", "000", "0"}},
        {pbx1.get(), "DIGIT ERROR", {"512", "999999", "1234567", "1a", "-1", ""}},
        {pbx2.get(), "03", {"254"}},
        {pbx2.get(), "DIGIT ERROR", {"256"}},
        {pbx1.get(), "TRK NOT ASSIGNED", {"000"}, "L30"},
        {pbx1.get(), "DIGIT ERROR", {"512"}, "L30"},
    };
    for (const auto& c : cases) {
        for (const QString& trunk : c.trunks) {
            const auto out = Ask(*c.x, QString::fromLatin1(c.cmd), trunk);
            ASSERT_EQ(out.size(), 1u);
            EXPECT_EQ(out[0].cmd, QString::fromLatin1(c.cmd));
            EXPECT_EQ(out[0].firstData, trunk);
            EXPECT_EQ(out[0].secondData, QString::fromUtf8(c.answer)) << trunk.toStdString();
        }
    }
    EXPECT_EQ(pbx1->Processor(), QStringLiteral("SC-K R5.0"));
    EXPECT_EQ(pbx2->Processor(), QStringLiteral("SC-K 4.2"));
    EXPECT_EQ(Open(QStringLiteral("Any 'other' näme"))->MaxTrunk(), 511);
}

// Writes are checked, stored and answered; a refused item says so. Writes
// of a silent item are answered OK and not stored, also on a file made
// before the column existed: setting the fault gives the file its column.
TEST_F(SimulatedExchangeTest, WritesRefusalsAndSilentItems) {
    {
        auto old = Open(QStringLiteral("PBX1"));
        Database& db = old->Db();
        db.Execute(QStringLiteral(
            "CREATE TABLE OldFaults AS SELECT LoginReply, SendReply, EntryDelayMs, "
            "LinkFailEntries, LinkFailText, CancelAfter, ErrCode, RefuseItems, RefuseText "
            "FROM Faults"));
        db.Execute(QStringLiteral("DROP TABLE Faults"));
        db.Execute(QStringLiteral("ALTER TABLE OldFaults RENAME TO Faults"));
    }
    auto x = Open(QStringLiteral("PBX1"));
    EXPECT_TRUE(x->Faults().silentItems.isEmpty());
    const auto before = Ask(*x, QStringLiteral("L30"), QStringLiteral("005"));
    ASSERT_GE(before.size(), 14u);
    ASSERT_EQ(before[1].cmd, QStringLiteral("3002"));
    ASSERT_NE(before[1].secondData, QStringLiteral("3"));
    ExchangeFaults faults;
    faults.silentItems = {QStringLiteral("3002"), QStringLiteral("3014")};
    faults.refuseItems = {QStringLiteral("3014")};
    x->SetFaults(faults);
    struct Case {
        const char* cmd;
        const char* trunk;
        const char* value;
        const char* sd;
        const char* ed;
    };
    const Case cases[] = {
        {"3001", "005", "07", "07", "OK"},
        {"3001", "005", "65", "65", "DATA ERROR"},
        {"3005", "005", "CCC", "CCC", "OK"},
        {"3006", "005", "1F", "1F", "OK"},
        {"3006", "005", "1f", "1f", "DATA ERROR"},
        {"3014", "005", "IC", "IC", "CODE NOT ALLOWED"},  // a refusal is said, not hidden
        {"3099", "005", "1", "CODE NOT USED", ""},
        {"3001", "002", "01", "01", "TRK NOT ASSIGNED"},
        {"3001", "000", "01", "01", "TRK NOT ASSIGNED"},
        {"3001", "600", "01", "01", "DIGIT ERROR"},
        {"", "005", "01", "DATA ERROR", ""},
        {"3009", "005", "EB2001", "EB2001", "OK"},
        {"3002", "005", "3", "3", "OK"},                // silent: answered as stored
        {"3002", "005", "CCC", "CCC", "OK"},            // a clear is not stored either
        {"3002", "005", "9", "9", "DATA ERROR"},        // values are still checked
        {"3002", "002", "3", "3", "TRK NOT ASSIGNED"},  // and trunks
        {"@LEN", "EB2001", "", "", "OPX_STN_STATION"},  // the station a forwarding names
        {"@LEN", "C300", "", "", "OPX_STN_MLT"},
        {"@LEN", "999", "", "", "OPX_STN_NOT ASSIGNED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cmd << " " << c.trunk << " " << c.value);
        const auto out = Ask(*x, QString::fromUtf8(c.cmd), QString::fromUtf8(c.trunk),
                             QString::fromUtf8(c.value));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].secondData, QString::fromUtf8(c.sd));
        EXPECT_EQ(out[0].extraData, QString::fromUtf8(c.ed));
    }
    // The writes persist across a reopen; "CCC" cleared the item to NONE;
    // the silent item holds what it held.
    x.reset();
    auto again = Open(QStringLiteral("PBX1"));
    const auto after = Ask(*again, QStringLiteral("L30"), QStringLiteral("005"));
    ASSERT_EQ(after.size(), before.size());
    QStringList changed;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i].secondData != before[i].secondData)
            changed << after[i].cmd + u'=' + after[i].secondData;
    }
    EXPECT_EQ(changed, QStringList({"3001=07", "3005=NONE", "3006=1F", "3009=EB2001"}));
}

// A call-back that records answers and whether one came during a send.
class Recorder : public CallBackTarget {
public:
    void CallBack(cListRequest& response) override {
        answers.push_back(response);
        if (insideSend)
            cameInsideSend = true;
    }
    std::vector<cListRequest> answers;
    bool insideSend = false;
    bool cameInsideSend = false;
};

// Requests of two logins on one link, slowed down so a cancel finds them
// under way: trunk checks tagged as step 13.
class LinkCancelTest : public SimulatedExchangeTest {
protected:
    void SetUp() override {
        ExchangeFaults faults;
        faults.entryDelayMs = 4;
        Open(QStringLiteral("PBX1"))->SetFaults(faults);
        first_ = link_.Login(QStringLiteral("PBX1"), &recorder_);
        second_ = link_.Login(QStringLiteral("PBX1"), &other_);
        QObject::connect(&link_, &SimulatedLink::requestProgress,
                         [this](const QString& id, const QString& login, int done, int total) {
                             progress_[id].push_back({login, done, total});
                         });
        QObject::connect(&link_, &SimulatedLink::requestEnded,
                         [this](const QString& id, const QString& login, int errCode) {
                             ended_ << id + u'/' + login + u'/' + QString::number(errCode);
                         });
    }
    // Trunk checks of trunks 1 to `entries` on one login.
    QString Send(const QString& login, int entries) {
        cListRequest request;
        for (int t = 1; t <= entries; ++t)
            request.AddToList(QStringLiteral("3000"),
                              QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')));
        request.SetLoginID(login);
        request.SetPBXName(QStringLiteral("PBX1"));
        request.SetTag(QStringLiteral("13"));
        recorder_.insideSend = true;
        const QString reply = link_.SendRequest(request);
        recorder_.insideSend = false;
        return reply;
    }
    bool WaitForAnswers(size_t first, size_t other) {
        return test::WaitFor(
            [&] { return recorder_.answers.size() >= first && other_.answers.size() >= other; },
            30000);
    }
    static bool Cancelled(const cListRequest& answer) {
        return answer.ErrCode() == 61 && answer.Count() > 0 &&
               answer.SecondData(answer.Count() - 1) == u"OPX_USERCANCEL" &&
               answer.ExtraData(answer.Count() - 1) == u"OPX_USERCANCEL";
    }
    static bool Untouched(const cListRequest& answer, int entries) {
        if (answer.ErrCode() != 0 || answer.Count() != entries)
            return false;
        for (int i = 0; i < entries; ++i) {
            if (answer.SecondData(i).startsWith(QStringLiteral("OPX_")))
                return false;
        }
        return true;
    }
    struct Step {
        QString login;
        int done;
        int total;
    };
    SimulatedLink link_{dir_.path() + u'/', kSeed};
    Recorder recorder_;
    Recorder other_;
    QString first_;
    QString second_;
    std::map<QString, std::vector<Step>> progress_;
    QStringList ended_;  // "request/login/error code" as each request ended
};

TEST_F(LinkCancelTest, AnswersArriveLaterWithTheRequestsHeaderOrTheFaultsSet) {
    EXPECT_TRUE(Send(first_, 2).startsWith(QStringLiteral("REQ")));
    ASSERT_TRUE(WaitForAnswers(1, 0));
    EXPECT_FALSE(recorder_.cameInsideSend);
    const cListRequest answer = recorder_.answers.back();
    EXPECT_EQ(answer.Tag(), QStringLiteral("13"));
    EXPECT_EQ(answer.LoginID(), first_);
    EXPECT_EQ(answer.ErrCode(), 0);
    ASSERT_EQ(answer.Count(), 2);
    EXPECT_EQ(answer.SecondData(1), QStringLiteral("TRK NOT ASSIGNED"));

    // The faults set in the exchange's file: a refused login or send, a link
    // failing on an entry, a cancel from an entry on, an error code.
    auto setFaults = [&](const std::function<void(ExchangeFaults&)>& set) {
        ExchangeFaults faults;
        set(faults);
        Open(QStringLiteral("PBX1"))->SetFaults(faults);
    };
    setFaults([](ExchangeFaults& f) { f.loginReply = QStringLiteral("BUSY"); });
    EXPECT_EQ(link_.Login(QStringLiteral("PBX1"), &recorder_), QStringLiteral("BUSY"));
    setFaults([](ExchangeFaults& f) { f.sendReply = QStringLiteral("ERROR"); });
    EXPECT_EQ(Send(first_, 1), QStringLiteral("ERROR"));
    EXPECT_EQ(Send(QStringLiteral("nobody"), 1), QStringLiteral("ERROR"));
    setFaults([](ExchangeFaults& f) {
        f.linkFailEntries = {1};
        f.linkFailText = QStringLiteral("OPX_PORT TROUBLES");
        f.cancelAfter = 3;
    });
    cListRequest writes;
    for (int t = 3; t <= 7; ++t) {
        writes.AddToList(QStringLiteral("3002"), QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')),
                         QStringLiteral("1"));
    }
    writes.SetLoginID(first_);
    writes.SetPBXName(QStringLiteral("PBX1"));
    link_.SendRequest(writes);
    ASSERT_TRUE(WaitForAnswers(2, 0));
    const cListRequest faulted = recorder_.answers.back();
    ASSERT_EQ(faulted.Count(), 5);
    EXPECT_EQ(QStringList({faulted.ExtraData(0), faulted.ExtraData(1), faulted.ExtraData(2),
                           faulted.SecondData(3), faulted.ExtraData(4)}),
              QStringList({"OK", "OPX_PORT TROUBLES", "OK", "OPX_USERCANCEL", "OPX_USERCANCEL"}));
    EXPECT_EQ(faulted.ErrCode(), 61);
    setFaults([](ExchangeFaults& f) { f.errCode = 99; });
    link_.SendRequest(writes);
    ASSERT_TRUE(WaitForAnswers(3, 0));
    EXPECT_EQ(recorder_.answers.back().ErrCode(), 99);
}

// A cancel takes only the request it names (by request, by login, or every
// one under way), never one sent after it.
TEST_F(LinkCancelTest, ACancelTakesOnlyTheRequestsItNames) {
    const QString a = Send(first_, 40);
    const QString b = Send(second_, 20);
    ASSERT_NE(a, b);
    EXPECT_TRUE(link_.CancelRequest(a));
    ASSERT_TRUE(WaitForAnswers(1, 1));
    EXPECT_TRUE(Cancelled(recorder_.answers.back()));
    EXPECT_EQ(recorder_.answers.back().RequestID(), a);
    EXPECT_TRUE(Untouched(other_.answers.back(), 20));
    // Answered requests can no longer be cancelled.
    EXPECT_FALSE(link_.CancelRequest(a));
    EXPECT_FALSE(link_.CancelRequest(QStringLiteral("REQ999")));
    EXPECT_FALSE(link_.RequestUnderWay());

    // By login: only that login's request goes.
    Send(first_, 20);
    Send(second_, 40);
    EXPECT_EQ(link_.CancelLogin(second_), 1);
    EXPECT_EQ(link_.CancelLogin(QStringLiteral("LOGIN99")), 0);
    ASSERT_TRUE(WaitForAnswers(2, 2));
    EXPECT_TRUE(Untouched(recorder_.answers.back(), 20));
    EXPECT_TRUE(Cancelled(other_.answers.back()));

    // The host's cancel with nothing under way cancels nothing to come.
    link_.Cancel();
    Send(first_, 5);
    ASSERT_TRUE(WaitForAnswers(3, 2));
    EXPECT_TRUE(Untouched(recorder_.answers.back(), 5));

    // A request sent after the cancel neither undoes it nor inherits it.
    Send(first_, 40);
    link_.Cancel();
    Send(second_, 5);
    ASSERT_TRUE(WaitForAnswers(4, 3));
    EXPECT_TRUE(Cancelled(recorder_.answers.back()));
    EXPECT_TRUE(Untouched(other_.answers.back(), 5));

    // The same login asks again after its cancelled request.
    const QString again = Send(first_, 40);
    link_.CancelRequest(again);
    Send(first_, 5);
    ASSERT_TRUE(WaitForAnswers(6, 3));
    EXPECT_TRUE(Cancelled(recorder_.answers[4]));
    EXPECT_TRUE(Untouched(recorder_.answers[5], 5));

    // The host's cancel takes every request under way, each by its flag.
    Send(first_, 40);
    Send(second_, 40);
    link_.Cancel();
    ASSERT_TRUE(WaitForAnswers(7, 4));
    EXPECT_TRUE(Cancelled(recorder_.answers.back()));
    EXPECT_TRUE(Cancelled(other_.answers.back()));
}

// Each request reports its progress entry by entry and ends with its code.
// Each entry stays applied as it is executed: a window killed in the middle
// of a request that wrote first leaves the write, as a real exchange does.
TEST_F(LinkCancelTest, ProgressIsReportedPerRequestAndEachEntryStaysApplied) {
    cListRequest write;
    write.AddToList(QStringLiteral("3001"), QStringLiteral("004"), QStringLiteral("CCC"));
    for (int t = 1; t < 70; ++t)
        write.AddToList(QStringLiteral("3000"), QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')));
    write.SetLoginID(first_);
    write.SetPBXName(QStringLiteral("PBX1"));
    const QString a = link_.SendRequest(write);
    const QString b = Send(second_, 3);
    ASSERT_TRUE(test::WaitFor([&] { return progress_[a].size() >= 2; }, 30000));
    // The write before the request ends (a slow window may see a later
    // report overtake it).
    EXPECT_GE(progress_[a][1].done, 1);
    ASSERT_TRUE(link_.RequestUnderWay());
    EXPECT_EQ(Ask(*Open(QStringLiteral("PBX1")), QStringLiteral("L30"), QStringLiteral("004"))[0]
                  .secondData,
              QStringLiteral("NONE"));
    ASSERT_TRUE(WaitForAnswers(1, 1));
    for (const auto& [id, login, entries] :
         {std::tuple{a, first_, 70}, std::tuple{b, second_, 3}}) {
        const std::vector<Step>& steps = progress_[id];
        ASSERT_GE(steps.size(), 2u) << id.toStdString();
        EXPECT_EQ(steps.front().done, 0);  // announced as accepted
        EXPECT_EQ(steps.back().done, entries);
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].login, login);
            EXPECT_EQ(steps[i].total, entries);
            if (i > 0) {
                EXPECT_GT(steps[i].done, steps[i - 1].done);
            }
        }
    }
    EXPECT_EQ(ended_, QStringList({a + u'/' + first_ + QStringLiteral("/0"),
                                   b + u'/' + second_ + QStringLiteral("/0")}));
    // A cancelled request ends with the user's cancel code.
    const QString c = Send(second_, 40);
    link_.CancelRequest(c);
    ASSERT_TRUE(WaitForAnswers(1, 2));
    ASSERT_EQ(ended_.size(), 3);
    EXPECT_EQ(ended_[2], c + u'/' + second_ + QStringLiteral("/61"));
    EXPECT_LT(progress_[c].back().done, 40);
}

}  // namespace
}  // namespace kestrel
