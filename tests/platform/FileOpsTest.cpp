#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FileOps.h"
#include "platform/RunError.h"
#include "support/FileLimits.h"

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

// Components are found whatever their case (backslashes separate as well;
// a missing part keeps its given name). Where several entries match a
// component, the one that leads furthest wins; ties go to the exact name,
// then to directory order.
TEST(ResolvePathTest, FindsComponentsWhateverTheirCase) {
    QTemporaryDir dir;
    QDir root(dir.path());
    // An upper-case folder "weiß" becomes in the install-path rules.
    root.mkpath(QStringLiteral("weiß/Data"));
    Write(dir.filePath(QStringLiteral("weiß/Data/Kestrel.lng")), "x");
    // An upper-case sibling without the file beside the folder that has it.
    root.mkpath(QStringLiteral("ADDINS/DATABASE"));
    root.mkpath(QStringLiteral("Addins/DataBase"));
    Write(dir.filePath(QStringLiteral("Addins/DataBase/Serial.MDB")), "x");
    // Siblings that differ only in case, each holding a different part.
    root.mkpath(QStringLiteral("Pics/one/two"));
    root.mkpath(QStringLiteral("pics/one"));
    Write(dir.filePath(QStringLiteral("pics/one/back.png")), "x");
    root.mkpath(QStringLiteral("Sets/a"));
    root.mkpath(QStringLiteral("sets/b"));

    const struct {
        const char* asked;
        const char* expected;
    } cases[] = {
        {"WEISS/DATA/KESTREL.LNG", "weiß/Data/Kestrel.lng"},
        {"WEISS/DATA/KESTREL7.MDB", "weiß/Data/KESTREL7.MDB"},
        {"WEIß/data/", "weiß/Data/"},
        {"ADDINS/DATABASE/SERIAL.MDB", "Addins/DataBase/Serial.MDB"},
        {"ADDINS/DATABASE/KESTREL3.MDB", "ADDINS/DATABASE/KESTREL3.MDB"},
        {"PICS/ONE/BACK.PNG", "pics/one/back.png"},
        {"PICS/ONE/TWO/NEW.PNG", "Pics/one/two/NEW.PNG"},
        {"PICS/ONE/NEW.PNG", "Pics/one/NEW.PNG"},
        {"pics/one/new.png", "pics/one/new.png"},
        {"SETS/B/NEW", "sets/b/NEW"},
        {"SETS/C/NEW", "Sets/C/NEW"},
        {"sets/c/new", "sets/c/new"},
        {"PICS/../WEISS/DATA/KESTREL.LNG", "weiß/Data/Kestrel.lng"},
        {"ADDINS/DATABASE/../../WEISS/", "weiß/"},
        {"ADDINS\\DATABASE\\SERIAL.MDB", "Addins/DataBase/Serial.MDB"},
        {"ADDINS/NOPE/SUB/FILE", "ADDINS/NOPE/SUB/FILE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolvePath(dir.path() + u'/' + QString::fromUtf8(c.asked)),
                  dir.filePath(QString::fromUtf8(c.expected)))
            << c.asked;
    }
    // A name in a folder: the folder as above, the name whatever its case.
    EXPECT_EQ(
        ResolvePathIn(dir.path() + QStringLiteral("/WEISS/DATA/"), QStringLiteral("KESTREL.LNG")),
        dir.filePath(QStringLiteral("weiß/Data/Kestrel.lng")));
    EXPECT_EQ(
        ResolvePathIn(dir.path() + QStringLiteral("/WEISS/DATA"), QStringLiteral("KESTREL7.MDB")),
        dir.filePath(QStringLiteral("weiß/Data/KESTREL7.MDB")));
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

// A copy that fails once it has made or taken its destination deletes it,
// so failed attempts leave nothing behind; one that fails before leaves a
// file that is not its own alone.
TEST(CopyFileLockedTest, AFailedCopyLeavesNoDestination) {
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("T.MDB"));
    const QString to = dir.filePath(QStringLiteral("T1.MDB"));
    Write(from, QByteArray(256 * 1024, 'x'));
    {
        test::FileSizeLimit fullDisk(64 * 1024);
        EXPECT_EQ(CopyError(from, to), err::kDiskFull);
    }
    EXPECT_FALSE(QFile::exists(to));

    Write(to, "left by an instance that was killed");
    {
        test::FileSizeLimit fullDisk(64 * 1024);
        EXPECT_EQ(CopyError(from, to), err::kDiskFull);
    }
    EXPECT_FALSE(QFile::exists(to));

    const QString folder = dir.filePath(QStringLiteral("F.MDB"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(CopyError(folder, to), err::kPathFileAccess);
    EXPECT_FALSE(QFile::exists(to));

    Write(to, "in use");
    FileLock holder = TryLockFile(to);
    ASSERT_TRUE(holder.Held());
    EXPECT_EQ(CopyError(from, to), err::kPermissionDenied);
    EXPECT_EQ(Read(to), QByteArray("in use"));
}

}  // namespace
}  // namespace kestrel
