#include "TrunkRange.h"

#include <algorithm>

#include "tools/StringTools.h"

namespace kestrel {

QString FormatTrunk(int number) {
    if (number < 0)
        return QStringLiteral("-%1").arg(-number, 3, 10, QChar(u'0'));
    return QStringLiteral("%1").arg(number, 3, 10, QChar(u'0'));
}

QString NormaliseTrunkText(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("000");
    bool ok = false;
    const long long n = text.toLongLong(&ok);
    return ok && n >= 0 ? QStringLiteral("%1").arg(n, 3, 10, QChar(u'0')) : text;
}

QString ClampTrunkText(const QString& text, int highestTrunk) {
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    // Digits too many for any number are above every trunk too.
    if (!ok && !text.isEmpty() &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
        return QString::number(highestTrunk);
    }
    if (ok && value < 0)
        return QStringLiteral("0");
    if (ok && value > highestTrunk)
        return QString::number(highestTrunk);
    return text;
}

namespace {

void Append(int number, TrunkRangeResult& result) {
    if (result.trunks.size() < kMaxListedTrunks)
        result.trunks.append(FormatTrunk(number));
    ++result.count;
}

void Piece(const QString& piece, int highest, TrunkRangeResult& result) {
    if (!piece.contains(u'-')) {
        const int value = LeadingNumber(piece);
        if (value <= highest) {
            Append(value, result);
        } else {
            ++result.numberErrors;
        }
        return;
    }
    const int start = RangeStart(piece);
    int end = LeadingNumber(piece.mid(piece.lastIndexOf(u'-') + 1));
    if (CountChar(piece, QStringLiteral("-")) == 1 || piece.endsWith(u'-'))
        end = RangeEnd(piece);
    // A signed number after a doubled dash ("1--2-") names no trunk either.
    if (start < 0 || end < 0 || start > highest || end > highest || (start == 0 && end == 0)) {
        ++result.numberErrors;
        return;
    }
    const int step = start < end ? 1 : -1;
    for (int n = start;; n += step) {
        Append(n, result);
        if (n == end)
            break;
    }
}

}  // namespace

TrunkRangeResult ParseTrunkRange(const QString& text, int highestTrunk) {
    TrunkRangeResult result;
    if (text == u"," || text.isEmpty() || text.startsWith(u',') || text.endsWith(u',') ||
        text.contains(QStringLiteral(",,"))) {
        result.numberErrors = 1;
        return result;
    }
    if (text.contains(u',')) {
        QStringList pieces;
        SplitList(text, pieces, QStringLiteral(","));
        for (const QString& piece : pieces)
            Piece(piece, highestTrunk, result);
    } else {
        Piece(text, highestTrunk, result);
    }
    return result;
}

}  // namespace kestrel
