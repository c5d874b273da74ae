#pragma once

#include <QString>
#include <optional>

namespace kestrel {

class Database;

// One row of DialogRules: how the additional-data dialog asks for a value
// and composes it.
struct DialogRule {
    bool found = false;
    QString description;
    QString prefix;
    QString filter;
    QString format;
    QString prompt1;
    int len1 = 0;
    int min1 = 0;
    int max1 = 0;
    QString prompt2;
    int len2 = 0;
    int min2 = 0;
    int max2 = 0;
};

// Reads the first row of the rule query; a query without rows gives a rule
// with found false. Raises RunError (a Null number is error 94).
DialogRule ReadDialogRule(Database* db, const QString& ruleQuery);

// The boxes' starting texts for a starting value; nothing where a box is
// left as designed. startValue becomes empty when it is "NONE".
struct Prefill {
    std::optional<QString> box1;
    std::optional<QString> box2;
};
Prefill PrefillBoxes(const DialogRule& rule, QString& startValue);

// The value for the exchange from the typed texts; nothing when it cannot
// be made (a "+" rule whose starting value does not end in a number, or a
// sum outside the 16-bit range). A "+" rule puts the first character of the
// starting value before the sum; the rule itself is never changed, so every
// OK composes from the rule as it was read.
std::optional<QString> ComposeValue(const DialogRule& rule, const QString& startValue,
                                    const QString& text1, const QString& text2, bool box2Visible);

// The text of a box after a change, held within its bounds: a number above
// the maximum becomes the maximum, below the minimum the minimum; with
// "HEX_FILTER" any hexadecimal number out of bounds becomes the minimum in
// decimal digits. Other filters, empty texts and texts that are no number
// stay as they are.
QString HoldInBounds(const QString& filter, const QString& text, int min, int max);

// True when a "DIGIT_FILTER" box holds something other than a number.
bool NotADigitValue(const QString& filter, const QString& text);

}  // namespace kestrel
