#include "DestinationList.h"

#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "tools/StringTools.h"

namespace kestrel {

namespace {

bool Fail(DestinationList& list, DestinationList::Fault fault, int position,
          const QString& piece = {}) {
    list.fault = fault;
    list.position = position;
    list.piece = piece;
    return false;
}

// One piece starting at character `at` (counted from 1); false on a fault.
bool ReadPiece(const QString& piece, int at, int highest, DestinationList& list,
               QStringList& kept) {
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (!piece[i].isDigit() && piece[i] != u'-') {
            list.sign = piece[i];
            return Fail(list, DestinationList::Fault::MissingNumber, at + int(i), piece);
        }
    }
    const qsizetype dash = piece.indexOf(u'-');
    if (dash < 0) {
        if (LeadingNumber(piece) > highest) {
            list.leftOut << piece;
        } else {
            kept << piece;
        }
        return true;
    }
    const qsizetype second = piece.indexOf(u'-', dash + 1);
    if (second >= 0)
        return Fail(list, DestinationList::Fault::SecondDash, at + int(second), piece);
    if (dash == 0 || dash == piece.size() - 1) {
        list.sign = u'-';
        return Fail(list, DestinationList::Fault::MissingNumber, at + int(dash), piece);
    }
    for (const qsizetype from : {qsizetype(0), dash + 1}) {
        const QString end = from == 0 ? piece.left(dash) : piece.mid(from);
        if (LeadingNumber(end) > highest) {
            list.number = end;
            return Fail(list, DestinationList::Fault::AboveHighest, at + int(from), piece);
        }
    }
    // A range of one trunk is that trunk ("0-0" names 000, as "0" does).
    kept << (LeadingNumber(piece.left(dash)) == LeadingNumber(piece.mid(dash + 1))
                 ? piece.left(dash)
                 : piece);
    return true;
}

}  // namespace

DestinationList ReadDestinationList(const QString& text, int highestTrunk) {
    DestinationList list;
    if (text.isEmpty()) {
        list.fault = DestinationList::Fault::Empty;
        return list;
    }
    QStringList kept;
    int at = 1;
    for (const QString& piece : text.split(u',')) {
        if (piece.isEmpty()) {
            // The comma that ends the empty piece, or the trailing one.
            list.sign = u',';
            Fail(list, DestinationList::Fault::MissingNumber, at <= text.size() ? at : at - 1);
            return list;
        }
        if (!ReadPiece(piece, at, highestTrunk, list, kept))
            return list;
        at += int(piece.size()) + 1;
    }
    if (kept.isEmpty()) {
        // Nothing but numbers above the highest trunk: nothing to copy to.
        list.number = list.leftOut.first();
        list.fault = DestinationList::Fault::AboveHighest;
        list.position = int(text.indexOf(list.number)) + 1;
        list.leftOut.clear();
        return list;
    }
    list.trunks = ParseTrunkRange(kept.join(u','), highestTrunk);
    return list;
}

QString DestinationFaultText(const DestinationList& list, int highestTrunk) {
    switch (list.fault) {
        case DestinationList::Fault::None:
        case DestinationList::Fault::Empty:
            return {};
        case DestinationList::Fault::MissingNumber:
            return Msg(text::kDestinationNumberMissing).arg(list.sign).arg(list.position);
        case DestinationList::Fault::SecondDash:
            return Msg(text::kDestinationSecondDash).arg(list.piece).arg(list.position);
        case DestinationList::Fault::AboveHighest:
            return Msg(text::kDestinationAboveHighest)
                .arg(list.number)
                .arg(list.position)
                .arg(highestTrunk);
    }
    return {};
}

QString LeftOutText(const DestinationList& list, int highestTrunk) {
    if (list.leftOut.isEmpty())
        return {};
    return Msg(text::kDestinationsLeftOutAboveHighest)
        .arg(highestTrunk)
        .arg(list.leftOut.join(QStringLiteral(", ")));
}

bool AcceptDestinationList(const QString& text, int highestTrunk, DestinationList& list) {
    list = ReadDestinationList(text, highestTrunk);
    if (list.fault == DestinationList::Fault::Empty) {
        LangMsgBox(kOwnSource, msgbox::own::kDestinationListEmpty, QString(), kProductTitle);
        return false;
    }
    if (list.Refused()) {
        // The insert's parts are separated by "%": the list, then the fault.
        LangMsgBox(kOwnSource, msgbox::own::kDestinationListRefused,
                   text + u'%' + DestinationFaultText(list, highestTrunk), kProductTitle);
        return false;
    }
    if (!list.leftOut.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kDestinationsAboveHighest,
                   LeftOutText(list, highestTrunk), kProductTitle);
    }
    return true;
}

}  // namespace kestrel
