#include "WorkingCopy.h"

#include <map>

#include "platform/FileOps.h"
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

}  // namespace

QString MakeWorkingCopy(const QString& addin, const QString& folder, const QString& baseName) {
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

    const QString templatePath = ResolvePath(folder + baseName + QStringLiteral(".MDB"));
    int numbersTried = 1;
    bool attributesReset = false;
    for (;;) {
        const QString name = baseName + QString::number(n) + QStringLiteral(".MDB");
        const QString target = ResolvePath(folder + name);
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

std::unique_ptr<Database> OpenWorkingDb(const QString& folder, const QString& name) {
    if (name.isEmpty())
        return nullptr;
    try {
        return Database::Open(ResolvePath(folder + name), false);
    } catch (const RunError& e) {
        qCWarning(lcDb, "The working copy %s cannot be opened: %s [%d]",
                  qUtf8Printable(folder + name), qUtf8Printable(e.Description()), e.Number());
        return nullptr;
    }
}

void RemoveWorkingCopy(const QString& folder, const QString& name) {
    if (name.isEmpty())
        return;
    const QString target = ResolvePath(folder + name);
    HeldCopies().erase(target);
    RemoveFile(target);
}

}  // namespace kestrel
