#include "UserTree.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "InstallPaths.h"
#include "platform/FileOps.h"
#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/RunError.h"
#include "platform/Services.h"

namespace kestrel {

namespace {

namespace fs = std::filesystem;

const QString& kSuite = kSuiteApplication;
const QString& kInstallPath = kInstallPathKey;
const QString& kNone = kNoInstallPath;

// Folders the programs write into (paths below the version folder, upper
// case): the user's own in the mirror.
const QStringList kOwnFolders = {QStringLiteral("ADDINS"), QStringLiteral("ADDINS/DATABASE"),
                                 QStringLiteral("HELM32"), QStringLiteral("HELM32/DATABASE")};
// Databases written in place: the user's own copies, made once and kept.
const QStringList kOwnCopies = {QStringLiteral("ADDINS/DATABASE/SERIAL.MDB"),
                                QStringLiteral("HELM32/DATABASE/REGISTER.MDB")};

fs::path Native(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

[[noreturn]] void Fail(const QString& what, const QString& path, const std::error_code& error) {
    int number = err::kPathFileAccess;
    if (error == std::errc::no_space_on_device)
        number = err::kDiskFull;
    else if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        number = err::kPathNotFound;
    throw RunError(number, QStringLiteral("This user's runtime tree could not be made: %1 '%2' "
                                          "(%3)")
                               .arg(what, path, QString::fromLocal8Bit(error.message())));
}

void MakeFolder(const QString& path) {
    std::error_code error;
    const fs::path native = Native(path);
    if (fs::is_symlink(fs::symlink_status(native, error))) {
        // A link left where the folder must be the user's own.
        fs::remove(native, error);
    }
    fs::create_directories(native, error);
    if (error || !fs::is_directory(native, error))
        Fail(QStringLiteral("cannot make the folder"), path,
             error ? error : std::make_error_code(std::errc::not_a_directory));
}

// A link at `link` to `target`, unless the user put a file of their own
// there.
void Link(const QString& target, const QString& link) {
    std::error_code error;
    const fs::path native = Native(link);
    const fs::file_status status = fs::symlink_status(native, error);
    if (fs::exists(status) && !fs::is_symlink(status))
        return;
    if (fs::is_symlink(status)) {
        if (fs::read_symlink(native, error) == Native(target))
            return;
        fs::remove(native, error);
    }
    fs::create_symlink(Native(target), native, error);
    // Another of this user's programs starting at the same time made it.
    if (error && error != std::errc::file_exists)
        Fail(QStringLiteral("cannot link"), link, error);
}

// A copy of `from` at `to` that the user can write, made once; one made
// under a private name and moved into place, so a program starting at the
// same time never sees half of it.
void CopyOnce(const QString& from, const QString& to) {
    std::error_code error;
    const fs::path native = Native(to);
    const fs::file_status status = fs::symlink_status(native, error);
    if (fs::is_symlink(status))
        fs::remove(native, error);
    else if (fs::exists(status))
        return;
    const QString part = QStringLiteral("%1.part%2").arg(to).arg(::getpid());
    const fs::path partNative = Native(part);
    fs::copy_file(Native(from), partNative, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::permissions(partNative, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, error);
    }
    if (!error && ::link(partNative.c_str(), native.c_str()) != 0 && errno != EEXIST)
        error = std::error_code(errno, std::generic_category());
    std::error_code ignored;
    fs::remove(partNative, ignored);
    if (error)
        Fail(QStringLiteral("cannot copy"), to, error);
}

// Links that lead nowhere any more, from a tree that moved or lost a file.
void PruneDangling(const QString& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Native(folder), error)) {
        std::error_code ignored;
        if (entry.is_symlink(ignored) && !fs::exists(entry.path(), ignored))
            fs::remove(entry.path(), ignored);
    }
}

void Mirror(const QString& installed, const QString& user, const QString& relative) {
    const QString from = relative.isEmpty() ? installed : installed + u'/' + relative;
    const QString to = relative.isEmpty() ? user : user + u'/' + relative;
    MakeFolder(to);
    PruneDangling(to);
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        const QString child = relative.isEmpty() ? name : relative + u'/' + name;
        const QString key = child.toUpper();
        if (key == SharedTreeMarker().toUpper())
            continue;
        if (entry.isDir() && kOwnFolders.contains(key)) {
            Mirror(installed, user, child);
        } else if (kOwnCopies.contains(key)) {
            CopyOnce(entry.absoluteFilePath(), to + u'/' + name);
        } else {
            Link(entry.absoluteFilePath(), to + u'/' + name);
        }
    }
}

}  // namespace

QString SharedTreeMarker() {
    return QStringLiteral("SHARED.TXT");
}

bool IsSharedTree(const QString& versionFolder) {
    const QString root = ResolvePath(versionFolder);
    if (QFileInfo(ResolvePath(root + u'/' + SharedTreeMarker())).isFile())
        return true;
    for (const QString& sub : kOwnFolders) {
        if (!sub.endsWith(QStringLiteral("/DATABASE")))
            continue;  // the databases' folders are the ones written in place
        const QString folder = ResolvePath(root + u'/' + sub);
        if (QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
            return true;
    }
    return false;
}

void MirrorTree(const QString& versionFolder, const QString& userFolder) {
    const QString installed = QDir::cleanPath(ResolvePath(versionFolder));
    if (!QFileInfo(installed).isDir()) {
        Fail(QStringLiteral("no installed tree at"), versionFolder,
             std::make_error_code(std::errc::no_such_file_or_directory));
    }
    Mirror(installed, QDir::cleanPath(userFolder), QString());
}

QString UserTreeSettings::Read(const QString& application, const QString& section,
                               const QString& key, const QString& defaultValue) const {
    QString stored = stored_.Read(application, section, key, defaultValue);
    if (path_.isEmpty() || stored != defaultValue)
        return stored;
    if (application.toUpper() == kSuite && section.toUpper() == version_.toUpper() &&
        key.toUpper() == kInstallPath.toUpper()) {
        return path_;
    }
    return stored;
}

void UserTreeSettings::SetInstallPathDefault(const QString& versionFolder, const QString& path) {
    version_ = versionFolder;
    path_ = path;
}

bool UsePerUserTree(UserTreeSettings& settings, const QString& dataFolder) {
    const QString folder = services().programFolder;
    const QString module = QFileInfo(folder).fileName().toUpper();
    if (module != u"ADDINS" && module != u"HELM32")
        return true;
    const QString version = GetVersionFolder(module);
    if (version == kNone || settings.Read(kSuite, version, kInstallPath, kNone) != kNone)
        return true;  // a tree of its own, or one the user's settings name
    const QString versionFolder = QDir::cleanPath(folder + QStringLiteral("/.."));
    if (!IsSharedTree(versionFolder))
        return true;
    try {
        if (dataFolder.isEmpty()) {
            throw RunError(err::kPathNotFound,
                           QStringLiteral("This user's runtime tree could not be made: the user "
                                          "has no data folder (is HOME set?)"));
        }
        const QString user = QDir::cleanPath(dataFolder) + u'/' + kSuite + u'/' +
                             QFileInfo(versionFolder).fileName();
        MirrorTree(versionFolder, user);
        settings.SetInstallPathDefault(version, user + u'/');
        qCDebug(lcUi, "The installed tree is shared: working in %s", qUtf8Printable(user));
        return true;
    } catch (const RunError& e) {
        ShowSystemFatalNotice(e);
        return false;
    }
}

}  // namespace kestrel
