#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ExchangeAnswers.h"
#include "safetynet/TrunkSnapshot.h"
#include "support/ExchangeValue.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

// Requests are list-ups in batches whose answers never outgrow a record.
TEST(TrunkSnapshotTest, BatchesNeverLetAnAnswerOutgrowARecord) {
    struct Case {
        int itemsPerTrunk;
        int trunks;
        QList<int> sizes;
    };
    const Case cases[] = {
        {16, 2047, {2047}},      // 2047 x 16 = 32752 lines
        {16, 2048, {2047, 1}},   //
        {70, 507, {468, 39}},    // 468 x 70 = 32760
        {0, 1000, {511, 489}},   // unknown: 64 items assumed
        {-3, 512, {511, 1}},     //
        {1, 32768, {32767, 1}},  // one line per trunk fills a record
        {40000, 2, {1, 1}},      // more items than a record: one trunk each
        {16383, 5, {2, 2, 1}},   // 16383 x 2 = 32766
        {16384, 3, {1, 1, 1}},   // 16384 x 2 = 32768 would be one line too many
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
            EXPECT_EQ(r.Tag(), "-7");
        }
        EXPECT_EQ(sizes, c.sizes) << c.itemsPerTrunk << " items, " << c.trunks << " trunks";
        EXPECT_EQ(sent, asked);
    }
    // One list-up per trunk, in order, a trunk named twice asked once.
    const QList<cListRequest> once = SnapshotRequests({"004", "001", "004", "512", "001"}, 16, 12);
    ASSERT_EQ(once.size(), 1);
    EXPECT_EQ(once.first().FirstDataList().join(u' ') + u'/' + once.first().CMDList().join(u' '),
              "004 001 512/L30 L30 L30");
    EXPECT_TRUE(SnapshotRequests({}, 16, 12).isEmpty());
}

// 39 trunks asked, a few twice; 1000 items a trunk take two batches.
TEST(TrunkSnapshotTest, TheExchangesAnswersFillTheSnapshotBatchByBatch) {
    QTemporaryDir dir;
    auto x = SimulatedExchange::Open(dir.path() + u'/', "PBX1", test::kExchangeSeed);
    const QStringList asked =
        QStringList{"001", "002", "003", "017", "512", "007", "004", "003", "abc"} +
        ParseTrunkRange("30-60", 511).trunks;
    ASSERT_EQ(SnapshotRequests(asked, 1000, 12).size(), 2);
    const TrunkSnapshot s = test::ReadSnapshot(*x, asked, 1000);
    EXPECT_TRUE(s.complete && s.failure.isEmpty() && s.refused.isEmpty());
    EXPECT_EQ(s.trunks.mid(0, 6).join(u' '), "001 003 007 004 030 031");
    EXPECT_EQ(s.trunks.size(), 33);
    // Not assigned (2, every 17th) and digit errors (above 511, not a number).
    EXPECT_EQ(s.notAssigned.join(u' '), "002 017 512 abc 034 051");
    EXPECT_TRUE(s.Unanswered(asked).isEmpty());
    for (const int trunk : {1, 3, 4, 7, 60}) {
        const QString name = QStringLiteral("%1").arg(trunk, 3, 10, QChar(u'0'));
        for (int n = 3001; n <= 3017; ++n) {
            const QString item = QString::number(n);
            // What the exchange's file holds, as a Get would store it.
            const QString held = test::ExchangeValue(*x, trunk, item);
            EXPECT_EQ(s.Value(name, item), held == u"DATA NOT SET" ? QString() : held)
                << trunk << " " << n;
        }
    }
    EXPECT_EQ(s.values.value("004").size(), 16);
    // The same trunk answered again is listed once, its values the latest.
    TrunkSnapshot again = s;
    cListRequest answer;
    answer.AddToList("3001", "040", "09");
    TakeSnapshotAnswer(answer, again);
    EXPECT_EQ(again.trunks, s.trunks);
    EXPECT_EQ(again.Value("040", "3001"), "09");
}

