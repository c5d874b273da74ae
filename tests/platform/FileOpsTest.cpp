#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FileOps.h"
#include "platform/RunError.h"

namespace kestrel {
namespace {

void Write(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int CopyError(const QString& from, const QString& to) {
    try {
        CopyFileLocked(from, to);
    } catch (const RunError& e) {
        return e.Number();
    }
    return 0;
}

TEST(ResolvePathTest, FindsComponentsWhateverTheirCase) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("OpsHelm32/30000/Addins/DataBase"));
    Write(dir.filePath(QStringLiteral("OpsHelm32/30000/Addins/DataBase/Kestrel.lng")), "x");
    QDir(dir.path()).mkpath(QStringLiteral("OpsHelm32/30000/BACKGRND"));

    const QString base = dir.path() + QStringLiteral("/OPSHELM32/30000/ADDINS/");
    EXPECT_EQ(ResolvePath(base + QStringLiteral("DATABASE/KESTREL.LNG")),
              dir.filePath(QStringLiteral("OpsHelm32/30000/Addins/DataBase/Kestrel.lng")));
    EXPECT_EQ(ResolvePath(base + QStringLiteral("../BACKGRND/")),
              dir.filePath(QStringLiteral("OpsHelm32/30000/BACKGRND/")));
    // Backslashes separate as well; a missing file keeps its given name.
    EXPECT_EQ(ResolvePath(base + QStringLiteral("DATABASE\\KESTREL7.MDB")),
              dir.filePath(QStringLiteral("OpsHelm32/30000/Addins/DataBase/KESTREL7.MDB")));
    EXPECT_EQ(ResolvePath(base + QStringLiteral("NOPE/SUB/FILE")),
              dir.filePath(QStringLiteral("OpsHelm32/30000/Addins/NOPE/SUB/FILE")));
}

TEST(CopyFileLockedTest, CopiesAndHoldsTheDestination) {
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("T.MDB"));
    const QString to = dir.filePath(QStringLiteral("T1.MDB"));
    Write(from, "template");
    Write(to, "an older and longer working copy");
    FileLock lock = CopyFileLocked(from, to);
    EXPECT_TRUE(lock.Held());
    EXPECT_EQ(Read(to), QByteArray("template"));
    EXPECT_EQ(CopyError(from, to), err::kPermissionDenied);  // in use by its holder
    EXPECT_FALSE(TryLockFile(to).Held());
    lock.Release();
    EXPECT_TRUE(TryLockFile(to).Held());
}

TEST(CopyFileLockedTest, FailuresCarryTheirNumbers) {
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("T.MDB"));
    Write(from, "template");
    EXPECT_EQ(CopyError(dir.filePath(QStringLiteral("missing.MDB")),
                        dir.filePath(QStringLiteral("x.MDB"))),
              err::kFileNotFound);
    EXPECT_EQ(CopyError(from, dir.filePath(QStringLiteral("nofolder/x.MDB"))), err::kPathNotFound);

    const QString readOnly = dir.filePath(QStringLiteral("T2.MDB"));
    Write(readOnly, "old");
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    EXPECT_EQ(CopyError(from, readOnly), err::kPathFileAccess);
    EXPECT_EQ(Read(readOnly), QByteArray("old"));
    ClearAttributes(readOnly);
    EXPECT_EQ(CopyError(from, readOnly), 0);
    EXPECT_EQ(Read(readOnly), QByteArray("template"));
}

}  // namespace
}  // namespace kestrel
