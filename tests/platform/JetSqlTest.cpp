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

TEST(QuoteNameTest, DoublesEmbeddedQuotes) {
    EXPECT_EQ(QuoteName(QStringLiteral("tMessages")), QStringLiteral("\"tMessages\""));
    EXPECT_EQ(QuoteName(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

}  // namespace
}  // namespace kestrel
