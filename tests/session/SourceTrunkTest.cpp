#include <gtest/gtest.h>

#include "catalogue/ValueListModel.h"
#include "support/SessionFixture.h"
#include "support/SqlRows.h"

namespace kestrel {
namespace {

// A list-up's answer lines for trunk 005 from "item=answer;item=answer".
QList<QStringList> Lines(const QString& text) {
    QList<QStringList> lines;
    for (const QString& line : text.split(u';'))
        lines << QStringList{line.section(u'=', 0, 0), "005", line.section(u'=', 1)};
    return lines;
}

class SourceTrunkTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        OpenHosted();
        window_.trunkBox = "005";
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
        return test::SqlRows(*session_->WorkDb(), "SELECT CMD, Data FROM TrkDataListup");
    }
};

TEST_F(SourceTrunkTest, ASourceNotAssignedEmptiesTheListAndAsksNoListup) {
    session_->Values().AddRow("3001;01;Route;01");
    session_->SetNoSourceData(false);
    Answer("13", {{"3000", "005", "TRK NOT ASSIGNED"}});
    EXPECT_EQ(host_.sent.Tag(), "13");  // no list-up asked for
    EXPECT_EQ(session_->Values().rowCount(), 0);
    EXPECT_TRUE(session_->NoSourceData());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith("The source trunk is not"));
}

// Each list-up as the exchange answered it: what is stored and shown, the
// box and the host's line, which says what was read before the box opens.
TEST_F(SourceTrunkTest, AListupStoresTheCataloguesItemsAndSaysWhatItRead) {
    QString lineAtBox;
    QDateTime readAtBox;  // a colleague's change while the box is open is one not seen
    tree_.boxes.onShow = [&](const MessageBoxRequest&) {
        lineAtBox = host_.messages.value(host_.messages.size() - 1);
        readAtBox = session_->ReadAt();
    };
    const QString done = "The request has been completed.";
    QList<QStringList> repeating;  // thousands of unknown items, 3001 over and over
    for (int i = 0; i < 20000; ++i)
        repeating << QStringList{i % 2 ? "3001" : QStringLiteral("9%1").arg(i), "005",
                                 QStringLiteral("0%1").arg(i % 4 + 1)};
    struct Case {
        const char* name;
        QList<QStringList> lines;
        int errCode;
        const char* stored;
        QString box;   // empty: not checked
        QString line;  // the host's line at the box and after; "*": not checked
    };
    const QString cancelled =
        "The Get was cancelled.\rItems read before the cancel: 1. The list shows only those.";
    // clang-format off
    const Case cases[] = {
        // A timeout followed by an exchange answer is done, not failed.
        {"values, codes and hidden items", Lines("3001=03;3005=NONE;3012=DATA NOT SET;"
         "3002=OPX_TIMEOUT;3003=DATA NOT FOUND;3015=0;3016=1;3006=O'Ü \"1\""), 0,
         "3001=03 3005=NONE 3012= 3002= 3003= 3006=O'Ü \"1\"", done,
         "Items read from trunk 005: 6."},
        {"unknown items", Lines("3001=03;3099=7;3098=DATA NOT SET;3097=NONE;3099=8"), 0,
         "3001=03", done, "Items read from trunk 005: 1. " + Msg(16) + " 3099, 3097"},
        {"a trunk not assigned", Lines("L30=TRK NOT ASSIGNED"), 0, "", {}, ""},
        {"cancelled midway", Lines("3001=03;3002=OPX_USERCANCEL;3003=OPX_USERCANCEL"), 61,
         "3001=03", cancelled, "*"},
        {"repeating", repeating, 0, "3001=02", {}, "*"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.boxes.Clear();
        lineAtBox.clear();
        session_->SetNoSourceData(false);
        Answer("11", c.lines, c.errCode);
        const QString stored = QString::fromUtf8(c.stored);
        EXPECT_EQ(Listup().join(u' '), stored);
        EXPECT_EQ(session_->Values().rowCount(), Listup().size());
        // With nothing stored, Copy and Print stay refused.
        EXPECT_EQ(session_->NoSourceData(), stored.isEmpty());
        if (!c.box.isEmpty()) {
            ASSERT_EQ(tree_.boxes.shown.size(), 1u);
            EXPECT_EQ(tree_.boxes.Last().prompt, c.box);
        }
        if (c.box == done) {
            EXPECT_TRUE(readAtBox.isValid());
            EXPECT_EQ(session_->ReadAt(), readAtBox);
        }
        if (c.line != u"*") {
            EXPECT_EQ(host_.messages.last(), c.line);
            EXPECT_EQ(lineAtBox, c.box.isEmpty() ? QString() : c.line);
        }
    }
    // The repeating list-up names a few of the unknown items only.
    EXPECT_EQ(host_.messages.last().count(u','), 15) << host_.messages.last().toStdString();
    EXPECT_TRUE(host_.messages.last().endsWith(Msg(11)));
    EXPECT_TRUE(host_.messages.contains(Msg(9)));
    EXPECT_EQ(session_->Values().Cell(0, ValueListModel::kDescription), "Trunk route");
    tree_.boxes.onShow = nullptr;

    // Another trunk's list-up leaves one row of trunk and exchange, and empties the
    // last copy's outcome: it belonged with the trunk before.
    session_->WorkDb()->Execute("INSERT INTO CopyOutcome VALUES ('007', 'x')");
    window_.trunkBox = "006";
    Answer("11", {{"3001", "006", "04"}, {"3002", "006", "1"}});
    EXPECT_EQ(
        test::SqlValue(*session_->WorkDb(),
                       "SELECT (SELECT COUNT(*) FROM Trunk) || (SELECT COUNT(*) FROM PBXName) "
                       "|| (SELECT COUNT(*) FROM CopyOutcome)"),
        "110");
    EXPECT_EQ(Listup().join(u' '), "3001=04 3002=1");
}

// Every way a Get can fail ends in a box, and nothing read is changed.
TEST_F(SourceTrunkTest, AGetThatFailsSaysSoInABox) {
    Answer("11", {{"3001", "005", "03"}});
    struct Case {
        const char* name;
        std::function<void()> run;
        const char* start;
    };
    // clang-format off
    const Case cases[] = {
        {"send refused", [&] { host_.sendReply = QString(); session_->GetSourceTrunk(); },
         "The exchange link refused the request (no reply)"},
        {"check failed", [&] { Answer("13", {{"3000", "005", "01"}}, 99); },
         "The source trunk could not be read (ErrCode 99)"},
        {"list-up failed", [&] { Answer("11", {{"3001", "005", "04"}}, 5); },
         "The source trunk could not be read (ErrCode 5)"},
        {"check cancelled", [&] { Answer("13", {{"3000", "005", "OPX_USERCANCEL"}}, 61); },
         "The Get was cancelled.\rNothing was read"},
    };
    // clang-format on
    for (const Case& c : cases) {
        tree_.boxes.Clear();
        c.run();
        host_.sendReply = "REQ1";
        ASSERT_TRUE(test::WaitFor([&] { return !session_->RequestUnderWay(); })) << c.name;
        ASSERT_EQ(tree_.boxes.shown.size(), 1u) << c.name;
        EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QString::fromUtf8(c.start)))
            << c.name << ": " << tree_.boxes.Last().prompt.toStdString();
        EXPECT_EQ(Listup(), QStringList{"3001=03"}) << c.name;
        EXPECT_EQ(session_->Values().rowCount(), 1) << c.name;
        EXPECT_TRUE(window_.enabled) << c.name;
    }
    // The cancelled check asked for no list-up.
    EXPECT_EQ(host_.sent.Tag(), "13");
}

