#include "JournalSummary.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "localisation/Messages.h"

namespace kestrel {

namespace {

// Fills %1 to %9 in one pass, so a value that holds "%2" stays as it is and
// a place without a value is left standing.
QString Fill(const QString& text, const QStringList& args) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'9') {
            const int n = text.at(i + 1).digitValue();
            if (n <= args.size()) {
                out += args.at(n - 1);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace

JournalSummary& JournalSummary::Line() {
    lines_.append(QList<Piece>());
    return *this;
}

JournalSummary& JournalSummary::Text(int number, const QStringList& args) {
    if (lines_.isEmpty())
        Line();
    lines_.last().append(Piece{number, args});
    return *this;
}

JournalSummary& JournalSummary::Plain(const QString& text) {
    if (lines_.isEmpty())
        Line();
    lines_.last().append(Piece{-1, {text}});
    return *this;
}

JournalSummary& JournalSummary::Lines(const JournalSummary& other) {
    lines_ += other.lines_;
    return *this;
}

QString JournalSummary::Render() const {
    QStringList lines;
    for (const QList<Piece>& line : lines_) {
        QString text;
        for (const Piece& piece : line)
            text += piece.text < 0 ? piece.args.value(0) : Fill(Msg(piece.text), piece.args);
        lines << text;
    }
    return lines.join(QStringLiteral("\r\n"));
}

// [[piece, ...], ...]: a piece is a string shown as it is, or [number, args...].
QString JournalSummary::Encode() const {
    if (lines_.isEmpty())
        return QStringLiteral("");  // a text, never SQL's NULL
    QJsonArray lines;
    for (const QList<Piece>& line : lines_) {
        QJsonArray pieces;
        for (const Piece& piece : line) {
            if (piece.text < 0) {
                pieces.append(piece.args.value(0));
            } else {
                QJsonArray text{piece.text};
                for (const QString& arg : piece.args)
                    text.append(arg);
                pieces.append(text);
            }
        }
        lines.append(pieces);
    }
    return QString::fromUtf8(QJsonDocument(lines).toJson(QJsonDocument::Compact));
}

JournalSummary JournalSummary::Decode(const QString& encoded) {
    JournalSummary summary;
    const QJsonDocument document = QJsonDocument::fromJson(encoded.toUtf8());
    if (!document.isArray())
        return summary;
    for (const QJsonValue line : document.array()) {
        if (!line.isArray())
            return {};
        summary.Line();
        for (const QJsonValue piece : line.toArray()) {
            if (piece.isString()) {
                summary.Plain(piece.toString());
                continue;
            }
            const QJsonArray text = piece.toArray();
            if (text.isEmpty() || !text.at(0).isDouble())
                return {};
            QStringList args;
            for (qsizetype i = 1; i < text.size(); ++i)
                args << text.at(i).toString();
            summary.Text(text.at(0).toInt(), args);
        }
    }
    return summary;
}

bool JournalSummary::operator==(const JournalSummary& other) const {
    return lines_ == other.lines_;
}

}  // namespace kestrel
