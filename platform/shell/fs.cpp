// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/shell/fs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs {

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

bool folderExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// QDir sorts or filters through its own cache; the programs want the plain enumeration order.
static QStringList entries(const QString &folder, bool wantDirs, bool *ok, int *leftOut)
{
    QStringList out;
    DIR *d = opendir(QFile::encodeName(folder).constData());
    if (ok)
        *ok = d != nullptr;
    if (!d)
        return out;
    while (dirent *e = readdir(d)) {
        const QByteArray native(e->d_name);
        const QString name = QFile::decodeName(native);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        // The entry's own type where the file system gives it; a link (or an unknown type)
        // counts as what it points to.
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type != DT_DIR && e->d_type != DT_REG) {
            struct stat st;
            if (stat((QFile::encodeName(folder) + '/' + native).constData(), &st) != 0)
                continue;
            isDir = S_ISDIR(st.st_mode);
        }
        if (isDir != wantDirs)
            continue;
        // Bytes that are not UTF-8 read as U+FFFD; only then can the name fail to come back.
        if (name.contains(QChar::ReplacementCharacter) && !representable(native)) {
            if (leftOut)
                ++*leftOut;
            continue;
        }
        out << name;
    }
    closedir(d);
    return out;
}

QStringList folderFiles(const QString &folder, bool *ok, int *leftOut) { return entries(folder, false, ok, leftOut); }
QStringList subFolders(const QString &folder, bool *ok, int *leftOut) { return entries(folder, true, ok, leftOut); }

bool representable(const QByteArray &nativeName)
{
    return QFile::encodeName(QFile::decodeName(nativeName)) == nativeName;
}

QString buildPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (name.isEmpty())
        return folder;
    const bool folderEnds = isSeparator(folder.back());
    const bool nameStarts = isSeparator(name.front());
    if (folderEnds && nameStarts)
        return folder + name.mid(1);
    if (folderEnds || nameStarts)
        return folder + name;
    return folder + QDir::separator() + name;
}

FileCheck openRegularFile(const QString &path, QFile &file)
{
    if (path.isEmpty())
        return FileCheck::Missing;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileCheck::Missing : FileCheck::Unreadable;
    if (S_ISDIR(st.st_mode))
        return FileCheck::Folder;
    if (!S_ISREG(st.st_mode))
        return FileCheck::NotRegular;
    // The name may have been pointed elsewhere since: the open does not wait (not even for a
    // FIFO swapped in), and what was opened is checked again.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileCheck::Missing : FileCheck::Unreadable;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileCheck::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileCheck::Unreadable;
    }
    return FileCheck::Regular;
}

FileCheck readAtMost(QFile &file, qint64 maxBytes, QByteArray *out)
{
    // In pieces of what the size promises, so that no buffer of maxBytes is taken for a small
    // file, and on to maxBytes + 1 bytes for a file that grows meanwhile.
    const qint64 expected = std::max<qint64>(0, file.size() - file.pos());
    if (expected > maxBytes)
        return FileCheck::TooLarge;
    QByteArray bytes;
    while (bytes.size() <= maxBytes) {
        const qint64 room = maxBytes + 1 - bytes.size();
        const qint64 want = std::min<qint64>(room, std::max<qint64>(expected - bytes.size() + 1, 65536));
        const QByteArray part = file.read(want);
        if (part.isEmpty())
            break;
        bytes += part;
    }
    if (bytes.size() > maxBytes)
        return FileCheck::TooLarge;
    if (file.error() != QFileDevice::NoError)
        return FileCheck::Unreadable;
    *out = std::move(bytes);
    return FileCheck::Regular;
}

FileCheck readRegularFile(const QString &path, qint64 maxBytes, QByteArray *out)
{
    QFile file;
    const FileCheck opened = openRegularFile(path, file);
    return opened == FileCheck::Regular ? readAtMost(file, maxBytes, out) : opened;
}

bool replaceFile(const QString &path, const QByteArray &bytes, QString *why)
{
    const auto fail = [why](int error) {
        if (why)
            *why = QString::fromLocal8Bit(std::strerror(error));
        return false;
    };
    // A symbolic link keeps pointing at the file it names: that file is the one replaced.
    QByteArray target = QFile::encodeName(path);
    if (char *real = ::realpath(target.constData(), nullptr)) {
        target = real;
        std::free(real);
    }
    const int slash = target.lastIndexOf('/');
    QByteArray temp = (slash < 0 ? QByteArray() : target.left(slash + 1)) + ".kesto-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        return fail(error);
    };
    struct stat st;
    if (::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
    for (qint64 done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return abandon(n < 0 ? errno : EIO);
        done += n;
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return fail(error);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return fail(error);
    }
    // The rename itself reaches the disk with its folder.
    const int dir = ::open(slash < 0 ? "." : target.left(slash + 1).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

FileStamp stampOf(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {true, qint64(st.st_size), qint64(st.st_ino), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool createFolder(const QString &path) { return QDir().mkdir(path); }

} // namespace fs
