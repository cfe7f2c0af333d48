// SPDX-License-Identifier: GPL-2.0-or-later
// Where the sockets live, and the check that only this user can reach them.
#include "platform/link/link.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace suite_link {

namespace {

QString chooseFolder()
{
    const QString explicitDir = qEnvironmentVariable("SUITE_LINK_DIR");
    if (!explicitDir.isEmpty())
        return QDir::cleanPath(QDir(explicitDir).absolutePath());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime) + QStringLiteral("/tavlo-link");
#ifdef Q_OS_UNIX
    return QDir::tempPath() + QStringLiteral("/tavlo-link-") + QString::number(geteuid());
#else
    return QDir::tempPath() + QStringLiteral("/tavlo-link");
#endif
}

#ifdef Q_OS_UNIX
// The file by which the suite knows a folder it created for its sockets.
constexpr char FolderMark[] = ".suite-link-folder";

bool isFolderMark(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

QString sysError(const QString &what, const QString &path)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}
#endif

} // namespace

bool prepareSocketFolder(QString *error)
{
    const QString path = chooseFolder();
    QString why;
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const QString parent = QFileInfo(path).absolutePath();
    if (!QFileInfo(parent).isDir())
        QDir().mkpath(parent);
    // A folder the user had is the user's: it is used as it is or refused, never changed. The
    // suite's own folder (one of the default names, or one it created where SUITE_LINK_DIR
    // pointed, which it marks) it may close to others again.
    const bool named = !qEnvironmentVariableIsEmpty("SUITE_LINK_DIR");
    const QByteArray mark = native + "/" + FolderMark;
    const bool created = ::mkdir(native.constData(), 0700) == 0;
    if (created) {
        const int fd = ::open(mark.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    if (!created && errno != EEXIST) {
        why = sysError(QStringLiteral("cannot create the Link socket folder"), path);
    } else {
        const bool ours = created || !named || isFolderMark(mark);
        struct stat st;
        if (::lstat(native.constData(), &st) != 0)
            why = sysError(QStringLiteral("cannot examine the Link socket folder"), path);
        else if (S_ISLNK(st.st_mode))
            why = QStringLiteral("the Link socket folder %1 is a symbolic link; remove it").arg(path);
        else if (!S_ISDIR(st.st_mode))
            why = QStringLiteral("the Link socket folder %1 is not a folder; remove it").arg(path);
        else if (st.st_uid != ::geteuid())
            why = QStringLiteral("the Link socket folder %1 belongs to another user").arg(path);
        else if (st.st_mode & (S_IWGRP | S_IWOTH))
            why = QStringLiteral("others may write to the Link socket folder %1; remove it").arg(path);
        else if (!ours && (st.st_mode & (S_IRWXG | S_IRWXO)))
            why = QStringLiteral("others may enter the Link socket folder %1 (mode %2) that SUITE_LINK_DIR names; "
                                 "name a folder only you can enter, or one that does not exist yet")
                      .arg(path)
                      .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
        else if (ours && (st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
            why = sysError(QStringLiteral("cannot close the Link socket folder to others"), path);
    }
#else
    if (!QDir().mkpath(path))
        why = QStringLiteral("cannot create the Link socket folder %1").arg(path);
#endif
    if (error)
        *error = why;
    return why.isEmpty();
}

QString socketFolder()
{
    prepareSocketFolder(nullptr);
    return chooseFolder();
}

QString socketPath(const QString &application)
{
    // Names are not case-sensitive: fold the case, then keep the result a plain file name.
    const QByteArray utf8 = application.toCaseFolded().toUtf8();
    QString name;
    for (int i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || (c == '.' && i > 0);
        name += plain ? QString(QLatin1Char(c)) : QStringLiteral("%%1").arg(quint8(c), 2, 16, QLatin1Char('0'));
    }
    return chooseFolder() + QLatin1Char('/') + name;
}

} // namespace suite_link
