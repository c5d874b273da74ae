#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ExchangeAnswers.h"
#include "exchange/SimulatedLink.h"
#include "hostlink/HostProgramme.h"
#include "safetynet/TrunkSnapshot.h"
#include "support/ExchangeValue.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

using test::kExchangeSeed;

QStringList Trunks(int from, int to) {
    QStringList trunks;
    for (int t = from; t <= to; ++t)
        trunks.append(QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')));
    return trunks;
}

class TrunkSnapshotTest : public ::testing::Test {
protected:
    std::unique_ptr<SimulatedExchange> Open() {
        return SimulatedExchange::Open(dir_.path() + u'/', QStringLiteral("PBX1"), kExchangeSeed);
    }
    // What the exchange's file holds for an item, as a Get would store it.
    static QString Stored(SimulatedExchange& x, int trunk, const QString& item) {
        const QString value = test::ExchangeValue(x, trunk, item);
        return value == u"DATA NOT SET" ? QString() : value;
    }
    QTemporaryDir dir_;
};

// Requests are list-ups in batches whose answers never outgrow a record.
TEST_F(TrunkSnapshotTest, BatchesNeverLetAnAnswerOutgrowARecord) {
    struct Case {
        int itemsPerTrunk;
        int trunks;
        QList<int> sizes;
    };
    const Case cases[] = {
        {16, 507, {507}},       {16, 2047, {2047}},  // 2047 x 16 = 32752 lines
        {16, 2048, {2047, 1}},                       //
        {70, 507, {468, 39}},                        // 468 x 70 = 32760
        {64, 1000, {511, 489}},                      //
        {0, 1000, {511, 489}},                       // unknown: 64 items assumed
        {-3, 512, {511, 1}},                         //
        {1, 32768, {32767, 1}},                      // one line per trunk fills a record
        {32767, 3, {1, 1, 1}},                       //
        {40000, 2, {1, 1}},                          // more items than a record: one trunk each
        {16383, 5, {2, 2, 1}},                       // 16383 x 2 = 32766
        {16384, 3, {1, 1, 1}},                       // 16384 x 2 = 32768 would be one line too many
    };
    for (const Case& c : cases) {
        QStringList asked;
        for (int i = 0; i < c.trunks; ++i)
            asked.append(QString::number(i));
        const QList<cListRequest> requests = SnapshotRequests(asked, c.itemsPerTrunk, -7);
        QList<int> sizes;
        QStringList sent;
        for (const cListRequest& r : requests) {
            sizes.append(r.Count());
            sent.append(r.FirstDataList());
            EXPECT_EQ(r.Tag(), QStringLiteral("-7"));
        }
        EXPECT_EQ(sizes, c.sizes) << c.itemsPerTrunk << " items, " << c.trunks << " trunks";
        EXPECT_EQ(sent, asked);
    }
    // One list-up per trunk, in order, a trunk named twice asked once.
    const QList<cListRequest> once =
        SnapshotRequests({"004", "001", "004", "512", "002", "001", "017"}, 16, 12);
    ASSERT_EQ(once.size(), 1);
    EXPECT_EQ(once.first().FirstDataList(), QStringList({"004", "001", "512", "002", "017"}));
    EXPECT_EQ(once.first().CMDList(), QStringList(5, QStringLiteral("L30")));
    EXPECT_EQ(once.first().SecondDataList(), QStringList(5, QString()));
    EXPECT_TRUE(SnapshotRequests({}, 16, 12).isEmpty());
}

TEST_F(TrunkSnapshotTest, TheExchangesAnswerFillsTheSnapshot) {
    auto x = Open();
    const QStringList asked = {"001", "002", "003", "017", "512", "007", "004", "003", "abc"};
    const TrunkSnapshot s = test::ReadSnapshot(*x, asked);
    EXPECT_TRUE(s.complete);
    EXPECT_TRUE(s.failure.isEmpty());
    EXPECT_EQ(s.trunks, QStringList({"001", "003", "007", "004"}));
    // Not assigned (2, every 17th) and digit errors (above 511, not a number).
    EXPECT_EQ(s.notAssigned, QStringList({"002", "017", "512", "abc"}));
    EXPECT_TRUE(s.refused.isEmpty());
    EXPECT_TRUE(s.Unanswered(asked).isEmpty());
    for (const int trunk : {1, 3, 4, 7}) {
        const QString name = QStringLiteral("%1").arg(trunk, 3, 10, QChar(u'0'));
        EXPECT_TRUE(s.Has(name));
        for (int n = 3001; n <= 3017; ++n) {
            const QString item = QString::number(n);
            EXPECT_EQ(s.Value(name, item), Stored(*x, trunk, item)) << trunk << " " << n;
        }
    }
    EXPECT_EQ(s.Value("003", "3005"), QStringLiteral("NONE"));  // "NONE" stays
    EXPECT_EQ(s.Value("007", "3012"), QString());               // "DATA NOT SET" is empty
    EXPECT_EQ(s.Value("004", "3016"), QString());
    EXPECT_TRUE(s.values.value("004").contains("3016"));
    EXPECT_EQ(s.Value("001", "3017"), QStringLiteral("1"));  // as answered, known or not
    EXPECT_EQ(s.values.value("004").size(), 16);
    EXPECT_FALSE(s.Has("002"));
    EXPECT_EQ(s.Value("002", "3001"), QString());
    EXPECT_EQ(s.Value("004", "3099"), QString());
}

TEST_F(TrunkSnapshotTest, AnswersOfSeveralBatchesAddUp) {
    auto x = Open();
    const QStringList asked = Trunks(1, 40);
    // Four items a trunk would fit 8191 trunks; 1000 items only 32.
    const TrunkSnapshot s = test::ReadSnapshot(*x, asked, 1000);
    ASSERT_EQ(SnapshotRequests(asked, 1000, 12).size(), 2);
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.trunks.size() + s.notAssigned.size(), 40);
    EXPECT_EQ(s.notAssigned, QStringList({"002", "017", "034"}));
    EXPECT_EQ(s.trunks.first(), QStringLiteral("001"));
    EXPECT_EQ(s.trunks.last(), QStringLiteral("040"));
    EXPECT_EQ(s.Value("040", "3001"), Stored(*x, 40, "3001"));
    // The same trunk answered again is listed once, its values the latest.
    TrunkSnapshot again = s;
    cListRequest answer;
    answer.AddToList("3001", "040", "09");
    TakeSnapshotAnswer(answer, again);
    EXPECT_EQ(again.trunks, s.trunks);
    EXPECT_EQ(again.Value("040", "3001"), QStringLiteral("09"));
}

