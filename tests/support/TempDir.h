// SPDX-License-Identifier: GPL-2.0-or-later
// A temporary folder for one test, with helpers to write files into it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class TempDir
{
public:
    TempDir();
    QString path() const { return dir_.path(); }
    // Full path of name inside the folder.
    QString file(const QString &name) const;
    // Writes bytes as they are; returns the full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    // Writes text in code page 932; returns the full path.
    QString writeCp932(const QString &name, const QString &text) const;

private:
    QTemporaryDir dir_;
};

// Makes the current folder a given one for the life of the object.
class ChangeDir
{
public:
    explicit ChangeDir(const QString &path);
    ~ChangeDir();
    ChangeDir(const ChangeDir &) = delete;
    ChangeDir &operator=(const ChangeDir &) = delete;

private:
    QString old_;
};
