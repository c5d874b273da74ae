#include "DialogRule.h"

#include <QRegularExpression>
#include <limits>

#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "tools/StringTools.h"

namespace kestrel {

namespace {

int Int16(const QVariant& v) {
    if (v.isNull())
        throw RunError(err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        throw RunError(err::kTypeMismatch, QStringLiteral("Type mismatch"));
    if (n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max()) {
        throw RunError(err::kOverflow, QStringLiteral("Overflow"));
    }
    return static_cast<int>(n);
}

// A whole number as the run time reads text into a 16-bit integer.
std::optional<int> ToInt16(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?[0-9]+\\s*$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(n);
}

QString Part(const QString& text, int len) {
    const QString padded = text.rightJustified(len, u'0');
    const QString field = padded.left(6).leftJustified(6, u' ');
    return field.left(len).trimmed();
}

}  // namespace

DialogRule ReadDialogRule(Database* db, const QString& ruleQuery) {
    if (!db)
        throw ObjectNotSet();
    DialogRule rule;
    auto row = db->OpenRecordset(ruleQuery, RecordsetType::Snapshot);
    if (row->Eof())
        return rule;
    rule.found = true;
    rule.description = TextOf(row->Fields(QStringLiteral("Description")));
    rule.prefix = TextOf(row->Fields(QStringLiteral("Prefix")));
    rule.filter = TextOf(row->Fields(QStringLiteral("Filter")));
    rule.format = TextOf(row->Fields(QStringLiteral("Format")));
    rule.prompt1 = TextOf(row->Fields(QStringLiteral("Prompt1")));
    rule.len1 = Int16(row->Fields(QStringLiteral("Len1")));
    rule.min1 = Int16(row->Fields(QStringLiteral("Min1")));
    rule.max1 = Int16(row->Fields(QStringLiteral("Max1")));
    const QVariant len2 = row->Fields(QStringLiteral("Len2"));
    rule.len2 = len2.isNull() ? 0 : Int16(len2);
    if (rule.len2 != 0) {
        rule.prompt2 = TextOf(row->Fields(QStringLiteral("Prompt2")));
        rule.min2 = Int16(row->Fields(QStringLiteral("Min2")));
        rule.max2 = Int16(row->Fields(QStringLiteral("Max2")));
    }
    return rule;
}

Prefill PrefillBoxes(const DialogRule& rule, QString& startValue) {
    Prefill p;
    if (startValue == u"NONE") {
        startValue.clear();
        return p;
    }
    const QString& prefix = rule.prefix;
    if (prefix == u"-") {
        const bool station = rule.filter == u"STN_FILTER";
        p.box1 = station && (startValue.contains(QStringLiteral("EB")) || startValue.contains(u'C'))
                     ? QString()
                     : startValue;
    } else if (prefix == u"&") {
        p.box1 = startValue.left(rule.len1);
        p.box2 = startValue.right(rule.len2);
    } else if (prefix == u"EB" || prefix == u"C") {
        p.box1 = startValue.contains(prefix) ? startValue.right(rule.len1) : QString();
    } else {
        p.box1 = QString();
        p.box2 = QString();
    }
    return p;
}

std::optional<QString> ComposeValue(const DialogRule& rule, const QString& startValue,
                                    const QString& text1, const QString& text2, bool box2Visible) {
    if (rule.prefix == u"-") {
        return rule.format == u"-" ? text1 : ApplyDataFormat(text1, rule.format);
    }
    if (rule.prefix == u"+") {
        const QString prefix = startValue.left(1);
        const std::optional<int> typed = ToInt16(text1);
        const std::optional<int> present = ToInt16(startValue.right(4));
        if (!typed || !present)
            return std::nullopt;
        const int sum = *typed + *present;
        if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max()) {
            return std::nullopt;
        }
        return ApplyDataFormat(prefix + QString::number(sum), rule.format);
    }
    if (rule.prefix == u"&")
        return ApplyDataFormat(text1 + text2, rule.format);
    QString value = rule.prefix + Part(text1, rule.len1);
    if (box2Visible)
        value += Part(text2, rule.len2);
    return value;
}

QString HoldInBounds(const QString& filter, const QString& text, int min, int max) {
    if (text.isEmpty())
        return text;
    if (filter == u"DIGIT_FILTER") {
        static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
        if (!digits.match(text).hasMatch())
            return text;
        bool ok = false;
        const qulonglong n = text.toULongLong(&ok);
        const bool above = !ok || n > static_cast<qulonglong>(std::max(max, 0));
        if (above && max >= 0)
            return QString::number(max);
        if (ok && min > 0 && n < static_cast<qulonglong>(min))
            return QString::number(min);
        return text;
    }
    if (filter == u"HEX_FILTER") {
        bool ok = false;
        const qulonglong n = text.toULongLong(&ok, 16);
        if (!ok && text.size() <= 16)
            return text;  // not hexadecimal: left alone
        if (!ok || n > static_cast<qulonglong>(std::max(max, 0)) ||
            (min > 0 && n < static_cast<qulonglong>(min))) {
            return QString::number(min);
        }
        return text;
    }
    return text;
}

bool NotADigitValue(const QString& filter, const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return filter == u"DIGIT_FILTER" && !text.trimmed().isEmpty() &&
           !digits.match(text.trimmed()).hasMatch();
}

}  // namespace kestrel
