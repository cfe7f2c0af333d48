// SPDX-License-Identifier: GPL-2.0-or-later
// Stand-ins for the services the programs are given, for tests and benchmarks: a printer that
// records what it would print, a launcher that records what it would start, a fixed work area.
#pragma once

#include "platform/printer/printer.h"
#include "platform/shell/shell.h"
#include "platform/sysinfo/sysinfo.h"

#include <vector>

namespace printer {

// Records what would be printed, page by page; for tests.
class RecordingPrinter : public Printer
{
public:
    struct Drawing
    {
        int document; // 0 for the first document
        int page;
        QRectF twips;
        QSize pictureSize;
    };
    RecordingPrinter(float pageWidth = 11906, float pageHeight = 16838) : w_(pageWidth), h_(pageHeight) {}
    float pageWidth() override { return w_; }
    float pageHeight() override { return h_; }
    bool paintPicture(const picture::Picture &pic, const QRectF &twips) override;
    bool newPage() override;
    bool endDoc() override;
    QString errorString() const override { return failWith; }
    QString outputFile() const override { return QString(); }

    std::vector<Drawing> drawings;
    int page = 1;      // of the document being drawn
    int documents = 0; // ended documents
    QString failWith;  // when set, every call fails with this text

private:
    float w_, h_;
};

} // namespace printer

namespace shell {

// Remembers what would have been started; for tests.
class RecordingLauncher : public Launcher
{
public:
    struct Call
    {
        QString program;
        QStringList args;
        int windowStyle;
    };
    qint64 start(const QString &program, const QStringList &args, int windowStyle) override;
    std::vector<Call> calls;
    bool fail = false; // when set, start raises error 53
};

} // namespace shell

namespace sysinfo {

// A work area fixed by the caller, for tests and benchmarks.
class FixedWorkArea : public SystemInfo
{
    Q_OBJECT
public:
    FixedWorkArea(float left, float top, float width, float height) : area_{left, top, width, height} {}
    WorkArea workArea() const override { return area_; }
    // Changes the area and sends the display-change notice.
    void change(const WorkArea &a)
    {
        area_ = a;
        emit displayChanged();
    }

private:
    WorkArea area_;
};

} // namespace sysinfo
