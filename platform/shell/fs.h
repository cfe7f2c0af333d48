// SPDX-License-Identifier: GPL-2.0-or-later
// The file-system services the programs use (what they took from the scripting file-system
// object): existence of files and folders, a folder's files and subfolders in the order the
// file system gives them, path joining.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

namespace fs {

// A file (not a folder) exists at path; a relative path counts from the current folder.
bool fileExists(const QString &path);
bool folderExists(const QString &path);
// Names of the files (not folders) of a folder, in the order the file system gives them.
// Empty when the folder cannot be read; ok tells the two cases apart. A name that the file
// system's encoding cannot give as text (bytes that are not UTF-8) is left out, never turned
// into another name; leftOut, when given, grows by one for each.
QStringList folderFiles(const QString &folder, bool *ok = nullptr, int *leftOut = nullptr);
QStringList subFolders(const QString &folder, bool *ok = nullptr, int *leftOut = nullptr);
// True when a name as the file system holds it (its bytes) reads as text and back to the same
// bytes, so that the text names that file and no other.
bool representable(const QByteArray &nativeName);
// folder and name with one separator between them.
QString buildPath(const QString &folder, const QString &name);
bool createFolder(const QString &path);
// What opening a file for reading found. Only a regular file is ever read: a device (which may
// never end), a FIFO (which may block for good), a socket or anything else is refused, also
// behind a symbolic link.
enum class FileCheck { Regular, Missing, Folder, NotRegular, Unreadable, TooLarge };

// Opens path for reading into file when it names a regular file; nothing that could block is
// done on the way (a FIFO is never opened).
FileCheck openRegularFile(const QString &path, QFile &file);
// The rest of an open file when it holds at most maxBytes bytes (TooLarge beyond, Unreadable on
// a read error); reads no more than maxBytes + 1 bytes.
FileCheck readAtMost(QFile &file, qint64 maxBytes, QByteArray *out);
// The whole of a regular file of at most maxBytes bytes (TooLarge beyond: nothing more than
// maxBytes + 1 bytes is ever read, even when the file grows meanwhile).
FileCheck readRegularFile(const QString &path, qint64 maxBytes, QByteArray *out);

// Replaces the content of the file at path with bytes: they go to a new file in the same
// folder, which is flushed to the disk and then renamed over the old one (keeping its
// permissions; a symbolic link keeps pointing at the file it names, which is the one
// replaced). A write that fails (a full disk, a folder without rights, a kill) leaves the old
// file as it was. False with the system's reason in why when it failed.
bool replaceFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

// What tells one state of a file from another: a file written anew, in place or by a new file
// renamed over it, has another stamp.
struct FileStamp
{
    bool regular = false; // a regular file is there
    qint64 size = 0;
    qint64 inode = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &o) const
    {
        return regular == o.regular && size == o.size && inode == o.inode && modifiedNs == o.modifiedNs;
    }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }
};
FileStamp stampOf(const QString &path);

// True for "/" and "\": both separate folders wherever the programs look for a separator.
inline bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

} // namespace fs
