#include "WorkingCopy.h"

#include <QDir>
#include <QRegularExpression>
#include <map>
#include <vector>

#include "platform/FileOps.h"
#include "platform/JetSql.h"
#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {

const QString kCounterQuery = QStringLiteral("SELECT * FROM SerialTable Where Addin = ?");
const QString kCounterField = QStringLiteral("SerialCounter");
constexpr long kCounterRange = 10000;

// Copies this process made, each held locked so no other instance takes the
// same number while we use it.
std::map<QString, FileLock>& HeldCopies() {
    static std::map<QString, FileLock> held;
    return held;
}

long ToLong(const QVariant& value) {
    if (value.isNull()) {
        throw RunError(err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    }
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok)
        throw RunError(err::kTypeMismatch, QStringLiteral("Type mismatch"));
    return static_cast<long>(n);
}

long NextNumber(long n) {
    // A damaged negative counter still yields a number in range.
    return ((n + 1) % kCounterRange + kCounterRange) % kCounterRange;
}

void StoreCounter(Recordset& counter, long n) {
    counter.Edit();
    counter.SetField(kCounterField, static_cast<qlonglong>(n));
    counter.Update();
}

// Removes the copies that no running instance holds: an instance ended by a
// signal leaves its copy behind, and the kernel has dropped its lock. Their
// journals go with them, so a later copy of the same number never rolls one
// back into itself. Runs while the counter is held: no instance makes a copy
// meanwhile. What cannot be removed is left for the next start.
void RemoveUnheldCopies(const QString& folder, const QString& baseName) {
    const QString resolved = ResolvePath(folder);
    const QDir dir(resolved);
    const QRegularExpression copyName(
        QStringLiteral("^%1(0|[1-9][0-9]{0,3})\\.MDB(-journal|-wal|-shm)?$")
            .arg(QRegularExpression::escape(baseName)),
        QRegularExpression::CaseInsensitiveOption);
    struct Entry {
        QString name;
        bool journal;  // its copy decides
    };
    std::map<int, std::vector<Entry>> byNumber;
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = copyName.match(entry);
        if (match.hasMatch())
            byNumber[match.captured(1).toInt()].push_back({entry, !match.captured(2).isEmpty()});
    }
    for (const auto& [number, entries] : byNumber) {
        std::vector<FileLock> holds;
        bool held = false;
        for (const Entry& entry : entries) {
            if (entry.journal)
                continue;
            const QString path = ResolvePath(resolved + entry.name);
            // Our own copies are never opened here: closing a second handle
            // would drop the database engine's locks on them.
            if (HeldCopies().count(path) != 0) {
                held = true;
                break;
            }
            FileLock hold = TryLockFile(path);
            if (!hold.Held()) {
                held = true;
                break;
            }
            holds.push_back(std::move(hold));
        }
        if (held)
            continue;
        // Deleted while locked, so no other instance takes them half-way.
        for (const Entry& entry : entries)
            RemoveFile(dir.filePath(entry.name));
    }
}

const char* const kWorkingTables[] = {"CMD30Titles", "CMD30Codes", "DialogRules",   "Trunk",
                                      "PBXName",     "CopyTrunk",  "TrkDataListup", "CopyOutcome"};

}  // namespace

QString MakeWorkingCopy(const QString& addin, const QString& folder, const QString& baseName,
                        const QString& templateFile) {
    std::unique_ptr<Database> serial;
    try {
        serial = Database::Open(ResolvePath(folder + QStringLiteral("Serial.MDB")), false);
    } catch (const RunError& e) {
        ShowPlainError(e);
        return {};
    }
    std::unique_ptr<Recordset> counter;
    try {
        counter = serial->OpenRecordset(kCounterQuery, RecordsetType::Dynaset,
                                        rs::kDenyWrite | rs::kDenyRead, {addin});
    } catch (const RunError& e) {
        ShowPlainError(e);
        return {};
    }
    long n = 0;
    try {
        n = NextNumber(ToLong(counter->Fields(kCounterField)));
        StoreCounter(*counter, n);
    } catch (const RunError& e) {
        counter.reset();
        ShowPlainError(e);
        return {};
    }

    RemoveUnheldCopies(folder, baseName);
    const QString templatePath = ResolvePath(
        templateFile.isEmpty() ? folder + baseName + QStringLiteral(".MDB") : templateFile);
    int numbersTried = 1;
    bool attributesReset = false;
    for (;;) {
        QString name = baseName + QString::number(n) + QStringLiteral(".MDB");
        // A name still to be made: only the folder's own entries are searched.
        const QString target = ResolvePathIn(folder, name);
        try {
            FileLock lock = CopyFileLocked(templatePath, target);
            HeldCopies()[target] = std::move(lock);
            counter->Close();
            return name;
        } catch (const RunError& e) {
            try {
                if (e.Number() == err::kPathFileAccess && !attributesReset) {
                    ClearAttributes(target);
                    attributesReset = true;
                    continue;
                }
                attributesReset = false;
                if (numbersTried >= kMaxWorkingCopyAttempts) {
                    throw RunError(e.Number(),
                                   QStringLiteral("No working copy of %1 could be made after "
                                                  "trying %2 numbers. The last attempt failed: "
                                                  "%3")
                                       .arg(baseName + QStringLiteral(".MDB"))
                                       .arg(numbersTried)
                                       .arg(e.Description()));
                }
                n = NextNumber(n);
                ++numbersTried;
                StoreCounter(*counter, n);
            } catch (const RunError& failure) {
                counter.reset();
                ShowPlainError(failure);
                return {};
            }
        }
    }
}

std::unique_ptr<Database> OpenWorkingDb(const QString& folder, const QString& name,
                                        QString* failure) {
    if (name.isEmpty())
        return nullptr;
    try {
        auto db = Database::Open(ResolvePath(folder + name), false);
        // A database without the catalogue and work tables opens all the same
        // but could never show or keep a trunk's data.
        for (const char* table : kWorkingTables) {
            db->OpenRecordset(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0")
                                  .arg(QuoteName(QString::fromLatin1(table))),
                              RecordsetType::Snapshot);
        }
        return db;
    } catch (const RunError& e) {
        qCWarning(lcDb, "The working copy %s cannot be opened: %s [%d]",
                  qUtf8Printable(folder + name), qUtf8Printable(e.Description()), e.Number());
        if (failure)
            *failure = QStringLiteral("%1 [%2]").arg(e.Description()).arg(e.Number());
        return nullptr;
    }
}

void RemoveWorkingCopy(const QString& folder, const QString& name) {
    if (name.isEmpty())
        return;
    const QString target = ResolvePath(folder + name);
    // Deleted before the lock goes, so no other instance takes it meanwhile.
    RemoveFile(target);
    HeldCopies().erase(target);
}

}  // namespace kestrel
