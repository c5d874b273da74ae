#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TableFiles.h"

#include "platform/JetSql.h"

namespace kestrel {
namespace {

TEST(JetSqlTest, TranslatesTheDesktopEnginesForms) {
    const struct {
        const char *jet, *sqlite;
    } cases[] = {
        {"DELETE * FROM Trunk", "DELETE FROM Trunk"},
        {"delete   *   from PBXName", "DELETE FROM PBXName"},
        {"SELECT * FROM SerialTable Where Addin = \"KESTREL\"",
         "SELECT * FROM SerialTable Where Addin = 'KESTREL'"},
        {"SELECT * FROM T WHERE a = \"it's\"", "SELECT * FROM T WHERE a = 'it''s'"},
        {"SELECT * FROM T WHERE a = \"say \"\"hi\"\"\"", "SELECT * FROM T WHERE a = 'say \"hi\"'"},
        {"SELECT * FROM T WHERE a = 'DELETE * FROM x'",
         "SELECT * FROM T WHERE a = 'DELETE * FROM x'"},
        {"SELECT Index FROM tControls ORDER BY Index",
         "SELECT [Index] FROM tControls ORDER BY [Index]"},
        {"SELECT [Index], t.Index, IndexNo FROM t", "SELECT [Index], t.Index, IndexNo FROM t"},
        {"SELECT * FROM T WHERE a = 'Index'", "SELECT * FROM T WHERE a = 'Index'"},
        {"SELECT * FROM T WHERE a = \"Über\"", "SELECT * FROM T WHERE a = 'Über'"}};
    for (const auto& c : cases)
        EXPECT_EQ(TranslateJetSql(Q(c.jet)), Q(c.sqlite)) << c.jet;
}

TEST(CaseInsensitiveTextTest, CollatesTheRightOperandOfTextComparisons) {
    const QString c = u" COLLATE "_s + QLatin1String(kNoCaseCollation);
    const struct {
        const char* sql;
        QVariantList params;
        QString expected;
    } cases[] = {
        {"SELECT * FROM T WHERE a = ?", {u"x"_s}, "SELECT * FROM T WHERE a = ?" + c},
        {"SELECT * FROM T WHERE a = ? AND b = ?",
         {7, u"x"_s},
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
        {"PRAGMA user_version = 3", {}, "PRAGMA user_version = 3"}};
    for (const auto& k : cases) {
        EXPECT_EQ(WithCaseInsensitiveText(Q(k.sql), &k.params), k.expected) << k.sql;
    }
    // A prepared statement's values are not known yet: its places count as text.
    EXPECT_EQ(WithCaseInsensitiveText(u"SELECT * FROM T WHERE a = ?"_s),
              u"SELECT * FROM T WHERE a = ?"_s + c);
    EXPECT_EQ(CompareTextNoCase(u"Über", u"üBER"), 0);
    EXPECT_LT(CompareTextNoCase(u"abc", u"ABD"), 0);
    EXPECT_NE(CompareTextNoCase(u"weiß", u"WEISS"), 0);
}

TEST(QuoteNameTest, DoublesEmbeddedQuotes) {
    EXPECT_EQ(QuoteName(u"tMessages"_s), u"\"tMessages\""_s);
    EXPECT_EQ(QuoteName(u"a\"b"_s), u"\"a\"\"b\""_s);
}

}  // namespace
}  // namespace kestrel
