#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TableFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "platform/FileOps.h"
#include "platform/RunError.h"
#include "support/FileLimits.h"

namespace kestrel {
namespace {

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
    root.mkpath(u"weiß/Data"_s);
    test::WriteFile(dir.filePath(u"weiß/Data/Kestrel.lng"_s), "x");
    // An upper-case sibling without the file beside the folder that has it.
    root.mkpath(u"ADDINS/DATABASE"_s);
    root.mkpath(u"Addins/DataBase"_s);
    test::WriteFile(dir.filePath(u"Addins/DataBase/Serial.MDB"_s), "x");
    // Siblings that differ only in case, each holding a different part.
    root.mkpath(u"Pics/one/two"_s);
    root.mkpath(u"pics/one"_s);
    test::WriteFile(dir.filePath(u"pics/one/back.png"_s), "x");
    root.mkpath(u"Sets/a"_s);
    root.mkpath(u"sets/b"_s);

    const struct {
        const char *asked, *expected;
    } cases[] = {{"WEISS/DATA/KESTREL.LNG", "weiß/Data/Kestrel.lng"},
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
                 {"ADDINS/NOPE/SUB/FILE", "ADDINS/NOPE/SUB/FILE"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolvePath(dir.path() + u'/' + Q(c.asked)), dir.filePath(Q(c.expected)))
            << c.asked;
    }
    // A name in a folder: the folder as above, the name whatever its case.
    EXPECT_EQ(ResolvePathIn(dir.path() + u"/WEISS/DATA/"_s, u"KESTREL.LNG"_s),
              dir.filePath(u"weiß/Data/Kestrel.lng"_s));
    EXPECT_EQ(ResolvePathIn(dir.path() + u"/WEISS/DATA"_s, u"KESTREL7.MDB"_s),
              dir.filePath(u"weiß/Data/KESTREL7.MDB"_s));
}

// Each failure carries its number. One that fails once it has made or
// taken its destination deletes it, so failed attempts leave nothing behind;
// one that fails before leaves a file that is not its own alone. A copy
// that succeeds replaces a longer file whole and holds it until released.
TEST(CopyFileLockedTest, FailuresCarryTheirNumbersAndLeaveNoDestinationOfTheirOwn) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(Q(name)); };
    test::WriteFile(path("T.MDB"), "template");
    test::WriteFile(path("Big.MDB"), QByteArray(256 * 1024, 'x'));
    ASSERT_TRUE(QDir().mkdir(path("F.MDB")));
    test::WriteFile(path("RO.MDB"), "an older and longer working copy");
    QFile::setPermissions(path("RO.MDB"), QFile::ReadOwner);
    test::WriteFile(path("Held.MDB"), "in use");
    FileLock holder = TryLockFile(path("Held.MDB"));
    ASSERT_TRUE(holder.Held());
    const struct {
        const char *from, *to, *before;  // the destination's content beforehand, if any
        bool fullDisk;
        int error;
        const char* after;
    } cases[] = {
        {"missing.MDB", "x.MDB", "", false, err::kFileNotFound, "gone"},
        {"T.MDB", "nofolder/x.MDB", "", false, err::kPathNotFound, "gone"},
        {"T.MDB", "RO.MDB", "", false, err::kPathFileAccess, "an older and longer working copy"},
        {"T.MDB", "Held.MDB", "", false, err::kPermissionDenied, "in use"},
        {"Big.MDB", "T1.MDB", "", true, err::kDiskFull, "gone"},
        {"Big.MDB", "T1.MDB", "left by an instance that was killed", true, err::kDiskFull, "gone"},
        {"F.MDB", "T1.MDB", "", false, err::kPathFileAccess, "gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " to " + c.to);
        if (*c.before)
            test::WriteFile(path(c.to), c.before);
        std::optional<test::FileSizeLimit> fullDisk;
        if (c.fullDisk)
            fullDisk.emplace(64 * 1024);
        EXPECT_EQ(CopyError(path(c.from), path(c.to)), c.error);
        fullDisk.reset();
        EXPECT_EQ(QFile::exists(path(c.to)) ? test::ReadFile(path(c.to)) : QByteArray("gone"),
                  QByteArray(c.after));
    }
    // A read-only destination takes the copy once its attributes are cleared.
    ClearAttributes(path("RO.MDB"));
    FileLock lock = CopyFileLocked(path("T.MDB"), path("RO.MDB"));
    EXPECT_EQ(test::ReadFile(path("RO.MDB")), QByteArray("template"));
    EXPECT_EQ(CopyError(path("T.MDB"), path("RO.MDB")), err::kPermissionDenied);
    EXPECT_FALSE(TryLockFile(path("RO.MDB")).Held());
    lock.Release();
    EXPECT_TRUE(TryLockFile(path("RO.MDB")).Held());
}

}  // namespace
}  // namespace kestrel
