// SPDX-License-Identifier: GPL-2.0-or-later
// The GV stand-in's window: shows the picture that the last FileOpen loaded and carries out the
// commands that arrive over Link, one after another.
#pragma once

#include "platform/link/link.h"
#include "tools/gv/GvCommand.h"

#include <QFile>
#include <QImage>
#include <QMainWindow>

#include <deque>

class QLabel;
class QScrollArea;

namespace gv {

struct Options
{
    QString logPath;    // every execute and every command's outcome, one line each
    int delayMs = 0;    // each command waits this long before it runs
    bool block = false; // run commands inside the execute, answering nothing meanwhile
};

class Viewer : public QMainWindow, public suite_link::TopicHandler
{
    Q_OBJECT

public:
    explicit Viewer(const Options &options);

    // Opens files named on the command line, as FileOpen does.
    void openFiles(const QStringList &paths);

    bool linkExecute(const QString &command) override;
    // "DIBRequest": "OK" when the last execute's commands have all run and succeeded, "NG" when
    // one of them failed (or the execute was not understood), "" while commands wait or run.
    std::optional<QString> linkItem(const QString &item) override;

private:
    struct Pending
    {
        Command command;
        QString invalid; // the execute could not be read: fails with this reason
        bool firstOfExecute = false;
        bool lastOfExecute = false;
    };

    void enqueue(std::vector<Pending> items);
    void runNext();
    void runOne(const Pending &p);
    bool carryOut(const Command &c, QString *why, QString *note);
    void display(const QImage &image, int zoom);
    void showNothing();
    void applyWindowState();
    void message(const QString &text);
    void log(const QString &line);

    Options options_;
    QFile logFile_;
    QScrollArea *scroll_ = nullptr;
    QLabel *canvas_ = nullptr;

    std::deque<Pending> queue_;
    bool running_ = false;
    bool executeFailed_ = false;
    bool lastFailed_ = false;
    bool exiting_ = false;

    QImage picture_; // as loaded
    QImage shown_;   // at its zoom
    QString fileName_;
    int nextZoom_ = 100;
    bool quantize_ = false;
    int quantizeColours_ = 256;
    bool quantizeDither_ = true;
    bool dispMsg_ = true;
    bool shownWanted_ = true;
    bool iconic_ = false;
    bool autoOpen_ = true;
    bool fullScreen_ = false;
    QColor background_ = Qt::black;
};

} // namespace gv