TEST_F(TrunkSnapshotTest, EachKindOfEntryGoesToItsPlace) {
    struct Case {
        const char* cmd;
        const char* fd;
        const char* sd;
        const char* where;  // value / notAssigned / refused / failure / nothing
        const char* kept;
    };
    const Case cases[] = {
        {"3001", "005", "07", "value", "07"},
        {"3005", "005", "NONE", "value", "NONE"},
        {"3016", "005", "DATA NOT SET", "value", ""},
        {"3002", "005", "CODE NOT USED", "value", ""},
        {"3002", "005", "", "value", ""},
        {"3003", "T005", "2", "value", "2"},  // the trunk is the last three characters
        {"L30", "005", "TRK NOT ASSIGNED", "notAssigned", ""},
        {"L30", "600", "DIGIT ERROR", "notAssigned", ""},
        {"3001", "600", "DIGIT ERROR", "notAssigned", ""},
        {"L30", "005", "WAIT, BUSY NOW", "refused", "WAIT, BUSY NOW"},
        {"L30", "005", "CODE NOT ALLOWED", "refused", "CODE NOT ALLOWED"},
        {"L30", "005", "OPX_TIMEOUT", "failure", "OPX_TIMEOUT"},
        {"3001", "005", "OPX_PORT TROUBLES", "failure", "OPX_PORT TROUBLES"},
        {"L30", "005", "OPX_USERCANCEL", "failure", "OPX_USERCANCEL"},
        {"3001", "005", "OPX_STN_MLTIP", "failure", "OPX_STN_MLTIP"},
    };
    for (const Case& c : cases) {
        const QString trunk = QString::fromUtf8(c.fd).right(3);
        cListRequest answer;
        answer.AddToList(QString::fromUtf8(c.cmd), QString::fromUtf8(c.fd),
                         QString::fromUtf8(c.sd));
        TrunkSnapshot s;
        TakeSnapshotAnswer(answer, s);
        const std::string where = c.where;
        const QString kept = QString::fromUtf8(c.kept);
        SCOPED_TRACE(std::string(c.cmd) + " " + c.fd + " " + c.sd);
        EXPECT_EQ(s.Has(trunk), where == "value");
        EXPECT_EQ(s.trunks, where == "value" ? QStringList{trunk} : QStringList());
        if (where == "value") {
            EXPECT_EQ(s.Value(trunk, QString::fromUtf8(c.cmd)), kept);
        }
        EXPECT_EQ(s.notAssigned, where == "notAssigned" ? QStringList{trunk} : QStringList());
        EXPECT_EQ(s.refused.value(trunk), where == "refused" ? kept : QString());
        EXPECT_EQ(s.complete, where != "failure");
        EXPECT_EQ(s.failure, where == "failure" ? kept : QString());
    }
}

