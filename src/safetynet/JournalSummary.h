#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrel {

// A summary as it was made rather than as it read: lines of pieces, each a
// text of the message table with what fills its places, or text shown as it
// is (trunks, items, the exchange's own words). Kept so in the journal, an
// entry reads in the language of the window that shows it, whenever it was
// recorded.
class JournalSummary {
public:
    // Starts a new line; the first piece starts one by itself.
    JournalSummary& Line();
    // Text `number` of the message table, its %1, %2, ... filled from `args`.
    JournalSummary& Text(int number, const QStringList& args = {});
    JournalSummary& Plain(const QString& text);
    // The lines of `other`, after this one's.
    JournalSummary& Lines(const JournalSummary& other);
    bool IsEmpty() const { return lines_.isEmpty(); }

    // The lines joined by CR LF, each text read from the message table now.
    QString Render() const;
    // A compact JSON form for the journal; Decode gives an empty summary for
    // a text that is none.
    QString Encode() const;
    static JournalSummary Decode(const QString& encoded);

    bool operator==(const JournalSummary& other) const;

private:
    struct Piece {
        int text = -1;  // -1: the one arg, as it is
        QStringList args;
        bool operator==(const Piece& other) const = default;
    };
    QList<QList<Piece>> lines_;
};

}  // namespace kestrel
