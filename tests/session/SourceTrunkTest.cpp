#include <gtest/gtest.h>

#include "catalogue/ValueListModel.h"
#include "copyengine/DestinationChecker.h"
#include "copyengine/SourceTrunkReader.h"
#include "support/SessionFixture.h"
#include "support/SqlRows.h"

namespace kestrel {
namespace {

class SourceTrunkTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        OpenHosted();
        window_.trunkBox = QStringLiteral("005");
    }
    int Rows(const char* table) const {
        return test::SqlValue(*session_->WorkDb(),
                              QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
            .toInt();
    }
    // The destinations of the copy sent after the check (none: not sent).
    QStringList Copied() const {
        QStringList trunks;
        for (const QString& t : host_.sent.FirstDataList()) {
            if (host_.sent.Tag() == u"10" && !trunks.contains(t))
                trunks << t;
        }
        return trunks;
    }
    QStringList Listup() const {
        return test::SqlRows(*session_->WorkDb(),
                             QStringLiteral("SELECT CMD, Data FROM TrkDataListup"));
    }
};

TEST_F(SourceTrunkTest, SourceCheckAsksForTheListupOrReportsNotAssigned) {
    Answer(QStringLiteral("13"), {{"3000", "005", "02"}});
    EXPECT_EQ(host_.sent.CMD(0), QStringLiteral("L30"));
    EXPECT_EQ(host_.sent.FirstData(0), QStringLiteral("005"));
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("11"));

    session_->Values().AddRow(QStringLiteral("3001;01;Route;01"));
    session_->SetNoSourceData(false);
    Answer(QStringLiteral("13"), {{"3000", "005", "TRK NOT ASSIGNED"}});
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("13"));  // no list-up asked for
    EXPECT_EQ(session_->Values().rowCount(), 0);
    EXPECT_TRUE(session_->NoSourceData());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The source trunk is not")));
}

TEST_F(SourceTrunkTest, ListupStoresValuesCodesAndVisibleItemsOnly) {
    QString lineAtBox;
    tree_.boxes.onShow = [&](const MessageBoxRequest&) {
        lineAtBox = host_.messages.value(host_.messages.size() - 1);
    };
    Answer(QStringLiteral("11"), {{"3001", "005", "03"},
                                  {"3005", "005", "NONE"},
                                  {"3012", "005", "DATA NOT SET"},
                                  {"3002", "005", "OPX_TIMEOUT"},
                                  {"3003", "005", "DATA NOT FOUND"},
                                  {"3015", "005", "0"},
                                  {"3016", "005", "1"},
                                  {"3006", "005", "O'Ü \"1\""}});
    EXPECT_EQ(Listup(),
              QStringList({"3001=03", "3005=NONE", "3012=", "3002=", "3003=", "3006=O'Ü \"1\""}));
    EXPECT_EQ(session_->Values().rowCount(), 6);
    EXPECT_EQ(session_->Values().Cell(1, ValueListModel::kOriginal), QStringLiteral("NONE"));
    EXPECT_EQ(session_->Values().Cell(0, ValueListModel::kDescription),
              QStringLiteral("Trunk route"));
    EXPECT_FALSE(session_->NoSourceData());
    // The timeout was followed by an exchange answer: done, not failed.
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("The request has been completed."));
    // The storing was over while the box was open: the line said so.
    EXPECT_EQ(lineAtBox, QStringLiteral("Items read from trunk 005: 6."));
    tree_.boxes.onShow = nullptr;
    EXPECT_TRUE(host_.messages.contains(Msg(9)));
    EXPECT_EQ(host_.messages.last(), QStringLiteral("Items read from trunk 005: 6."));

    // A second list-up leaves one row of trunk and exchange, and empties the
    // last copy's outcome: it belonged with the trunk before.
    session_->WorkDb()->Execute(QStringLiteral("INSERT INTO CopyOutcome VALUES ('007', 'x')"));
    window_.trunkBox = QStringLiteral("006");
    Answer(QStringLiteral("11"), {{"3001", "006", "04"}, {"3002", "006", "1"}});
    EXPECT_EQ(Rows("Trunk"), 1);
    EXPECT_EQ(Rows("PBXName"), 1);
    EXPECT_EQ(Rows("CopyOutcome"), 0);
    EXPECT_EQ(Listup(), QStringList({"3001=04", "3002=1"}));
    EXPECT_EQ(session_->Values().rowCount(), 2);
}

