// SPDX-License-Identifier: GPL-2.0-or-later
// Small pictures made as other programs make them, each showing one way the picture loader
// once drew a valid file wrongly or refused it: the picture tests load them, and the fuzz
// targets replay them. Like the samples, they are the same bytes on every run.
#pragma once

#include "tools/mksamples/Samples.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The widths of the common sans-serif face's characters (printable ASCII), in thousandths of
// its em: what a writer that laid text out in that face gives as each character's advance.
int sansAdvance(QChar c);
// The advances of text set in that face at em pixels, rounded the way such writers round them.
QVector<int> sansAdvances(const QString &text, double em);

// A busy chart: a grid, axes, labels and series of many short lines, each with its series' pen
// selected again, as charting programs write them; about `records` records in a frame of 672 x 480
// device pixels.
QByteArray busyChartEmf(int records);

QVector<SampleFile> makeFaultFiles();
