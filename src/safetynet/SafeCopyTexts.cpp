#include "SafeCopyTexts.h"

#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"

namespace kestrel {

bool SameValue(const QString& a, const QString& b) {
    auto norm = [](const QString& v) { return v == u"CCC" ? QStringLiteral("NONE") : v; };
    return norm(a) == norm(b);
}

QString CellLines(const QList<JournalCell>& cells, bool withDetail) {
    QString text;
    for (int i = 0; i < cells.size() && i < summary::kListedCells; ++i) {
        text += QStringLiteral("\r\n  ") + cells.at(i).trunk + u' ' + cells.at(i).item;
        if (withDetail && !cells.at(i).detail.isEmpty())
            text += QStringLiteral(" (") + cells.at(i).detail + u')';
    }
    if (cells.size() > summary::kListedCells) {
        text += QStringLiteral("\r\n  %1 (%2)")
                    .arg(Msg(text::kMore))
                    .arg(cells.size() - summary::kListedCells);
    }
    return text;
}

void ShowJournalWriteFailed(const QString& reason) {
    LangMsgBox(kOwnSource, msgbox::own::kJournalWriteFailed, reason, kProductTitle);
}

QString UnfinishedCopyText(const JournalEntry& entry) {
    return Msg(text::kCopyDidNotFinish)
        .arg(entry.sourceTrunk, entry.destinationList,
             entry.time.toLocalTime().toString(QStringLiteral("HH:mm")))
        .arg(entry.mayBeWritten);
}

}  // namespace kestrel