// A Get cancelled midway stores what came before and says so; every way a
// Get can fail ends in a box, and nothing read is changed.
TEST_F(SourceTrunkTest, AGetThatFailsSaysSoInABox) {
    Answer(QStringLiteral("11"),
           {{"3001", "005", "03"},
            {"3002", "005", "OPX_USERCANCEL"},
            {"3003", "005", "OPX_USERCANCEL"}},
           61);
    EXPECT_EQ(Listup(), QStringList{"3001=03"});
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().prompt,
              QStringLiteral("The Get was cancelled.\rItems read before the cancel: 1. The list "
                             "shows only those."));
    EXPECT_FALSE(session_->NoSourceData());
    struct Case {
        const char* name;
        std::function<void()> run;
        const char* start;
    };
    const Case cases[] = {
        {"login refused",
         [&] {
             host_.loginReply = QStringLiteral("BUSY");
             session_->GetSourceTrunk();
             host_.loginReply = QStringLiteral("LOGIN7");
         },
         "The exchange link refused the request (BUSY)"},
        {"send refused",
         [&] {
             host_.sendReply = QString();
             session_->GetSourceTrunk();
             host_.sendReply = QStringLiteral("REQ1");
         },
         "The exchange link refused the request (no reply)"},
        {"check failed",
         [&] {
             Answer(QStringLiteral("13"), {{"3000", "005", "01"}}, 99);
         },
         "The source trunk could not be read (ErrCode 99)"},
        {"list-up failed",
         [&] {
             Answer(QStringLiteral("11"), {{"3001", "005", "04"}}, 5);
         },
         "The source trunk could not be read (ErrCode 5)"},
        {"check cancelled",
         [&] {
             Answer(QStringLiteral("13"), {{"3000", "005", "OPX_USERCANCEL"}}, 61);
         },
         "The Get was cancelled.\rNothing was read"},
    };
    for (const Case& c : cases) {
        tree_.boxes.Clear();
        c.run();
        ASSERT_TRUE(test::WaitFor([&] { return !session_->RequestUnderWay(); })) << c.name;
        ASSERT_EQ(tree_.boxes.shown.size(), 1u) << c.name;
        EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QString::fromUtf8(c.start)))
            << c.name << ": " << tree_.boxes.Last().prompt.toStdString();
        EXPECT_EQ(Listup(), QStringList{"3001=03"}) << c.name;
        EXPECT_EQ(session_->Values().rowCount(), 1) << c.name;
        EXPECT_TRUE(window_.enabled) << c.name;
    }
    // The cancelled check asked for no list-up.
    EXPECT_EQ(host_.sent.Tag(), QStringLiteral("13"));
}

// A list-up that repeats an item or names thousands the catalogue does not
// know stores each item once and names a few of the unknown ones.
TEST_F(SourceTrunkTest, ARepeatingListupStaysTheCataloguesSize) {
    QList<QStringList> lines;
    for (int i = 0; i < 20000; ++i) {
        lines << QStringList{i % 2 ? QStringLiteral("3001") : QStringLiteral("9%1").arg(i),
                             QStringLiteral("005"), QStringLiteral("0%1").arg(i % 4 + 1)};
    }
    Answer(QStringLiteral("11"), lines);
    EXPECT_EQ(Listup(), QStringList{"3001=02"});
    EXPECT_EQ(session_->Values().rowCount(), 1);
    EXPECT_EQ(host_.messages.last().count(u','), 15) << host_.messages.last().toStdString();
    EXPECT_TRUE(host_.messages.last().endsWith(Msg(11)));
}

