#include "TokenExpansion.h"

namespace kestrel {

QString ExpandTokens(const QString& text, QString& insert) {
    QString result;
    QStringView rest(text);
    while (!rest.isEmpty()) {
        const qsizetype amp = rest.indexOf(u'&');
        QStringView piece = amp < 0 ? rest : rest.left(amp);
        rest = amp < 0 ? QStringView() : rest.mid(amp + 1);
        // Only blanks are trimmed, as the stored texts are written.
        while (!piece.isEmpty() && piece.front() == u' ')
            piece = piece.mid(1);
        while (!piece.isEmpty() && piece.back() == u' ')
            piece.chop(1);

        if (piece == u"%CR") {
            result += u'\r';
        } else if (piece == u"%AND") {
            result += u'&';
        } else if (piece == u"%SP") {
            result += u' ';
        } else if (piece == u"%SP4") {
            result += QStringLiteral("    ");
        } else if (piece.contains(u"%ST")) {
            const qsizetype pct = insert.indexOf(u'%');
            if (pct >= 0) {
                result += insert.left(pct);
                insert = insert.mid(pct + 1);
            } else {
                result += insert;
            }
        } else if (piece == u"-1") {
            result = QStringLiteral("-1");
        } else {
            result += piece;
        }
    }
    return result;
}

}  // namespace kestrel
