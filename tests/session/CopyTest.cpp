#include <gtest/gtest.h>

#include <QScopeGuard>

#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "copyengine/StationCheck.h"
#include "copyengine/TrunkRange.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/SessionFixture.h"
#include "support/SqlRows.h"

namespace kestrel {
namespace {

// The copy's answer for an exchange that wrote every entry.
QStringList AllWritten(int, const QString& c, const QString& t) {
    return {c, t, QString(), "OK"};
}

class CopyTest : public test::SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        OpenHosted();
        window_.trunkBox = "004";
        // Three items as a Get of trunk 004 leaves them.
        Answer("11", {{"3001", "004", "01"}, {"3005", "004", "NONE"}, {"3014", "004", "IC"}});
        tree_.boxes.Clear();
    }
    void Copy(const QStringList& destinations, const QString& typed) {
        window_.destinations = typed;
        session_->Copier().SendCopyRequests(destinations);
    }
    // The copy's answer: every entry as sent, with ED from the table.
    void AnswerCopy(const std::function<QStringList(int, const QString&, const QString&)>& verdict,
                    int errCode = 0) {
        QList<QStringList> lines;
        const cListRequest& sent = host_.sent;
        for (int i = 0; i < sent.Count(); ++i) {
            lines << verdict(i, sent.CMD(i), sent.FirstData(i));
        }
        Answer("10", lines, errCode);
    }
    QStringList CopyTrunkRows() const {
        return test::SqlRows(*session_->WorkDb(), "SELECT Trunk FROM CopyTrunk");
    }
    // How the report marks each item of the last copy (0 written, 1 refused,
    // 2 not written).
    QStringList ItemStates() const {
        return test::SqlRows(*session_->WorkDb(),
                             "SELECT CMD || '=' || State FROM CopyItem ORDER BY CMD");
    }
    // The stored values of 3001, 3005 and 3014.
    QString StoredItems() const {
        return test::SqlRows(*session_->WorkDb(), "SELECT Data FROM TrkDataListup ORDER BY CMD")
            .join(u' ');
    }
};

// The safety net's request holds only the cells given; its answer is taken
// by item key and trunk, in whatever order it comes, entries the request did
// not hold (or a cell answered twice) telling nothing.
TEST_F(CopyTest, TheNetsCellsAreAnsweredByKeyAndTrunk) {
    QList<CopyWriter::EntryResult> results;
    session_->Copier().SetEvaluationTaker(
        [&](const QList<CopyWriter::EntryResult>& r, bool, const QString&) { results = r; });
    ASSERT_TRUE(session_->Copier().SendCells(
        {{"005", "3001", "01"}, {"005", "3005", "NONE"}, {"006", "3014", "IC"}}));
    EXPECT_EQ(host_.sent.CMDList(), QStringList({"3001", "3005", "3014"}));
    EXPECT_EQ(host_.sent.SecondDataList(), QStringList({"01", "CCC", "IC"}));
    Answer("10", {{"3014", "006", "", "CODE NOT ALLOWED"},
                  {"3001", "009", "", "OK"},
                  {"3005", "005", "", "OK"},
                  {"3001", "005", "", "OK"},
                  {"3005", "005", "", "TIMEOUT"}});
    QStringList seen;
    for (const CopyWriter::EntryResult& r : results)
        seen << r.trunk + u'/' + r.item + u'=' + QString::number(r.kind) + u'/' + r.value;
    EXPECT_EQ(seen, QStringList({"006/3014=1/IC", "005/3005=0/NONE", "005/3001=0/01"}));
    EXPECT_TRUE(tree_.boxes.shown.empty());  // the net sums up itself
}

