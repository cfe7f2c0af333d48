#include "platform/shell/fs.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace fs {

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

bool folderExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// QDir sorts or filters through its own cache; the programs want the plain enumeration order.
static QStringList entries(const QString &folder, bool wantDirs, bool *ok)
{
    QStringList out;
    DIR *d = opendir(QFile::encodeName(folder).constData());
    if (ok)
        *ok = d != nullptr;
    if (!d)
        return out;
    while (dirent *e = readdir(d)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        // The entry's own type where the file system gives it; a link (or an unknown type)
        // counts as what it points to.
        if (e->d_type == DT_DIR || e->d_type == DT_REG) {
            if ((e->d_type == DT_DIR) == wantDirs)
                out << name;
            continue;
        }
        struct stat st;
        const QByteArray full = QFile::encodeName(buildPath(folder, name));
        if (stat(full.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode) == wantDirs)
            out << name;
    }
    closedir(d);
    return out;
}

QStringList folderFiles(const QString &folder, bool *ok) { return entries(folder, false, ok); }
QStringList subFolders(const QString &folder, bool *ok) { return entries(folder, true, ok); }

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

bool createFolder(const QString &path)
{
    return QDir().mkdir(path);
}

} // namespace fs
