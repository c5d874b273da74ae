#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "copyengine/ReportPrinter.h"
#include "helm32/ReportWriter.h"
#include "platform/Database.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"

namespace kestrel {
namespace {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB");
        template_ = tree_.AddinsDir() + QStringLiteral("/REPORT/kestrel.rpt");
        auto db = Database::Open(work_, false);
        db->Execute(QStringLiteral("INSERT INTO Trunk VALUES ('012')"));
        db->Execute(QStringLiteral("INSERT INTO PBXName VALUES ('PBX <1>')"));
        db->Execute(
            QStringLiteral("INSERT INTO TrkDataListup VALUES ('012', '3001', '02', "
                           "'Trunk route'), ('012', '3005', 'NONE', 'Night & day')"));
        db->Execute(QStringLiteral("INSERT INTO CopyTrunk VALUES ('5-7,9')"));
    }
    QString Write(const QString& selection, const QString& db, const QString& templ) {
        written_.clear();
        return WriteTrunkReport(db, templ, selection, out_.path(), &written_);
    }

    test::RuntimeTree tree_;
    QTemporaryDir out_;
    QString work_;
    QString template_;
    QString written_;
};

TEST_F(ReportTest, WritesAPdfForTheSelectedTrunk) {
    EXPECT_EQ(Write(QStringLiteral("{Trunk.Trunk}= '012'"), work_, template_), QString());
    ASSERT_FALSE(written_.isEmpty());
    QFile pdf(written_);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    EXPECT_TRUE(written_.contains(QStringLiteral("Trunk-PBX__1_-012-")));
    const QString shots = qEnvironmentVariable("KESTREL_TEST_SHOTS");
    if (!shots.isEmpty())
        QFile::copy(written_, shots + QStringLiteral("/report.pdf"));
}

// Each language's template gives the report its words and the PDF its
// title; the data is the same.
TEST_F(ReportTest, EachLanguagesTemplateNamesTheReportInItsWords) {
    struct Case {
        const char* templ;
        const char* heading;
        const char* title;
    };
    const Case cases[] = {
        {"kestrel.rpt", "Trunk Data Report", "Trunk 012 of PBX <1>"},
        {"kestrel_de.rpt", "Bericht der Leitungsdaten", "Leitung 012 der Anlage PBX <1>"},
    };
    for (const Case& c : cases) {
        const QString templ = tree_.AddinsDir() + QStringLiteral("/REPORT/") + c.templ;
        const FilledReport filled =
            FillTrunkReport(work_, templ, QStringLiteral("{Trunk.Trunk}= '012'"),
                            QDateTime(QDate(2026, 3, 1), QTime(9, 5)));
        ASSERT_EQ(filled.failure, QString()) << c.templ;
        EXPECT_TRUE(filled.html.contains(QString::fromUtf8(c.heading))) << c.templ;
        EXPECT_TRUE(filled.html.contains(QStringLiteral("2026-03-01 09:05"))) << c.templ;
        EXPECT_TRUE(filled.html.contains(QStringLiteral("Night &amp; day"))) << c.templ;
        // Past the comment that names the placeholders, all are filled.
        EXPECT_FALSE(filled.html.mid(filled.html.indexOf(QStringLiteral("<head>")))
                         .contains(QStringLiteral("{{")))
            << c.templ;

        ASSERT_EQ(Write(QStringLiteral("{Trunk.Trunk}= '012'"), work_, templ), QString());
        QFile pdf(written_);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        // The document's title, as PDF keeps text: UTF-16 with its mark.
        const QString title = QString::fromUtf8(c.title);
        QByteArray utf16("\xFE\xFF");
        for (QChar ch : title)
            utf16.append(static_cast<char>(ch.unicode() >> 8))
                .append(static_cast<char>(ch.unicode()));
        EXPECT_TRUE(pdf.readAll().contains(utf16)) << c.templ;
    }
}

