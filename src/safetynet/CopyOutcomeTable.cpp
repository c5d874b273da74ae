#include "CopyOutcomeTable.h"

#include <QHash>
#include <QStringList>

#include "SafeCopyTexts.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/RunError.h"
#include "platform/Statement.h"

namespace kestrel {

void StoreCopyOutcomes(Database* db, const QList<JournalCell>& cells,
                       RequestDispatcher& dispatcher) {
    if (!db)
        return;
    // Per destination, in order: how many of its cells ended which way.
    QStringList order;
    QHash<QString, QList<int>> counts;  // written, unchanged, refused, failed, not verified
    for (const JournalCell& cell : cells) {
        auto found = counts.find(cell.trunk);
        if (found == counts.end()) {
            order << cell.trunk;
            found = counts.insert(cell.trunk, QList<int>(5, 0));
        }
        switch (cell.outcome) {
            case CellOutcome::Written:
                ++(*found)[0];
                break;
            case CellOutcome::Unchanged:
                ++(*found)[1];
                break;
            case CellOutcome::Refused:
                ++(*found)[2];
                break;
            case CellOutcome::Failed:
            case CellOutcome::Skipped:
            case CellOutcome::Pending:
                ++(*found)[3];
                break;
            case CellOutcome::NotVerified:
                ++(*found)[4];
                break;
            case CellOutcome::Undone:
                break;
        }
    }
    try {
        db->BeginTrans();
        db->Execute(QStringLiteral("DELETE * FROM CopyOutcome"));
        Statement insert = db->Prepare(QStringLiteral("INSERT INTO CopyOutcome VALUES (?, ?)"));
        for (const QString& trunk : order) {
            const QList<int>& n = counts.value(trunk);
            insert.BindAll(
                {trunk,
                 Msg(summary::kTrunkOutcome).arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]).arg(n[4])});
            insert.Run();
        }
        db->CommitTrans();
    } catch (const RunError& e) {
        try {
            if (db->InTransaction())
                db->Rollback();
        } catch (const RunError& also) {
            qCWarning(lcDb, "The rollback after the failed outcome failed too: %s [%d]",
                      qUtf8Printable(also.Description()), also.Number());
        }
        // The report then lacks the section; the host's line says why.
        dispatcher.ShowHostMessage(e.Description());
    }
}

}  // namespace kestrel