TEST_F(SourceTrunkTest, AFailedStoreWritesNothingAndKeepsCopyRefused) {
    Answer("11", {{"3001", "005", "03"}});
    session_->WorkDb()->Execute("DROP TABLE CopyTrunk");
    tree_.boxes.Clear();
    Answer("11", {{"3001", "005", "04"}});
    EXPECT_EQ(Listup(), QStringList{"3001=03"});  // rolled back
    EXPECT_EQ(session_->Values().rowCount(), 0);
    EXPECT_TRUE(session_->NoSourceData());
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith("[3078]"));
}

TEST_F(SourceTrunkTest, DestinationsCheckedReportAndCopyTheRest) {
    session_->Values().AddRow("3001;01;Route;01");
    QList<QStringList> lines;
    for (int t = 1; t <= 7; ++t) {
        lines.append({"3000", QStringLiteral("%1").arg(t, 3, 10, QChar(u'0')), "TRK NOT ASSIGNED"});
    }
    lines.append({"3000", "009", "02"});
    lines.append({"3000", "600", "DIGIT ERROR"});
    lines.append({"3000", "1011", "01"});
    Answer("12", lines);
    EXPECT_EQ(Copied(), QStringList({"009", "011"}));
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith("D001,D002,D003,D004,D005,more..."));
    EXPECT_TRUE(tree_.boxes.shown[1].prompt.startsWith("The destination list"));

    tree_.boxes.Clear();
    Answer("12", {{"3000", "002", "TRK NOT ASSIGNED"}});
    EXPECT_TRUE(Copied().isEmpty());
    EXPECT_TRUE(tree_.boxes.shown[0].prompt.endsWith("\rD002,"));

    // The engineer's cancel during the check ends the copy there: nothing is
    // written, and the add-in says so.
    tree_.boxes.Clear();
    Answer("12", {{"3000", "005", "01"}, {"3000", "006", "OPX_USERCANCEL", "OPX_USERCANCEL"}}, 61);
    EXPECT_TRUE(Copied().isEmpty());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith("The copy was cancelled"));
}

}  // namespace
}  // namespace kestrel
