#include "SafeCopyTexts.h"

#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"

namespace kestrel {

bool SameValue(const QString& a, const QString& b) {
    auto norm = [](const QString& v) { return v == u"CCC" ? QStringLiteral("NONE") : v; };
    return norm(a) == norm(b);
}

void AddCellLines(JournalSummary& into, int heading, const QList<JournalCell>& cells,
                  bool withDetail) {
    if (cells.isEmpty())
        return;
    into.Line().Text(heading);
    for (int i = 0; i < cells.size() && i < summary::kListedCells; ++i) {
        QString line = QStringLiteral("  ") + cells.at(i).trunk + u' ' + cells.at(i).item;
        if (withDetail && !cells.at(i).detail.isEmpty())
            line += QStringLiteral(" (") + cells.at(i).detail + u')';
        into.Line().Plain(line);
    }
    if (cells.size() > summary::kListedCells) {
        into.Line()
            .Plain(QStringLiteral("  "))
            .Text(text::kMore)
            .Plain(QStringLiteral(" (%1)").arg(cells.size() - summary::kListedCells));
    }
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

QString DeskName(const JournalDesk& desk) {
    return desk.engineerName.isEmpty()
               ? desk.engineer
               : desk.engineer + QStringLiteral(" (") + desk.engineerName + u')';
}

QString WhenText(const QDateTime& time, const QDate& today) {
    const QDateTime local = time.toLocalTime();
    return local.toString(local.date() == today ? QStringLiteral("HH:mm")
                                                : QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace kestrel
