#pragma once

#include <QString>

namespace kestrel {

// Finds an existing path whatever the case of its components, so the upper
// case paths of the install-path rules find files on a case-sensitive file
// system. Backslashes count as separators. Components that do not exist are
// kept as given, so the result can name a file still to be made.
QString ResolvePath(const QString& path);
// A name (which may hold further components) below a folder, where only the
// name is looked for whatever its case: for a file still to be made in a
// known folder, whose ancestors need not be searched.
QString ResolvePathIn(const QString& folder, const QString& name);

// An exclusive advisory lock on an open file. The kernel drops it when the
// process dies, so a copy left behind by a killed instance is free again.
class FileLock {
public:
    FileLock() = default;
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock();
    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};

// Copies a file over another and keeps the destination locked. Raises
// RunError 53 when the source is missing, 75 when the source is not a file
// or the destination is read-only or not accessible, 70 when another holder
// has it locked (in use), 61 when the disk is full, 76 when its folder is
// missing. A copy that fails once it holds the destination deletes it.
FileLock CopyFileLocked(const QString& from, const QString& to);

// Tries to take the lock of an existing file without changing it.
FileLock TryLockFile(const QString& path);

// Makes a file writable again (the "normal" attributes). Raises RunError 75
// when that cannot be done.
void ClearAttributes(const QString& path);

bool FileExists(const QString& path);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const QString& path);

}  // namespace kestrel
