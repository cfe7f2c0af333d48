// SPDX-License-Identifier: GPL-2.0-or-later
// Writes enhanced metafiles record by record: the 32-bit drawing records that the samples and the
// loader tests need.
#pragma once

#include "tools/fileformats/ByteWriter.h"
#include "tools/mksamples/DrawingValues.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

class EmfWriter : public DrawingValues
{
public:
    enum { PenGeometric = 0x00010000 };
    enum { TextOpaque = 0x0002, TextClipped = 0x0004 };
    // Compression of a bitmap that carries a whole JPEG or PNG file.
    enum { BitmapJpeg = 4, BitmapPng = 5 };

    void setMapMode(int mode);
    void setWindowOrg(int x, int y);
    void setWindowExt(int w, int h);
    void setViewportOrg(int x, int y);
    void setViewportExt(int w, int h);
    void setBkMode(int mode);
    void setTextColor(quint32 rgb);
    void setTextAlign(int align);
    void setBkColor(quint32 rgb);
    void saveDc();
    void restoreDc(int relative = -1);
    void intersectClipRect(const QRect &r);

    // Handles count from 1; 0 is the metafile itself.
    int createPen(int style, int width, quint32 rgb);
    int createExtPen(int style, int width, quint32 rgb);
    int createBrush(int style, quint32 rgb, int hatch = 0);
    // escapement: the baseline's angle in tenths of a degree, counterclockwise.
    int createFont(int height, int weight, int charset, const QString &face, int escapement = 0);
    void selectObject(int handle);
    void deleteObject(int handle);

    void rectangle(const QRect &r);
    void ellipse(const QRect &r);
    void roundRect(const QRect &r, int cornerW, int cornerH);
    void polygon(const QVector<QPoint> &pts);
    void polyline(const QVector<QPoint> &pts);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    // A pie or a chord of the ellipse in box, from where the radial to start meets it
    // counterclockwise to where the radial to end does.
    void pie(const QRect &box, QPoint start, QPoint end);
    void chord(const QRect &box, QPoint start, QPoint end);
    // A rectangle filled with a gradient from one colour to the other, across (or down).
    void gradientRect(const QRect &r, quint32 fromRgb, quint32 toRgb, bool vertical);
    // A device-independent bitmap (header with colour table, then bits) stretched from source
    // (pixels of the bitmap) into dest; both boxes may have negative extents.
    void stretchDib(const QRect &dest, const QRect &source, const QByteArray &bitmapInfo, const QByteArray &bits);
    // The image as a 24-bit bitmap stretched into dest.
    void stretchImage(const QRect &dest, const QImage &image);
    // advance: the width the text's cell takes per character, for the spacing array; options:
    // the record's ETO_ flags.
    void textOut(int x, int y, const QString &text, int advance, quint32 options = 0);
    // The same with an advance for each character; clip: the rectangle that the options
    // TextOpaque and TextClipped use.
    void textOut(int x, int y, const QString &text, const QVector<int> &advances, quint32 options = 0,
                 const QRect &clip = QRect());
    // The same with 8-bit text, in the code page of the selected font's character set.
    void textOutAnsi(int x, int y, const QByteArray &text, int advance);

    // Any record, for tests that need odd ones; body is everything after type and size.
    void record(quint32 type, const QByteArray &body);

    // The header's bounds, in device pixels; by default the box of the shapes' logical corners.
    void setBounds(const QRect &bounds) { boundsSet_ = bounds; }

    // frame: the picture's frame in hundredths of a millimetre (right and bottom exclusive);
    // device: the reference device in pixels and millimetres, and in micrometres (by default
    // the millimetres' thousandfold).
    QByteArray finish(const QRect &frame, const QSize &devicePixels = QSize(1280, 1024),
                      const QSize &deviceMillimetres = QSize(339, 271), const QSize &deviceMicrometres = QSize()) const;

private:
    int newHandle() { return ++handles_; }

    ByteWriter records_;
    int count_ = 0;
    int handles_ = 0;
    QRect bounds_;
    QRect boundsSet_;
};
