// SPDX-License-Identifier: GPL-2.0-or-later
// Writes Windows metafiles record by record: the 16-bit drawing records that the samples and the
// loader tests need, with an optional placeable header in front.
#pragma once

#include "tools/fileformats/ByteWriter.h"
#include "tools/mksamples/DrawingValues.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QVector>

class WmfWriter : public DrawingValues
{
public:
    void setMapMode(int mode);
    void setWindowOrg(int x, int y);
    void setWindowExt(int w, int h);
    void setBkMode(int mode);
    void setBkColor(quint32 rgb);
    void setTextColor(quint32 rgb);
    void setTextAlign(int align);
    void intersectClipRect(const QRect &r);

    // The object's index in the metafile's object table.
    int createPen(int style, int width, quint32 rgb);
    int createBrush(int style, quint32 rgb, int hatch = 0);
    // face is written as it is, in the code page the charset names.
    int createFont(int height, int weight, int charset, const QByteArray &face);
    void selectObject(int index);
    void deleteObject(int index);

    void rectangle(const QRect &r);
    void ellipse(const QRect &r);
    void roundRect(const QRect &r, int cornerW, int cornerH);
    void polygon(const QVector<QPoint> &pts);
    void polyline(const QVector<QPoint> &pts);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    // A pie of the ellipse in box, from where the radial to start meets it counterclockwise to
    // where the radial to end does.
    void pie(const QRect &box, QPoint start, QPoint end);
    // text is in the font's code page.
    void textOut(int x, int y, const QByteArray &text);
    // The same with an advance for each byte.
    void extTextOut(int x, int y, const QByteArray &text, const QVector<int> &advances);
    // The image as a 24-bit bitmap stretched into dest.
    void stretchDib(const QRect &dest, const QImage &image);
    // A device-independent bitmap (header with colour table, then bits) of the given size in
    // pixels, stretched whole into dest.
    void stretchDib(const QRect &dest, const QSize &source, const QByteArray &dib);

    // Any record, for tests that need odd ones. params are 16-bit words.
    void record(quint16 function, const QVector<quint16> &params);

    // The metafile with its end record; placeable when inch > 0, with bbox as its frame.
    QByteArray finish(const QRect &bbox = QRect(), int inch = 0) const;
    QByteArray finishPlain() const { return finish(); }

private:
    void begin(quint16 function, int paramWords);
    int addObject();

    ByteWriter records_;
    QVector<bool> objects_;
    int maxRecordWords_ = 3;
};