// Each copy answered entry by entry: what the box says, which entries count
// as written, how the report marks each item, and which value each row keeps
// as its original (the first destination's, as the exchange took it).
TEST_F(CopyTest, TheAnswerDecidesTheBoxTheReportAndTheOriginals) {
    const QString written = "Written, as the exchange answered:";
    const QString ended = QStringLiteral("The copy did not end normally (ErrCode %1).\r") +
                          written + "\r\n  005: 3001, 3005\r\n  006: 3001, 3005, 3014";
    const char* cancel = "OPX_USERCANCEL/OPX_USERCANCEL";
    struct Case {
        const char* edit;  // "item=value" typed into the list before the copy
        const char* typed;
        QString answers;  // "SecondData/ExtraData" per entry, '|' between; "*" 300 characters
        int errCode;
        QString box;         // the whole box, or "…" and a part of it
        int written;         // cells the copier counts as written, -1 unchecked
        const char* states;  // the report's mark per item (0 written, 1 refused, 2 not), or ""
        const char* originals;
        const char* failed;  // trunks the copier names as failed, or ""
    };
    const Case cases[] = {
        // A refusal is listed once per item and still counts as written.
        {"", "5,6", "/OK|/OK|CODE NOT USED/|CODE NOT USED/|/CODE NOT ALLOWED|/CODE NOT ALLOWED", 0,
         "…\r\r\nCM30, YY=05\r\nCM30, YY=14\r", -1, "3001=0 3005=1 3014=1", "01 NONE IC", ""},
        // A failure on the second trunk still updates the first.
        {"3014=OG", "5-6",
         "/OK|OPX_TIMEOUT/OPX_TIMEOUT|/OK|OPX_TIMEOUT/OPX_TIMEOUT|/OK|OPX_TIMEOUT/OPX_TIMEOUT", 0,
         u'…' + Msg(7) + QStringLiteral("\r\n") + Msg(8) + QStringLiteral("\r\n006"), -1,
         "3001=2 3005=2 3014=2", "01 NONE OG", "006"},
        {"3001=03", "5", "/|/OK|/OK", 0, "…", -1, "", "01 NONE IC", ""},
        {"3014=BW", "5,3,5", "/OK|/OK|/OK|/OK|/OK|/OK|/OK|/OK|/OK", 0, "…", 9, "", "01 NONE BW",
         ""},
        // Cancelled from the fourth entry on, nothing failed before: the box
        // names the three cells written before the cancel, per trunk.
        {"", "5-6", QStringLiteral("/OK|/OK|/OK|%1|%1|%1").arg(cancel), 61,
         QStringLiteral("The copy was cancelled.\r") + written +
             "\r\n  005: 3001, 3005\r\n  006: 3001",
         3, "", "01 NONE IC", ""},
        {"", "5", QStringLiteral("%1|%1|%1").arg(cancel), 61,
         QStringLiteral("The copy was cancelled.\rNothing was written, as far as the answer "
                        "tells."),
         0, "", "01 NONE IC", ""},
        {"", "5-6", "/OK|/OPX_TIMEOUT|/OK|/OPX_USERCANCEL|/OPX_USERCANCEL|/OPX_USERCANCEL", 61,
         u'…' + written + QStringLiteral("\r\n  005: 3001, 3005\r"), -1, "", "01 NONE IC", "006"},
        // An answer that failed as a whole (an error code, the last entry no
        // cancel) still tells per entry what was written.
        {"", "5-6", "/OK|/OK|/OK|/OK|/OPX_SYSERROR|/OK", 99, ended.arg(99), 5, "", "01 NONE IC",
         ""},
        {"", "5-6", "/OK|/OK|/OK|/OK|/OPX_SYSERROR|/OK", 61, ended.arg(61), 5, "", "01 NONE IC",
         ""},
        // An answer that cannot be used tells nothing: every cell of the
        // request may have been written, and the box names them all.
        {"", "5-6", "/OK|/OK|*/OK|/OK|/OK|/OK", 0,
         QStringLiteral("The copy did not end normally (SecondData(2) holds 300 characters; a "
                        "record's texts hold at most 255).\rMay have been written (the answer "
                        "could not be used):\r\n  005, 006: 3001, 3005, 3014"),
         6, "", "01 NONE IC", ""},
    };
    const QStringList items = {"3001", "3005", "3014"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers.toStdString() + " ErrCode " + std::to_string(c.errCode));
        // Trunk 004 read again: each case starts from its three items.
        Answer("11", {{"3001", "004", "01"}, {"3005", "004", "NONE"}, {"3014", "004", "IC"}});
        const QString edit = QString::fromLatin1(c.edit);
        if (!edit.isEmpty())
            session_->Values().SetItemValue(edit.section(u'=', 0, 0), edit.section(u'=', 1));
        tree_.boxes.Clear();
        const QStringList trunks = ParseTrunkRange(QString::fromLatin1(c.typed), 511).trunks;
        Copy(trunks, QString::fromLatin1(c.typed));
        // The request is item-major, NONE sent as CCC.
        const QStringList answers = c.answers.split(u'|');
        ASSERT_EQ(host_.sent.Count(), answers.size());
        for (int i = 0; i < answers.size(); ++i) {
            const int row = i / static_cast<int>(trunks.size());
            EXPECT_EQ(host_.sent.CMD(i), items[row]);
            EXPECT_EQ(host_.sent.FirstData(i), trunks[i % trunks.size()]);
            const QString value = session_->Values().Cell(row, ValueListModel::kData);
            EXPECT_EQ(host_.sent.SecondData(i), value == u"NONE" ? "CCC" : value);
        }
        AnswerCopy(
            [&](int i, const QString& cmd, const QString& trunk) {
                const QString sd = answers[i].section(u'/', 0, 0);
                return QStringList{cmd, trunk, sd == u"*" ? QString(300, u'x') : sd,
                                   answers[i].section(u'/', 1)};
            },
            c.errCode);
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const QString box = tree_.boxes.Last().prompt;
        if (c.box.startsWith(u'…'))
            EXPECT_TRUE(box.contains(c.box.mid(1))) << box.toStdString();
        else
            EXPECT_EQ(box, c.box);
        if (c.written >= 0) {
            EXPECT_EQ(session_->Copier().Written().size(), c.written);
        }
        if (*c.states) {
            EXPECT_EQ(ItemStates().join(u' '), QString::fromLatin1(c.states));
        }
        if (*c.failed) {
            EXPECT_EQ(session_->Copier().FailedTrunks().join(u' '), QString::fromLatin1(c.failed));
        }
        EXPECT_EQ(CopyTrunkRows(), QStringList{QString::fromLatin1(c.typed)});
        EXPECT_EQ(StoredItems(), QString::fromLatin1(c.originals));
        const QStringList originals = QString::fromLatin1(c.originals).split(u' ');
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(session_->Values().Cell(row, ValueListModel::kOriginal), originals[row])
                << row;
            // A value the exchange did not take stays marked as edited.
            EXPECT_EQ(session_->Values().index(row, 0).data(ValueListModel::EditedRole).toBool(),
                      session_->Values().Cell(row, ValueListModel::kData) != originals[row])
                << row;
        }
    }
}