TEST_F(TrunkSnapshotTest, ErrorCodesAndFullRecordsMakeItIncomplete) {
    cListRequest answer;
    answer.AddToList("3001", "005", "07");
    answer.SetErrCode(99);
    TrunkSnapshot s;
    TakeSnapshotAnswer(answer, s);
    EXPECT_FALSE(s.complete);
    EXPECT_EQ(s.failure, QStringLiteral("ErrCode 99"));
    EXPECT_EQ(s.Value("005", "3001"), QStringLiteral("07"));  // what came is kept

    // The first failure is the one named.
    cListRequest later;
    later.AddToList("L30", "006", "OPX_TIMEOUT");
    TakeSnapshotAnswer(later, s);
    EXPECT_EQ(s.failure, QStringLiteral("ErrCode 99"));

    // A record filled to the last line may have been cut by the host.
    const QStringList cmd(cListRequest::kMaxCount, QStringLiteral("3001"));
    QStringList fd;
    for (int i = 0; i < cListRequest::kMaxCount; ++i)
        fd.append(QString::number(100000 + i));
    const QStringList sd(cListRequest::kMaxCount, QStringLiteral("01"));
    const QStringList none(cListRequest::kMaxCount, QString());
    cListRequest full;
    ASSERT_TRUE(full.SetLists(cmd, fd, sd, none, none, none, none, none));
    TrunkSnapshot cut;
    TakeSnapshotAnswer(full, cut);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.failure, QStringLiteral("OPX_MEM OVERFLOW"));
    cListRequest oneShort;
    ASSERT_TRUE(oneShort.SetLists(cmd.mid(1), fd.mid(1), sd.mid(1), none.mid(1), none.mid(1),
                                  none.mid(1), none.mid(1), none.mid(1)));
    TrunkSnapshot whole;
    TakeSnapshotAnswer(oneShort, whole);
    EXPECT_TRUE(whole.complete);
}

// A call-back that keeps the last answer.
class LastAnswer : public CallBackTarget {
public:
    void CallBack(cListRequest& response) override {
        answer = response;
        ++answers;
    }
    cListRequest answer;
    int answers = 0;
};

// Reads through the simulated host's link, faults and all.
class SnapshotOverLinkTest : public TrunkSnapshotTest {
protected:
    TrunkSnapshot Read(const QStringList& trunks, const ExchangeFaults& faults) {
        Open()->SetFaults(faults);
        SimulatedLink link(dir_.path() + u'/', kExchangeSeed);
        LastAnswer target;
        const QString login = link.Login(QStringLiteral("PBX1"), &target);
        TrunkSnapshot s;
        for (cListRequest request : SnapshotRequests(trunks, 16, 12)) {
            request.SetLoginID(login);
            request.SetPBXName(QStringLiteral("PBX1"));
            const int before = target.answers;
            EXPECT_TRUE(link.SendRequest(request).startsWith(QStringLiteral("REQ")));
            EXPECT_TRUE(test::WaitFor([&] { return target.answers > before; }));
            EXPECT_EQ(target.answer.Tag(), QStringLiteral("12"));
            TakeSnapshotAnswer(target.answer, s);
        }
        return s;
    }
};

TEST_F(SnapshotOverLinkTest, LinkFailureLeavesTheTrunkUnread) {
    ExchangeFaults faults;
    faults.linkFailEntries = {1};
    faults.linkFailText = QStringLiteral("OPX_PORT TROUBLES");
    const QStringList asked = {"001", "003", "004", "002"};
    const TrunkSnapshot s = Read(asked, faults);
    EXPECT_FALSE(s.complete);
    EXPECT_EQ(s.failure, QStringLiteral("OPX_PORT TROUBLES"));
    EXPECT_EQ(s.trunks, QStringList({"001", "004"}));
    EXPECT_EQ(s.notAssigned, QStringList({"002"}));
    EXPECT_EQ(s.Unanswered(asked), QStringList({"003"}));
}

}  // namespace
}  // namespace kestrel