// Each kind of entry and where it goes: a value of a trunk, a trunk not
// assigned, one refused or the first failure.
TEST(TrunkSnapshotTest, EachKindOfEntryGoesToItsPlace) {
    // clang-format off
    const char* cases[][4] = {
        {"3005", "005", "NONE", "value 005=NONE"}, {"3002", "005", "", "value 005="},
        {"3002", "005", "CODE NOT USED", "value 005="},
        {"3003", "T005", "2", "value 005=2"},  // the trunk is the last three characters
        {"3001", "600", "DIGIT ERROR", "not assigned 600"},
        {"L30", "005", "WAIT, BUSY NOW", "refused 005=WAIT, BUSY NOW"},
        {"L30", "005", "CODE NOT ALLOWED", "refused 005=CODE NOT ALLOWED"},
        {"L30", "005", "OPX_TIMEOUT", "incomplete OPX_TIMEOUT"},
        {"L30", "005", "OPX_USERCANCEL", "incomplete OPX_USERCANCEL"},
        {"3001", "005", "OPX_STN_MLTIP", "incomplete OPX_STN_MLTIP"},
    };
    // clang-format on
    for (const auto& [cmd, fd, sd, expected] : cases) {
        cListRequest answer;
        answer.AddToList(QString::fromUtf8(cmd), QString::fromUtf8(fd), QString::fromUtf8(sd));
        TrunkSnapshot s;
        TakeSnapshotAnswer(answer, s);
        QStringList where;
        for (const QString& trunk : s.trunks)
            where << "value " + trunk + u'=' + s.Value(trunk, QString::fromUtf8(cmd));
        if (!s.notAssigned.isEmpty())
            where << "not assigned " + s.notAssigned.join(u',');
        for (auto it = s.refused.cbegin(); it != s.refused.cend(); ++it)
            where << "refused " + it.key() + u'=' + it.value();
        if (!s.complete || !s.failure.isEmpty())
            where << (s.complete ? "complete " : "incomplete ") + s.failure;
        EXPECT_EQ(where.join(u';'), QString::fromUtf8(expected)) << cmd << " " << fd << " " << sd;
    }
}

TEST(TrunkSnapshotTest, FailuresAndFullRecordsMakeItIncompleteAndKeepWhatCame) {
    // A link failure on one trunk's entry (as the link answers it): the
    // entries around it are taken, that trunk is left unanswered.
    cListRequest link;
    link.AddToList("3001", "001", "01");
    link.AddToList("L30", "003", "OPX_PORT TROUBLES", "OPX_PORT TROUBLES");
    link.AddToList("3001", "004", "02");
    link.AddToList("L30", "002", "TRK NOT ASSIGNED");
    TrunkSnapshot l;
    TakeSnapshotAnswer(link, l);
    EXPECT_EQ(QStringList({l.trunks.join(u' '), l.notAssigned.join(u' '),
                           l.Unanswered({"001", "003", "004", "002"}).join(u' '), l.failure}),
              QStringList({"001 004", "002", "003", "OPX_PORT TROUBLES"}));
    EXPECT_FALSE(l.complete);

    // What came is kept; the first failure is the one named.
    cListRequest answer, later;
    answer.AddToList("3001", "005", "07");
    answer.SetErrCode(99);
    later.AddToList("L30", "006", "OPX_TIMEOUT");
    TrunkSnapshot s;
    TakeSnapshotAnswer(answer, s);
    TakeSnapshotAnswer(later, s);
    EXPECT_FALSE(s.complete);
    EXPECT_EQ(s.failure + u'|' + s.Value("005", "3001"), "ErrCode 99|07");

    // A record filled to the last line may have been cut by the host; one
    // line short it is whole.
    cListRequest full;
    for (int i = 0; i < cListRequest::kMaxCount - 1; ++i)
        full.AddToList("3001", QString::number(100000 + i), "01");
    TrunkSnapshot whole;
    TakeSnapshotAnswer(full, whole);
    EXPECT_TRUE(whole.complete);
    full.AddToList("3001", "099999", "01");
    TrunkSnapshot cut;
    TakeSnapshotAnswer(full, cut);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.failure, "OPX_MEM OVERFLOW");
}

}  // namespace
}  // namespace kestrel