// The copy's bookkeeping: a statement that fails changes nothing else, and
// the failure reaches the host's status line only.
TEST_F(CopyTest, AFailingStatementKeepsEveryOtherStoredValue) {
    session_->WorkDb()->Execute(
        QStringLiteral("CREATE TRIGGER keep_3005 BEFORE UPDATE ON TrkDataListup "
                       "WHEN OLD.CMD = '3005' BEGIN SELECT RAISE(ABORT, 'item 3005 locked'); END"));
    session_->Values().SetItemValue("3001", "03");
    session_->Values().SetItemValue("3005", "201");
    session_->Values().SetItemValue("3014", "OG");
    Copy({"005"}, "5");
    AnswerCopy(AllWritten);
    EXPECT_EQ(StoredItems(), "03 NONE OG");
    EXPECT_EQ(CopyTrunkRows(), QStringList{"5"});
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);  // no box per item
    EXPECT_EQ(tree_.boxes.Last().prompt,
              "The trunk data has been copied to the destination trunks.");
    EXPECT_TRUE(host_.messages.last().contains("item 3005 locked"))
        << host_.messages.last().toStdString();
    EXPECT_NE(host_.codes.last(), 0);

    // The copy's own row cannot be written: the item values stay.
    session_->WorkDb()->Execute("DROP TRIGGER keep_3005");
    session_->WorkDb()->Execute("DROP TABLE CopyTrunk");
    tree_.boxes.Clear();
    session_->Values().SetItemValue("3001", "04");
    Copy({"006"}, "6");
    AnswerCopy(AllWritten);
    EXPECT_EQ(StoredItems(), "04 201 OG");
    EXPECT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(host_.messages.last().contains("CopyTrunk"));
    EXPECT_EQ(host_.codes.last(), 3078);

    // A clean copy clears the status line again.
    session_->WorkDb()->Execute("CREATE TABLE CopyTrunk (Trunk TEXT)");
    Copy({"007"}, "7");
    AnswerCopy(AllWritten);
    EXPECT_EQ(host_.messages.last(), QString());
    EXPECT_EQ(host_.codes.last(), 0);
    EXPECT_FALSE(session_->WorkDb()->InTransaction());
}

