#include "JetSql.h"

#include "Statement.h"

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

int CompareTextNoCase(QStringView a, QStringView b) {
    const int r = a.compare(b, Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// The end of a quoted literal or name that starts at `start`.
qsizetype QuotedEnd(const QString& sql, qsizetype start) {
    const QChar open = sql.at(start);
    const QChar close = open == u'[' ? QChar(u']') : open;
    qsizetype j = start + 1;
    while (j < sql.size()) {
        if (sql.at(j) == close) {
            if (close != u']' && j + 1 < sql.size() && sql.at(j + 1) == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return sql.size();
}

// Length of the comparison operator at i, 0 when there is none.
qsizetype ComparisonAt(const QString& sql, qsizetype i) {
    const QChar c = sql.at(i);
    const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
    if (c == u'=')
        return next == u'=' ? 2 : 1;
    if (c == u'!')
        return next == u'=' ? 2 : 0;
    if (c == u'<')
        return next == u'>' || next == u'=' ? 2 : 1;
    if (c == u'>')
        return next == u'=' ? 2 : 1;
    return 0;
}

bool IsTextValue(const QVariantList* params, int position) {
    if (!params)
        return true;  // a prepared statement: its values come later
    if (position < 0 || position >= params->size())
        return true;
    return Statement::BindsAsText(params->at(position));
}

// Words that begin an expression rather than name a column.
bool IsExpressionKeyword(const QString& word) {
    static const QStringList keywords = {
        QStringLiteral("NULL"),         QStringLiteral("NOT"),
        QStringLiteral("CASE"),         QStringLiteral("EXISTS"),
        QStringLiteral("SELECT"),       QStringLiteral("TRUE"),
        QStringLiteral("FALSE"),        QStringLiteral("CAST"),
        QStringLiteral("ANY"),          QStringLiteral("ALL"),
        QStringLiteral("SOME"),         QStringLiteral("CURRENT_DATE"),
        QStringLiteral("CURRENT_TIME"), QStringLiteral("CURRENT_TIMESTAMP")};
    return keywords.contains(word, Qt::CaseInsensitive);
}

// The end of a column name (plain, quoted or bracketed, qualified by
// dots) starting at i, or -1 when none starts there.
qsizetype ColumnEnd(const QString& sql, qsizetype i) {
    const qsizetype n = sql.size();
    qsizetype j = i;
    for (;;) {
        if (j >= n)
            return -1;
        const QChar c = sql.at(j);
        if (c == u'"' || c == u'[') {
            j = QuotedEnd(sql, j);
        } else if (c.isLetter() || c == u'_') {
            const qsizetype start = j;
            while (j < n && IsWordChar(sql.at(j)))
                ++j;
            if (start == i && IsExpressionKeyword(sql.mid(start, j - start)))
                return -1;
        } else {
            return -1;
        }
        if (j < n && sql.at(j) == u'.') {
            ++j;
            continue;
        }
        break;
    }
    qsizetype k = j;
    while (k < n && sql.at(k).isSpace())
        ++k;
    if (k < n && sql.at(k) == u'(')
        return -1;  // a function call
    return j;
}

bool FollowedByCollate(const QString& sql, qsizetype i) {
    while (i < sql.size() && sql.at(i).isSpace())
        ++i;
    return QStringView(sql).mid(i).startsWith(u"COLLATE", Qt::CaseInsensitive);
}

}  // namespace

QString WithCaseInsensitiveText(const QString& sql, const QVariantList* params) {
    static const QRegularExpression dataStatement(
        QStringLiteral("^\\s*(SELECT|INSERT|UPDATE|DELETE|WITH|REPLACE)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (!dataStatement.match(sql).hasMatch())
        return sql;
    const QString collate = QStringLiteral(" COLLATE ") + QLatin1String(kNoCaseCollation);
    QString out;
    out.reserve(sql.size() + 64);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    int parameter = 0;  // '?' places seen so far
    auto parameterEnd = [&](qsizetype at) {
        qsizetype j = at + 1;
        while (j < n && sql.at(j).isDigit())
            ++j;
        return j;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"' || c == u'[') {
            const qsizetype end = QuotedEnd(sql, i);
            out += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'?') {
            const qsizetype end = parameterEnd(i);
            out += QStringView(sql).mid(i, end - i);
            ++parameter;
            i = end;
            continue;
        }
        if ((c == u'<' || c == u'>') && i + 1 < n && sql.at(i + 1) == c) {
            out += QStringView(sql).mid(i, 2);  // a shift, not a comparison
            i += 2;
            continue;
        }
        const qsizetype opLength = ComparisonAt(sql, i);
        if (opLength == 0) {
            out += c;
            ++i;
            continue;
        }
        out += QStringView(sql).mid(i, opLength);
        i += opLength;
        while (i < n && sql.at(i).isSpace())
            out += sql.at(i++);
        if (i >= n)
            break;
        qsizetype end = -1;
        bool text = false;
        if (sql.at(i) == u'\'') {
            end = QuotedEnd(sql, i);
            text = true;
        } else if (sql.at(i) == u'?') {
            end = parameterEnd(i);
            // "?NNN" places are numbered by the caller: count them as text.
            text = end == i + 1 ? IsTextValue(params, parameter) : true;
            ++parameter;
        } else {
            end = ColumnEnd(sql, i);
            text = end > i;
        }
        if (end <= i)
            continue;  // anything else is left to the main walk
        out += QStringView(sql).mid(i, end - i);
        i = end;
        if (text && !FollowedByCollate(sql, i))
            out += collate;
    }
    return out;
}

QString QuoteName(const QString& name) {
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

}  // namespace kestrel