// The section of the last copy's outcome per destination: filled from the
// work table in its order and escaped, left out when nothing is recorded.
TEST_F(ReportTest, TheLastCopysOutcomeHasItsSection) {
    QFile templ(template_);
    ASSERT_TRUE(templ.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(templ.readAll());
    auto db = Database::Open(work_, false);
    // The template's body, past the comment that names the markers.
    auto body = [](const QString& page) {
        return page.mid(page.indexOf(QStringLiteral("<body>")));
    };
    QString filled = body(FillOutcomes(*db, html));
    EXPECT_FALSE(filled.contains(QStringLiteral("Outcome of the last copy")));
    EXPECT_FALSE(filled.contains(QStringLiteral("OROW")));
    db->Execute(
        QStringLiteral("INSERT INTO CopyOutcome VALUES ('009', '16 written'), "
                       "('005', '1 refused <3002>')"));
    filled = body(FillOutcomes(*db, html));
    EXPECT_TRUE(filled.contains(QStringLiteral("Outcome of the last copy")));
    const qsizetype first = filled.indexOf(QStringLiteral("009"));
    const qsizetype second = filled.indexOf(QStringLiteral("1 refused &lt;3002&gt;"));
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_FALSE(filled.contains(QStringLiteral("{{DEST}}")));
    db->Execute(QStringLiteral("DROP TABLE CopyOutcome"));
    EXPECT_FALSE(FillOutcomes(*db, html).contains(QStringLiteral("Outcome of the last copy")));
}

TEST_F(ReportTest, FailuresAreDescribed) {
    struct Case {
        QString selection;
        QString db;
        QString templ;
        const char* start;
    };
    const Case cases[] = {
        {QStringLiteral("{Trunk.Trunk} = '012'"), work_, template_, "The report selection"},
        {QStringLiteral("Trunk = 012"), work_, template_, "The report selection"},
        {QStringLiteral("{Trunk.Trunk}= '013'"), work_, template_, "The working database holds no"},
        {QStringLiteral("{Trunk.Trunk}= '012'"), work_, template_ + QStringLiteral(".x"),
         "The report template"},
        {QStringLiteral("{Trunk.Trunk}= '012'"), work_ + QStringLiteral(".x"), template_,
         "The working database"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Write(c.selection, c.db, c.templ).startsWith(QString::fromLatin1(c.start)))
            << c.selection.toStdString();
        EXPECT_TRUE(written_.isEmpty());
    }
    QFile junk(out_.filePath(QStringLiteral("junk.rpt")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("<html>no rows</html>");
    junk.close();
    EXPECT_TRUE(Write(QStringLiteral("{Trunk.Trunk}= '012'"), work_, junk.fileName())
                    .contains(QStringLiteral("no item row")));
}

TEST_F(ReportTest, PrintAsksTheHostOnlyWhenHosted) {
    EXPECT_EQ(BuildReportRequest(QStringLiteral("KESTREL4.MDB"), QStringLiteral("012")).selection,
              QStringLiteral("{Trunk.Trunk}= '012'"));
    EXPECT_TRUE(BuildReportRequest(QStringLiteral("KESTREL4.MDB"), QStringLiteral("012"))
                    .templatePath.endsWith(QStringLiteral("/ADDINS/REPORT/kestrel.rpt")));
    struct Printing : test::ScriptedHost {
        QString answer;
        QStringList asked;
        QString PrintReport(const QString& db, const QString& t, const QString& s, const QString&,
                            std::int32_t) override {
            asked << db << t << s;
            return answer;
        }
    } printer;
    g_Standalone = true;
    PrintTrunkReport(&printer, QStringLiteral("KESTREL4.MDB"), QStringLiteral("012"));
    EXPECT_TRUE(printer.asked.isEmpty());
    g_Standalone = false;
    PrintTrunkReport(&printer, QStringLiteral("KESTREL4.MDB"), QStringLiteral("012"));
    ASSERT_EQ(printer.asked.size(), 3);
    EXPECT_TRUE(printer.asked[0].endsWith(QStringLiteral("/ADDINS/DATABASE/KESTREL4.MDB")));
    EXPECT_TRUE(tree_.boxes.shown.empty());
    printer.answer = QStringLiteral("Printer out of paper");
    PrintTrunkReport(&printer, QStringLiteral("KESTREL4.MDB"), QStringLiteral("012"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("Printer out of paper"));
    EXPECT_FALSE(tree_.boxes.Last().title.has_value());
    EXPECT_EQ(tree_.boxes.Last().flags, 0);
}

}  // namespace
}  // namespace kestrel