TEST_F(CopyTest, EmptyOrOversizedCopiesSendNothing) {
    host_.sends = 0;
    session_->Values().Clear();
    Copy({"005"}, "5");
    EXPECT_EQ(host_.sends, 0);
    EXPECT_EQ(tree_.boxes.beeps, 1);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, Msg(15));

    for (int i = 0; i < 64; ++i) {
        session_->Values().AddItem(QStringLiteral("30%1").arg(i), "1", QString(), "1");
    }
    QStringList all = ParseTrunkRange("1-511", 511).trunks;
    Copy(all, "1-511");
    EXPECT_EQ(host_.sends, 1);  // 64 x 511 = 32704 entries fit
    EXPECT_EQ(host_.sent.Count(), 32704);
    all << "001";
    tree_.boxes.Clear();
    Copy(all, "1-511,1");
    EXPECT_EQ(host_.sends, 1);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith("A copy of 64 items to 512"));
}

// With the safety net a list that cannot be meant is refused before the
// exchange is asked, naming the fault and its place, and numbers above the
// highest trunk are left out by name; without it the plain reading stays.
// With it the copy reads the destinations first: that one read tells whether
// each is assigned too, so no check is sent.
TEST_F(CopyTest, TheSafetyNetReadsTheDestinationListStrictly) {
    struct Case {
        bool net;
        const char* list;
        const char* box;   // a piece of the one box shown, or "" for none
        const char* sent;  // the request sent first: read (16) or check (12), and its trunks
    };
    const Case cases[] = {
        {true, "5-65-", "5-65- cannot be used:\rThe range 5-65- has a second dash at character 5.",
         ""},
        {true, "40-4135", "The number 4135 at character 4 is above the highest trunk", ""},
        {true, "5-", "A number is missing next to the \"-\" at character 2.", ""},
        {true, "", "The destination list is empty.", ""},
        {true, "8,600", "Above the highest trunk (511), left out: 600", "16 008"},
        {false, "5-", "", "12 005 004 003 002 001 000"},
        {false, "3,1-2,600", "The destination list holds a number that is not valid",
         "12 003 001 002"},
        {false, "1,,2", "The destination list holds a number that is not valid", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        SetSafetyNetSetting(c.net);
        tree_.boxes.Clear();
        host_.sent.Clear();
        window_.destinations = QString::fromLatin1(c.list);
        session_->Copy(false);
        ASSERT_EQ(tree_.boxes.shown.size(), *c.box ? 1u : 0u);
        if (*c.box) {
            EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QString::fromUtf8(c.box)))
                << tree_.boxes.Last().prompt.toStdString();
        }
        const QString sent = host_.sent.Tag() + u' ' + host_.sent.FirstDataList().join(u' ');
        EXPECT_EQ(host_.sent.Count() ? sent : QString(), QString::fromLatin1(c.sent));
        if (host_.sent.Count() > 0)
            Answer(host_.sent.Tag(), {}, 1);  // a failed check or read ends the copy
    }
}

