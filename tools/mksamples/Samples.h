// SPDX-License-Identifier: GPL-2.0-or-later
// The sample pictures and list files, each as the bytes of one file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

struct SampleFile
{
    QString name;
    QByteArray bytes;
};

QVector<SampleFile> makeSamples();
