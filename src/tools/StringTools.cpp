#include "StringTools.h"

#include <limits>

namespace kestrel {

int SplitList(const QString& text, QStringList& pieces, const QString& sep) {
    qsizetype position = 0;  // zero-based form of the 1-based walk
    int count = 0;
    QStringList found;
    const qsizetype length = text.size();
    for (;;) {
        qsizetype p = sep.isEmpty() ? position : text.indexOf(sep, position);
        if (p < 0) {
            if (position > length - 1)
                break;
            p = length;
        }
        if (position >= p)
            break;
        found.append(text.mid(position, p - position));
        ++count;
        position = p + sep.size();
    }
    if (count > 0)
        pieces = found;
    return count - 1;
}

int CountChar(const QString& text, const QString& ch) {
    if (ch.size() != 1)
        return 0;
    return static_cast<int>(text.count(ch.at(0)));
}

int LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<short>::max()) {
            value = std::numeric_limits<short>::max();  // saturate: still above any trunk
        }
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

int RangeStart(const QVariant& range) {
    const QString text = range.toString();
    const qsizetype dash = text.indexOf(u'-');
    return LeadingNumber(dash < 0 ? text : text.left(dash));
}

int RangeEnd(const QVariant& range) {
    const QString text = range.toString();
    const qsizetype dash = text.indexOf(u'-');
    return dash < 0 ? 0 : LeadingNumber(text.mid(dash + 1));
}

QString ApplyDataFormat(const QVariant& value, const QString& format) {
    QString t = value.toString();
    if (format.isEmpty())
        return t;
    QString prefix;
    QString templ = format;
    if (templ.at(0) != u'0') {
        prefix = templ.at(0);
        templ = templ.mid(1);
    }
    const qsizetype d = templ.size() - t.size();
    if (d > 0)
        prefix += templ.left(d);
    if (d < 0)
        prefix += t.left(-d);
    const qsizetype n = std::min(templ.size(), t.size());
    QString body(n, u' ');
    for (qsizetype k = 0; k < n; ++k) {
        const QChar tc = templ.at(templ.size() - 1 - k);
        body[n - 1 - k] = tc == u'0' ? t.at(t.size() - 1 - k) : tc;
    }
    return prefix + body;
}

}  // namespace kestrel
