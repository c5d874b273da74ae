#include "JetSql.h"

#include <QRegularExpression>

namespace kestrel {

namespace {

QString TranslatePlainSegment(const QString& segment) {
    static const QRegularExpression deleteStar(QStringLiteral("\\bDELETE\\s+\\*\\s+FROM\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression indexWord(QStringLiteral("(?<![.\\w])Index\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString out = segment;
    out.replace(deleteStar, QStringLiteral("DELETE FROM"));
    out.replace(indexWord, QStringLiteral("[Index]"));
    return out;
}

}  // namespace

QString TranslateJetSql(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 8);
    QString plain;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto flushPlain = [&] {
        out += TranslatePlainSegment(plain);
        plain.clear();
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {
            flushPlain();
            // A literal ends at the next lone quote; a doubled quote is one
            // quote inside the text.
            QString text;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        text += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += sql.at(j);
                ++j;
            }
            text.replace(u'\'', QStringLiteral("''"));
            out += u'\'' + text + u'\'';
            i = j + 1;
        } else if (c == u'[') {
            flushPlain();
            qsizetype j = sql.indexOf(u']', i);
            if (j < 0)
                j = n - 1;
            out += sql.mid(i, j - i + 1);
            i = j + 1;
        } else {
            plain += c;
            ++i;
        }
    }
    flushPlain();
    return out;
}

QString QuoteName(const QString& name) {
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

}  // namespace kestrel
