#include "ReportCopyState.h"

#include <algorithm>

#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Statement.h"

namespace kestrel {

namespace {

// "Copy undone: %1 of %2 values written back, %3 refused, %4 not written
// back", per destination trunk.
constexpr int kUndoneOutcome = 77;

QString FirstText(Database& db, const QString& sql) {
    auto rows = db.OpenRecordset(sql, RecordsetType::Snapshot);
    return rows->Eof() ? QString() : rows->Fields(0).toString();
}

// Runs `work` all or nothing, inside a caller's transaction or not.
template <typename Work>
void AllOrNothing(Database& db, Work work) {
    db.Execute(QStringLiteral("SAVEPOINT report_state"));
    try {
        work();
        db.Execute(QStringLiteral("RELEASE report_state"));
    } catch (const RunError&) {
        try {
            db.Execute(QStringLiteral("ROLLBACK TO report_state"));
            db.Execute(QStringLiteral("RELEASE report_state"));
        } catch (const RunError& also) {
            qCWarning(lcDb, "The rollback of the report's copy state failed: %s [%d]",
                      qUtf8Printable(also.Description()), also.Number());
        }
        throw;
    }
}

}  // namespace

void StoreCopiedItems(Database& db, const QList<CopiedItem>& items, bool freshCopy) {
    AllOrNothing(db, [&] {
        if (freshCopy) {
            db.Execute(QStringLiteral("DELETE FROM CopyItem"));
            db.Execute(QStringLiteral("DELETE FROM CopyUndo"));
            db.Execute(QStringLiteral("DELETE FROM CopyOutcome"));
        }
        Statement stored = db.Prepare(QStringLiteral("SELECT State FROM CopyItem WHERE CMD = ?"));
        Statement update =
            db.Prepare(QStringLiteral("UPDATE CopyItem SET State = ? WHERE CMD = ?"));
        Statement insert =
            db.Prepare(QStringLiteral("INSERT INTO CopyItem (CMD, State) VALUES (?, ?)"));
        for (const CopiedItem& item : items) {
            stored.Bind(1, item.cmd);
            const bool known = stored.Step();
            const int before = known ? stored.Column(0).toInt() : 0;
            stored.Reset();
            const int state = std::max(before, static_cast<int>(item.state));
            if (known) {
                update.BindAll({state, item.cmd});
                update.Run();
            } else {
                insert.BindAll({item.cmd, state});
                insert.Run();
            }
        }
    });
}

bool StoreUndoOutcome(Database& db, const QString& exchange, const QString& sourceTrunk,
                      const QString& destinationList, const QList<UndoneTrunk>& trunks) {
    const QString destinations = FirstText(db, QStringLiteral("SELECT Trunk FROM CopyTrunk"));
    if (destinations.isEmpty() || destinations.trimmed() != destinationList.trimmed() ||
        FirstText(db, QStringLiteral("SELECT Trunk FROM Trunk")) != sourceTrunk ||
        FirstText(db, QStringLiteral("SELECT PBXName FROM PBXName")) != exchange) {
        return false;  // the report describes another copy: it stays as it is
    }
    AllOrNothing(db, [&] {
        db.Execute(QStringLiteral("DELETE FROM CopyUndo"));
        db.Execute(QStringLiteral("INSERT INTO CopyUndo (Trunk) VALUES (?)"), {destinations});
        db.Execute(QStringLiteral("UPDATE CopyItem SET State = ? WHERE State = ?"),
                   {static_cast<int>(CopiedState::Undone), static_cast<int>(CopiedState::Written)});
        db.Execute(QStringLiteral("DELETE FROM CopyOutcome"));
        Statement insert = db.Prepare(QStringLiteral("INSERT INTO CopyOutcome VALUES (?, ?)"));
        for (const UndoneTrunk& t : trunks) {
            const int total = t.restored + t.refused + t.notRestored;
            insert.BindAll(
                {t.trunk,
                 Msg(kUndoneOutcome).arg(t.restored).arg(total).arg(t.refused).arg(t.notRestored)});
            insert.Run();
        }
    });
    return true;
}

}  // namespace kestrel
