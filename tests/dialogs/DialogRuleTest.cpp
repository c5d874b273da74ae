#include <gtest/gtest.h>

#include "dialogs/DialogRule.h"
#include "platform/Database.h"
#include "platform/RunError.h"
#include "support/QtPrinters.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

DialogRule Rule(const char* prefix, const char* filter, const char* format, int len1,
                int len2 = 0) {
    DialogRule r;
    r.found = true;
    r.prefix = Q(prefix);
    r.filter = Q(filter);
    r.format = Q(format);
    r.len1 = len1;
    r.len2 = len2;
    return r;
}

TEST(DialogRuleTest, PrefillByPrefix) {
    const struct {
        DialogRule rule;
        const char* start;
        std::optional<QString> box1, box2;
        const char* startAfter;
    } cases[] = {{Rule("-", "DIGIT_FILTER", "00", 2), "NONE", std::nullopt, std::nullopt, ""},
                 {Rule("-", "DIGIT_FILTER", "00", 2), "07", u"07"_s, std::nullopt, "07"},
                 {Rule("-", "STN_FILTER", "-", 6), "201", u"201"_s, std::nullopt, "201"},
                 {Rule("-", "STN_FILTER", "-", 6), "EB2001", QString(), std::nullopt, "EB2001"},
                 {Rule("-", "STN_FILTER", "-", 6), "C012", QString(), std::nullopt, "C012"},
                 {Rule("&", "DIGIT_FILTER", "0000", 2, 2), "1234", u"12"_s, u"34"_s, "1234"},
                 {Rule("EB", "STN_FILTER", "-", 3), "EB005", u"005"_s, std::nullopt, "EB005"},
                 {Rule("EB", "STN_FILTER", "-", 3), "123", QString(), std::nullopt, "123"},
                 {Rule("C", "DIGIT_FILTER", "-", 3), "C012", u"012"_s, std::nullopt, "C012"},
                 {Rule("+", "DIGIT_FILTER", "0000", 3), "X0100", QString(), QString(), "X0100"}};
    for (const auto& c : cases) {
        QString start = Q(c.start);
        const Prefill p = PrefillBoxes(c.rule, start);
        EXPECT_EQ(p.box1, c.box1) << c.rule.prefix.toStdString() << " " << c.start;
        EXPECT_EQ(p.box2, c.box2) << c.rule.prefix.toStdString() << " " << c.start;
        EXPECT_EQ(start, Q(c.startAfter));
    }
}

TEST(DialogRuleTest, ComposeByPrefix) {
    const struct {
        DialogRule rule;
        const char *start, *text1, *text2;
        bool box2;
        std::optional<QString> value;
    } cases[] = {
        {Rule("-", "DIGIT_FILTER", "00", 2), "", "7", "", false, u"07"_s},
        {Rule("-", "STN_FILTER", "-", 6), "", "201", "", false, u"201"_s},
        {Rule("&", "DIGIT_FILTER", "0000", 2, 2), "", "3", "12", true, u"0312"_s},
        {Rule("EB", "STN_FILTER", "-", 3), "EB005", "7", "", false, u"EB007"_s},
        {Rule("C", "DIGIT_FILTER", "-", 2, 2), "", "1", "3", true, u"C0103"_s},
        {Rule("C", "DIGIT_FILTER", "-", 8), "", "12345678", "", false, u"C123456"_s},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "X0100", "5", "", false, u"X105"_s},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "T105", "5", "", false, std::nullopt},
        {Rule("+", "DIGIT_FILTER", "0000", 3), "", "5", "", false, std::nullopt},
        {Rule("+", "DIGIT_FILTER", "00000", 5), "X9999", "32767", "", false, std::nullopt}};
    for (const auto& c : cases) {
        DialogRule rule = c.rule;
        EXPECT_EQ(ComposeValue(rule, Q(c.start), Q(c.text1), Q(c.text2), c.box2), c.value)
            << c.rule.prefix.toStdString() << " " << c.start << " " << c.text1;
    }
    // A refused composition changes nothing: the next one reads the same rule.
    DialogRule plus = Rule("+", "DIGIT_FILTER", "0000", 3);
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_EQ(ComposeValue(plus, QString(), u"5"_s, QString(), false), std::nullopt);
}

TEST(DialogRuleTest, BoundsWhileTyping) {
    const struct {
        const char *filter, *text;
        int min, max;
        const char* held;
    } cases[] = {{"DIGIT_FILTER", "45", 1, 30, "30"},
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
                 {"OTHER", "45", 1, 30, "45"}};
    for (const auto& c : cases) {
        EXPECT_EQ(HoldInBounds(Q(c.filter), Q(c.text), c.min, c.max), Q(c.held))
            << c.filter << " " << c.text;
    }
    EXPECT_TRUE(NotADigitValue(u"DIGIT_FILTER"_s, u"1a"_s));
    EXPECT_FALSE(NotADigitValue(u"DIGIT_FILTER"_s, u" 12 "_s));
    EXPECT_FALSE(NotADigitValue(u"HEX_FILTER"_s, u"1a"_s));
}

}  // namespace
}  // namespace kestrel
