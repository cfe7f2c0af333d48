// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/TempDir.h"

#include "platform/cp932/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TempDir::TempDir()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot make a temporary folder");
}

QString TempDir::file(const QString &name) const { return dir_.filePath(name); }

QString TempDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + p.toStdString());
    return p;
}

QString TempDir::writeCp932(const QString &name, const QString &text) const { return write(name, cp932::encode(text)); }

ChangeDir::ChangeDir(const QString &path) : old_(QDir::currentPath()) { QDir::setCurrent(path); }

ChangeDir::~ChangeDir() { QDir::setCurrent(old_); }