// With the safety net off, a preview still only reads, and a copy's requests
// are exactly the ones without it: the destination check, then the copy,
// nothing read before or after.
TEST_F(CopyTest, SwitchedOffTheCopyGoesStraightOut) {
    const auto sent = [&] { return host_.sent.Tag() + u' ' + host_.sent.CMD(0); };
    window_.destinations = "7";
    session_->Copy(true);
    Answer("12", {{"3000", "007", "01"}});
    EXPECT_EQ(sent(), "16 L30");
    Answer("16", {{"3001", "007", "01"}, {"3005", "007", "NONE"}, {"3014", "007", "IC"}});

    window_.destinations = "7,8";
    session_->Copy(false);
    EXPECT_EQ(host_.sent.Tag(), "12");
    Answer("12", {{"3000", "007", "01"}, {"3000", "008", "01"}});
    EXPECT_EQ(sent() + u' ' + host_.sent.FirstDataList().join(u' '),
              "10 3001 007 008 007 008 007 008");
    AnswerCopy(AllWritten);
    ASSERT_EQ(session_->Copier().Written().size(), 6);
    // What a copy wrote is that copy's: one that ends before its write (here
    // at its destination check) names nothing of the copy before.
    session_->Copy(false);
    EXPECT_EQ(host_.sent.Tag(), "12");
    EXPECT_TRUE(session_->Copier().Written().isEmpty());
}

TEST(FailedTrunksTextTest, FivePerLineAtMostFifteen) {
    g_Messages = QStringList();
    for (int i = 0; i < 16; ++i)
        g_Messages << QStringLiteral("M%1").arg(i);
    QStringList eighteen;
    for (int t = 1; t <= 18; ++t)
        eighteen << QStringLiteral("%1").arg(t, 3, 10, QChar(u'0'));
    EXPECT_EQ(CopyWriter::FailedTrunksText(eighteen),
              QStringLiteral("M7\r\nM8\r\n001  002  003  004  005\r\n006  007  008  009  010\r\n"
                             "011  012  013  014  015\r\nM11"));
    EXPECT_EQ(CopyWriter::FailedTrunksText({"007"}), "M7\r\nM8\r\n007  ");
    g_Messages.clear();
}

TEST_F(CopyTest, TheStationCheckAsksFirstAndGivesTheVerdictNext) {
    const auto done = qScopeGuard([] { g_StationCheckPending = false; });
    const char* notAssigned = "This station number is not assigned";
    const char* otherKind = "The number entered belongs";
    const char* failed = "The request could not be completed";
    const char* verdicts[][2] = {
        // the answer, the box it opens (none: accepted)
        {"OPX_STN_STATION", ""}, {"OPX_STN_PS", ""},
        {"OPX_STN_MLTIP", ""},   {"OPX_STN_NOT ASSIGNED", notAssigned},
        {"101", notAssigned},    {"OPX_STN_ISDN", otherKind},
        {"OPX_STN", otherKind},  {"", otherKind},
        {"OPX_TIMEOUT", failed}, {"OPX_PORT TROUBLES", failed},
    };
    for (const auto& [answer, box] : verdicts) {
        SCOPED_TRACE(answer);
        g_StationCheckPending = false;
        tree_.boxes.Clear();
        EXPECT_FALSE(session_->Check_STNData("@LEN", "201"));
        EXPECT_TRUE(g_StationCheckPending);
        EXPECT_EQ(host_.sent.Tag() + u' ' + host_.sent.CMD(0), "14 @LEN");
        EXPECT_FALSE(host_.sent.ShowBusy());
        Answer("14", {{"@LEN", "201", "", QString::fromLatin1(answer)}});
        // No dialog is open to take the verdict, so the step dropped it.
        EXPECT_FALSE(g_StationCheckPending);
        EXPECT_TRUE(tree_.boxes.shown.empty());
        g_StationCheckPending = true;  // as an open dialog that asked holds it
        EXPECT_EQ(session_->Check_STNData("@LEN", "201"), !*box);
        ASSERT_EQ(tree_.boxes.shown.size(), *box ? 1u : 0u);
        if (*box) {
            EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QString::fromLatin1(box)));
        }
    }
}

}  // namespace
}  // namespace kestrel