TEST_F(SourceTrunkTest, UnknownItemsAreLeftOutAndNamedOnTheMessageLine) {
    Answer(QStringLiteral("11"), {{"3001", "005", "03"},
                                  {"3099", "005", "7"},
                                  {"3098", "005", "DATA NOT SET"},
                                  {"3097", "005", "NONE"},
                                  {"3099", "005", "8"}});
    EXPECT_EQ(Listup(), QStringList{"3001=03"});
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);  // no box of its own
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("The request has been completed."));
    EXPECT_EQ(host_.messages.last(), QStringLiteral("Items read from trunk 005: 1. ") + Msg(16) +
                                         QStringLiteral(" 3099, 3097"));
    EXPECT_FALSE(Msg(16).isEmpty());

    // The exchange's answer for a trunk it does not hold is no item: nothing
    // is named and, with nothing stored, Copy and Print stay refused.
    for (const char* verdict : {"TRK NOT ASSIGNED", "DIGIT ERROR"}) {
        tree_.boxes.Clear();
        session_->SetNoSourceData(false);
        Answer(QStringLiteral("11"), {{"L30", "005", verdict}});
        EXPECT_EQ(Rows("TrkDataListup"), 0);
        EXPECT_EQ(host_.messages.last(), QString()) << verdict;
        EXPECT_TRUE(session_->NoSourceData()) << verdict;
    }
    host_.sends = 0;
    for (const bool print : {false, true}) {
        tree_.boxes.Clear();
        print ? session_->Print() : session_->Copy(false);
        ASSERT_EQ(tree_.boxes.shown.size(), 1u) << print;
        EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("There is no trunk data")));
    }
    EXPECT_EQ(host_.sends, 0);
}

TEST_F(SourceTrunkTest, AFailedStoreWritesNothingAndKeepsCopyRefused) {
    Answer(QStringLiteral("11"), {{"3001", "005", "03"}});
    session_->WorkDb()->Execute(QStringLiteral("DROP TABLE CopyTrunk"));
    tree_.boxes.Clear();
    Answer(QStringLiteral("11"), {{"3001", "005", "04"}});
    EXPECT_EQ(Listup(), QStringList{"3001=03"});  // rolled back
    EXPECT_EQ(session_->Values().rowCount(), 0);
    EXPECT_TRUE(session_->NoSourceData());
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith(QStringLiteral("[3078]")));
}

TEST_F(SourceTrunkTest, DestinationsCheckedReportAndCopyTheRest) {
    session_->Values().AddRow(QStringLiteral("3001;01;Route;01"));
    QList<QStringList> lines;
    for (int t = 1; t <= 7; ++t) {
        lines.append({QStringLiteral("3000"), QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')),
                      QStringLiteral("TRK NOT ASSIGNED")});
    }
    lines.append({QStringLiteral("3000"), QStringLiteral("009"), QStringLiteral("02")});
    lines.append({QStringLiteral("3000"), QStringLiteral("600"), QStringLiteral("DIGIT ERROR")});
    lines.append({QStringLiteral("3000"), QStringLiteral("1011"), QStringLiteral("01")});
    Answer(QStringLiteral("12"), lines);
    EXPECT_EQ(Copied(), QStringList({"009", "011"}));
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_TRUE(
        tree_.boxes.shown[0].prompt.endsWith(QStringLiteral("D001,D002,D003,D004,D005,more...")));
    EXPECT_TRUE(tree_.boxes.shown[1].prompt.startsWith(QStringLiteral("The destination list")));

    tree_.boxes.Clear();
    Answer(QStringLiteral("12"), {{"3000", "002", "TRK NOT ASSIGNED"}});
    EXPECT_TRUE(Copied().isEmpty());
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith(QStringLiteral("\rD002,")));

    // The engineer's cancel during the check ends the copy there: nothing is
    // written, and the add-in says so.
    tree_.boxes.Clear();
    Answer(QStringLiteral("12"),
           {{"3000", "005", "01"}, {"3000", "006", "OPX_USERCANCEL", "OPX_USERCANCEL"}}, 61);
    EXPECT_TRUE(Copied().isEmpty());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The copy was cancelled")));
}

}  // namespace
}  // namespace kestrel
