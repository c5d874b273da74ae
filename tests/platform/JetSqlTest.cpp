#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include "platform/JetSql.h"

namespace kestrel {
namespace {

struct JetCase {
    const char* jet;
    const char* sqlite;
};

void PrintTo(const JetCase& c, std::ostream* os) {
    *os << c.jet;
}

class JetSqlTest : public ::testing::TestWithParam<JetCase> {};

TEST_P(JetSqlTest, Translates) {
    EXPECT_EQ(TranslateJetSql(QString::fromUtf8(GetParam().jet)),
              QString::fromUtf8(GetParam().sqlite));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, JetSqlTest,
    ::testing::Values(
        JetCase{"DELETE * FROM Trunk", "DELETE FROM Trunk"},
        JetCase{"delete   *   from PBXName", "DELETE FROM PBXName"},
        JetCase{"SELECT * FROM SerialTable Where Addin = \"KESTREL\"",
                "SELECT * FROM SerialTable Where Addin = 'KESTREL'"},
        JetCase{"SELECT * FROM T WHERE a = \"it's\"", "SELECT * FROM T WHERE a = 'it''s'"},
        JetCase{"SELECT * FROM T WHERE a = \"say \"\"hi\"\"\"",
                "SELECT * FROM T WHERE a = 'say \"hi\"'"},
        JetCase{"SELECT * FROM T WHERE a = 'DELETE * FROM x'",
                "SELECT * FROM T WHERE a = 'DELETE * FROM x'"},
        JetCase{"SELECT Index FROM tControls ORDER BY Index",
                "SELECT [Index] FROM tControls ORDER BY [Index]"},
        JetCase{"SELECT [Index], t.Index, IndexNo FROM t",
                "SELECT [Index], t.Index, IndexNo FROM t"},
        JetCase{"SELECT * FROM T WHERE a = 'Index'", "SELECT * FROM T WHERE a = 'Index'"},
        JetCase{"SELECT * FROM T WHERE a = \"Über\"", "SELECT * FROM T WHERE a = 'Über'"}));

TEST(CaseInsensitiveTextTest, CollatesTheRightOperandOfTextComparisons) {
    const QString c = QStringLiteral(" COLLATE ") + QLatin1String(kNoCaseCollation);
    struct Case {
        const char* sql;
        QVariantList params;
        QString expected;
    };
    const Case cases[] = {
        {"SELECT * FROM T WHERE a = ?", {QStringLiteral("x")}, "SELECT * FROM T WHERE a = ?" + c},
        {"SELECT * FROM T WHERE a = ? AND b = ?",
         {7, QStringLiteral("x")},
         "SELECT * FROM T WHERE a = ? AND b = ?" + c},
        {"SELECT * FROM T WHERE a<>'x' OR b>='y'",
         {},
         "SELECT * FROM T WHERE a<>'x'" + c + " OR b>='y'" + c},
        {"SELECT * FROM T JOIN U ON U.a = T.[b c]",
         {},
         "SELECT * FROM T JOIN U ON U.a = T.[b c]" + c},
        {"SELECT * FROM T WHERE a = 'it''s = ?'", {}, "SELECT * FROM T WHERE a = 'it''s = ?'" + c},
        {"SELECT * FROM T WHERE a = 5 AND b = NULL AND c = lower(d) AND e = (SELECT 1)",
         {},
         "SELECT * FROM T WHERE a = 5 AND b = NULL AND c = lower(d) AND e = (SELECT 1)"},
        {"SELECT * FROM T WHERE a = 'x' COLLATE BINARY",
         {},
         "SELECT * FROM T WHERE a = 'x' COLLATE BINARY"},
        {"SELECT a << 2, a >> 1 FROM T", {}, "SELECT a << 2, a >> 1 FROM T"},
        {"CREATE TABLE T (a TEXT CHECK (a = 'x'))", {}, "CREATE TABLE T (a TEXT CHECK (a = 'x'))"},
        {"PRAGMA user_version = 3", {}, "PRAGMA user_version = 3"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(WithCaseInsensitiveText(QString::fromUtf8(k.sql), &k.params), k.expected)
            << k.sql;
    }
    // A prepared statement's values are not known yet: its places count as text.
    EXPECT_EQ(WithCaseInsensitiveText(QStringLiteral("SELECT * FROM T WHERE a = ?")),
              QStringLiteral("SELECT * FROM T WHERE a = ?") + c);
    EXPECT_EQ(CompareTextNoCase(u"Über", u"üBER"), 0);
    EXPECT_LT(CompareTextNoCase(u"abc", u"ABD"), 0);
    EXPECT_NE(CompareTextNoCase(u"weiß", u"WEISS"), 0);
}

TEST(QuoteNameTest, DoublesEmbeddedQuotes) {
    EXPECT_EQ(QuoteName(QStringLiteral("tMessages")), QStringLiteral("\"tMessages\""));
    EXPECT_EQ(QuoteName(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

}  // namespace
}  // namespace kestrel
