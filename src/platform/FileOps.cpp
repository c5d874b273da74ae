#include "FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "RunError.h"

namespace kestrel {

namespace {

[[noreturn]] void FileError(int number, const QString& path) {
    static const char* const kPathFileAccess = "Path/File access error";
    QString text;
    switch (number) {
        case err::kFileNotFound:
            text = QStringLiteral("File not found");
            break;
        case err::kPermissionDenied:
            text = QStringLiteral("Permission denied");
            break;
        case err::kDiskFull:
            text = QStringLiteral("Disk full");
            break;
        case err::kPathNotFound:
            text = QStringLiteral("Path not found");
            break;
        default:
            text = QString::fromLatin1(kPathFileAccess);
            break;
    }
    throw RunError(number, QStringLiteral("%1: '%2'").arg(text, path));
}

int ErrnoToNumber(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return err::kPathNotFound;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:  // past the file-size limit: as full as a disk can be for us
            return err::kDiskFull;
        default:
            return err::kPathFileAccess;
    }
}

void CopyContents(int in, int out, const QString& from, const QString& to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            FileError(err::kPathFileAccess, from);
        }
        if (got == 0)
            return;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                FileError(ErrnoToNumber(errno), to);
            }
            done += put;
        }
    }
}

}  // namespace

namespace {

// Names compare by their upper-case forms, so "WEISS", the upper case the
// install-path rules make of "weiß", finds "weiß" on the disk.
bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0 || a.toUpper() == b.toUpper();
}

struct Resolved {
    QString path;
    int found = 0;  // named components that exist on the disk
};

// Appends components as given, for the part of a path that does not exist.
QString Keep(QString current, const QStringList& components, qsizetype from) {
    for (qsizetype i = from; i < components.size(); ++i) {
        const QString& component = components.at(i);
        if (component == u".")
            continue;
        current =
            component == u".." ? QFileInfo(current).path() : QDir(current).filePath(component);
    }
    return current;
}

qsizetype NamedCount(const QStringList& components, qsizetype from) {
    qsizetype n = 0;
    for (qsizetype i = from; i < components.size(); ++i) {
        if (components.at(i) != u"." && components.at(i) != u"..")
            ++n;
    }
    return n;
}

// The entries of a folder named like `component` whatever the case, the
// exact name left out, in name order. Names only: every ancestor of a path
// still to be made is searched, and a stat of each entry made that slow.
QStringList CaseVariants(const QString& folder, const QString& component) {
    QStringList variants;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return variants;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != u"." && name != u".." && name != component && SameName(name, component))
            variants << name;
    }
    ::closedir(dir);
    variants.sort();
    return variants;
}

// Resolves components[from..] below `current` (an existing folder). Where
// several entries match a component, the one under which most of the rest
// exists wins; ties go to the exact name, then to directory order.
Resolved ResolveBelow(const QString& current, const QStringList& components, qsizetype from) {
    if (from >= components.size())
        return {current, 0};
    const QString& component = components.at(from);
    if (component == u".")
        return ResolveBelow(current, components, from + 1);
    if (component == u"..")
        return ResolveBelow(QFileInfo(current).path(), components, from + 1);

    const int wanted = static_cast<int>(NamedCount(components, from));
    Resolved best{Keep(current, components, from), 0};
    auto consider = [&](const QString& entry) {
        Resolved r = ResolveBelow(QDir(current).filePath(entry), components, from + 1);
        r.found += 1;
        if (r.found > best.found)
            best = r;
        return best.found == wanted;  // the whole path exists: look no further
    };
    const QString exact = QDir(current).filePath(component);
    if (QFileInfo::exists(exact) && consider(component))
        return best;
    for (const QString& entry : CaseVariants(current, component)) {
        if (consider(entry))
            return best;
    }
    return best;
}

// A path with backslashes counted as separators.
QString Normal(QString path) {
    return path.replace(u'\\', u'/');
}

}  // namespace

QString ResolvePath(const QString& path) {
    const QString normal = Normal(path);
    const bool absolute = normal.startsWith(u'/');
    const QString root = absolute ? QStringLiteral("/") : QDir::currentPath();
    const QStringList components = normal.split(u'/', Qt::SkipEmptyParts);
    QString current = ResolveBelow(root, components, 0).path;
    if (normal.endsWith(u'/') && !current.endsWith(u'/'))
        current += u'/';
    return current;
}

QString ResolvePathIn(const QString& folder, const QString& name) {
    return ResolveBelow(ResolvePath(folder), Normal(name).split(u'/', Qt::SkipEmptyParts), 0).path;
}

FileLock::~FileLock() {
    Release();
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileLock::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

FileLock TryLockFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileLock();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return FileLock();
    }
    return FileLock(fd);
}

FileLock CopyFileLocked(const QString& from, const QString& to) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        FileError(err::kFileNotFound, from);
    FileLock inGuard(in);  // closes the source on every path
    struct stat source {};
    if (::fstat(in, &source) != 0 || !S_ISREG(source.st_mode)) {
        // A folder opens like a file but copies nothing: refuse it before a
        // destination is made.
        FileError(err::kPathFileAccess, from);
    }

    struct stat st {};
    if (::stat(dst.constData(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) {
        // A read-only file stays read-only even for an administrator.
        FileError(err::kPathFileAccess, to);
    }
    const int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (out < 0)
        FileError(ErrnoToNumber(errno), to);
    FileLock lock(out);
    if (::flock(out, LOCK_EX | LOCK_NB) != 0) {
        lock = FileLock();
        FileError(err::kPermissionDenied, to);
    }
    // From here the destination is ours: a copy that fails half-way is
    // deleted, so no broken file is left for anyone.
    try {
        if (::ftruncate(out, 0) != 0)
            FileError(ErrnoToNumber(errno), to);
        CopyContents(in, out, from, to);
    } catch (const RunError&) {
        ::unlink(dst.constData());
        throw;
    }
    return lock;
}

void ClearAttributes(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return;  // nothing to reset
    if (::chmod(name.constData(), (st.st_mode & 07777) | S_IWUSR | S_IRUSR) != 0) {
        FileError(err::kPathFileAccess, path);
    }
}

bool FileExists(const QString& path) {
    return QFileInfo::exists(path);
}

bool RemoveFile(const QString& path) {
    return QFile::remove(path);
}

}  // namespace kestrel
