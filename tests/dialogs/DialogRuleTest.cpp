#include <gtest/gtest.h>

#include "dialogs/DialogRule.h"
#include "platform/Database.h"
#include "platform/RunError.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

DialogRule Rule(const char* prefix, const char* filter, const char* format, int len1,
                int len2 = 0) {
    DialogRule r;
    r.found = true;
    r.prefix = QString::fromLatin1(prefix);
    r.filter = QString::fromLatin1(filter);
    r.format = QString::fromLatin1(format);
    r.len1 = len1;
    r.len2 = len2;
    return r;
}

TEST(DialogRuleTest, PrefillByPrefix) {
    const struct {
        DialogRule rule;
        const char* start;
        std::optional<QString> box1;
        std::optional<QString> box2;
        const char* startAfter;
    } cases[] = {
        {Rule("-", "DIGIT_FILTER", "00", 2), "NONE", std::nullopt, std::nullopt, ""},
        {Rule("-", "DIGIT_FILTER", "00", 2), "07", QStringLiteral("07"), std::nullopt, "07"},
        {Rule("-", "STN_FILTER", "-", 6), "201", QStringLiteral("201"), std::nullopt, "201"},
        {Rule("-", "STN_FILTER", "-", 6), "EB2001", QString(), std::nullopt, "EB2001"},
        {Rule("-", "STN_FILTER", "-", 6), "C012", QString(), std::nullopt, "C012"},
        {Rule("&", "DIGIT_FILTER", "0000", 2, 2), "1234", QStringLiteral("12"),
         QStringLiteral("34"), "1234"},
        {Rule("EB", "STN_FILTER", "-", 3), "EB005", QStringLiteral("005"), std::nullopt, "EB005"},
        {Rule("EB", "STN_FILTER", "-", 3), "123", QString(), std::nullopt, "123"},
        {Rule("C", "DIGIT_FILTER", "-", 3), "C012", QStringLiteral("012"), std::nullopt, "C012"},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "X0100", QString(), QString(), "X0100"},
    };
    for (const auto& c : cases) {
        QString start = QString::fromLatin1(c.start);
        const Prefill p = PrefillBoxes(c.rule, start);
        EXPECT_EQ(p.box1, c.box1) << c.rule.prefix.toStdString() << " " << c.start;
        EXPECT_EQ(p.box2, c.box2) << c.rule.prefix.toStdString() << " " << c.start;
        EXPECT_EQ(start, QString::fromLatin1(c.startAfter));
    }
}

TEST(DialogRuleTest, ComposeByPrefix) {
    const struct {
        DialogRule rule;
        const char* start;
        const char* text1;
        const char* text2;
        bool box2;
        std::optional<QString> value;
    } cases[] = {
        {Rule("-", "DIGIT_FILTER", "00", 2), "", "7", "", false, QStringLiteral("07")},
        {Rule("-", "STN_FILTER", "-", 6), "", "201", "", false, QStringLiteral("201")},
        {Rule("&", "DIGIT_FILTER", "0000", 2, 2), "", "3", "12", true, QStringLiteral("0312")},
        {Rule("EB", "STN_FILTER", "-", 3), "EB005", "7", "", false, QStringLiteral("EB007")},
        {Rule("C", "DIGIT_FILTER", "-", 2, 2), "", "1", "3", true, QStringLiteral("C0103")},
        {Rule("C", "DIGIT_FILTER", "-", 8), "", "12345678", "", false, QStringLiteral("C123456")},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "X0100", "5", "", false, QStringLiteral("X105")},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "T105", "5", "", false, std::nullopt},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "", "5", "", false, std::nullopt},
        {Rule("+", "DIGIT_FILTER", "00000", 5), "X9999", "32767", "", false, std::nullopt},
    };
    for (const auto& c : cases) {
        DialogRule rule = c.rule;
        EXPECT_EQ(ComposeValue(rule, QString::fromLatin1(c.start), QString::fromLatin1(c.text1),
                               QString::fromLatin1(c.text2), c.box2),
                  c.value)
            << c.rule.prefix.toStdString() << " " << c.start << " " << c.text1;
    }
    // A refused composition changes nothing: the next one reads the same rule.
    DialogRule plus = Rule("+", "DIGIT_FILTER", "0000", 3);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(ComposeValue(plus, QString(), QStringLiteral("5"), QString(), false),
                  std::nullopt);
    }
}

TEST(DialogRuleTest, BoundsWhileTyping) {
    const struct {
        const char* filter;
        const char* text;
        int min;
        int max;
        const char* held;
    } cases[] = {
        {"DIGIT_FILTER", "45", 1, 30, "30"},
        {"DIGIT_FILTER", "0", 1, 30, "1"},
        {"DIGIT_FILTER", "30", 1, 30, "30"},
        {"DIGIT_FILTER", "1", 1, 30, "1"},
        {"DIGIT_FILTER", "", 1, 30, ""},
        {"DIGIT_FILTER", "12a", 1, 30, "12a"},
        {"DIGIT_FILTER", "99999999999999999999", 1, 30, "30"},
        {"HEX_FILTER", "1FF", 0, 255, "0"},
        {"HEX_FILTER", "FF", 0, 255, "FF"},
        {"HEX_FILTER", "0A", 16, 255, "16"},
        {"HEX_FILTER", "ZZ", 0, 255, "ZZ"},
        {"STN_FILTER", "99999", 0, 0, "99999"},
        {"OTHER", "45", 1, 30, "45"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            HoldInBounds(QString::fromLatin1(c.filter), QString::fromLatin1(c.text), c.min, c.max),
            QString::fromLatin1(c.held))
            << c.filter << " " << c.text;
    }
    EXPECT_TRUE(NotADigitValue(QStringLiteral("DIGIT_FILTER"), QStringLiteral("1a")));
    EXPECT_FALSE(NotADigitValue(QStringLiteral("DIGIT_FILTER"), QStringLiteral(" 12 ")));
    EXPECT_FALSE(NotADigitValue(QStringLiteral("HEX_FILTER"), QStringLiteral("1a")));
}

}  // namespace
}  // namespace kestrel
