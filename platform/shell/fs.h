// The file-system services the programs use (what they took from the scripting file-system
// object): existence of files and folders, a folder's files and subfolders in the order the
// file system gives them, path joining.
#pragma once

#include <QString>
#include <QStringList>

namespace fs {

// A file (not a folder) exists at path; a relative path counts from the current folder.
bool fileExists(const QString &path);
bool folderExists(const QString &path);
// Names of the files (not folders) of a folder, in the order the file system gives them.
// Empty when the folder cannot be read; ok tells the two cases apart.
QStringList folderFiles(const QString &folder, bool *ok = nullptr);
QStringList subFolders(const QString &folder, bool *ok = nullptr);
// folder and name with one separator between them.
QString buildPath(const QString &folder, const QString &name);
bool createFolder(const QString &path);
// True for "/" and "\": both separate folders wherever the programs look for a separator.
inline bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

} // namespace fs
