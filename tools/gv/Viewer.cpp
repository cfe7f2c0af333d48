// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/gv/Viewer.h"

#include "platform/picture/picture.h"
#include "platform/vb/vb.h"
#include "tools/gv/Bitmap.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

namespace gv {

Viewer::Viewer(const Options &options) : options_(options)
{
    setWindowTitle(QStringLiteral("GV"));
    canvas_ = new QLabel;
    canvas_->setAlignment(Qt::AlignCenter);
    scroll_ = new QScrollArea;
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignCenter);
    setCentralWidget(scroll_);
    statusBar()->showMessage(QStringLiteral("GV stand-in ready"));
    resize(480, 360);
    if (!options_.logPath.isEmpty()) {
        logFile_.setFileName(options_.logPath);
        if (!logFile_.open(QIODevice::Append | QIODevice::Text))
            qWarning("gv: cannot open the log %s: %s", qPrintable(options_.logPath),
                     qPrintable(logFile_.errorString()));
    }
}

void Viewer::log(const QString &line)
{
    if (!logFile_.isOpen())
        return;
    QString text = line;
    text.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    logFile_.write(text.toUtf8() + '\n');
    logFile_.flush();
}

void Viewer::message(const QString &text)
{
    if (dispMsg_)
        statusBar()->showMessage(text);
}

void Viewer::openFiles(const QStringList &paths)
{
    std::vector<Pending> items;
    for (const QString &path : paths) {
        Pending p;
        p.command.kind = Command::FileOpen;
        p.command.path = path;
        p.command.text = QStringLiteral("FileOpen(%1)").arg(path);
        p.firstOfExecute = p.lastOfExecute = true;
        items.push_back(p);
    }
    enqueue(std::move(items));
}

bool Viewer::linkExecute(const QString &command)
{
    log(QStringLiteral("execute: ") + command);
    if (exiting_) {
        log(QStringLiteral("refused: GV is ending"));
        return true;
    }
    QString why;
    const auto commands = parseExecute(command, &why);
    std::vector<Pending> items;
    if (!commands) {
        log(QStringLiteral("refused: ") + why);
        Pending p;
        p.invalid = why;
        p.command.text = command;
        items.push_back(p);
    } else {
        for (const Command &c : *commands) {
            Pending p;
            p.command = c;
            items.push_back(p);
        }
    }
    items.front().firstOfExecute = true;
    items.back().lastOfExecute = true;
    enqueue(std::move(items));
    return !commands;
}

std::optional<QString> Viewer::linkItem(const QString &item)
{
    if (item.compare(QLatin1String("DIBRequest"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (running_ || !queue_.empty())
        return QString();
    return lastFailed_ ? QStringLiteral("NG") : QStringLiteral("OK");
}

void Viewer::enqueue(std::vector<Pending> items)
{
    if (options_.block) {
        // A viewer that works inside the execute: nothing is answered until it is done.
        for (const Pending &p : items) {
            if (options_.delayMs > 0)
                QThread::msleep(ulong(options_.delayMs));
            runOne(p);
        }
        return;
    }
    for (Pending &p : items)
        queue_.push_back(std::move(p));
    if (!running_) {
        running_ = true;
        QTimer::singleShot(options_.delayMs, this, &Viewer::runNext);
    }
}

void Viewer::runNext()
{
    if (queue_.empty()) {
        running_ = false;
        return;
    }
    const Pending p = queue_.front();
    queue_.pop_front();
    runOne(p);
    if (queue_.empty())
        running_ = false;
    else
        QTimer::singleShot(options_.delayMs, this, &Viewer::runNext);
}

void Viewer::runOne(const Pending &p)
{
    if (p.firstOfExecute)
        executeFailed_ = false;
    QString why, note;
    const bool ok = p.invalid.isEmpty() && !exiting_ && carryOut(p.command, &why, &note);
    if (!p.invalid.isEmpty())
        why = p.invalid;
    if (ok) {
        log(QStringLiteral("done: %1 -> OK%2")
                .arg(p.command.text, note.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(note)));
    } else if (!exiting_ || !p.invalid.isEmpty()) {
        executeFailed_ = true;
        log(QStringLiteral("failed: %1: %2").arg(p.command.text, why));
        message(QStringLiteral("%1: %2").arg(p.command.text, why));
    }
    if (p.lastOfExecute)
        lastFailed_ = executeFailed_;
}

bool Viewer::carryOut(const Command &c, QString *why, QString *note)
{
    switch (c.kind) {
    case Command::FileOpen: {
        QImage image;
        try {
            image = picture::loadPicture(c.path).toImage();
        } catch (const vb::RuntimeError &e) {
            *why = QStringLiteral("cannot open %1: error %2 %3").arg(c.path).arg(e.number()).arg(e.description());
        }
        if (why->isEmpty() && image.isNull())
            *why = QStringLiteral("cannot open %1: an empty picture").arg(c.path);
        if (!why->isEmpty()) {
            // The viewer shows nothing now, so a later copy or save has nothing to work on
            // (the picture before this one must not be saved under this one's name).
            showNothing();
            return false;
        }
        picture_ = image;
        fileName_ = QFileInfo(c.path).fileName();
        const int zoom = nextZoom_;
        nextZoom_ = 100;
        display(image, zoom);
        if (autoOpen_)
            shownWanted_ = true;
        applyWindowState();
        *note = QStringLiteral("%1x%2 at %3%").arg(image.width()).arg(image.height()).arg(zoom);
        message(QStringLiteral("%1  %2 x %3  %4%").arg(fileName_).arg(image.width()).arg(image.height()).arg(zoom));
        return true;
    }
    case Command::ZoomRate: nextZoom_ = c.number; return true;
    case Command::MaxDisp:
        fullScreen_ = c.on;
        background_ = c.colour;
        if (!picture_.isNull())
            display(picture_, int(std::lround(100.0 * shown_.width() / std::max(1, picture_.width()))));
        applyWindowState();
        return true;
    case Command::DispMsg:
        dispMsg_ = c.on;
        statusBar()->setVisible(dispMsg_);
        return true;
    case Command::ShowGV:
        shownWanted_ = c.on;
        applyWindowState();
        return true;
    case Command::AutoOpenDocument: autoOpen_ = c.on; return true;
    case Command::IconGV:
        iconic_ = c.on;
        applyWindowState();
        return true;
    case Command::ClipCopyViewImage:
        if (shown_.isNull()) {
            *why = QStringLiteral("no picture is shown");
            return false;
        }
        QApplication::clipboard()->setImage(shown_);
        *note = QStringLiteral("%1x%2 on the clipboard").arg(shown_.width()).arg(shown_.height());
        return true;
    case Command::Quantize:
        quantize_ = c.on;
        quantizeColours_ = c.number;
        quantizeDither_ = c.on2;
        return true;
    case Command::FileSaveEx: {
        if (picture_.isNull()) {
            *why = QStringLiteral("no picture to save");
            return false;
        }
        const QImage out = quantize_ ? quantize(picture_, quantizeColours_, quantizeDither_) : picture_;
        if (!writeBitmap(out, c.path, why))
            return false;
        *note = quantize_ ? QStringLiteral("8 bits, %1 colours").arg(out.colorCount()) : QStringLiteral("24 bits");
        return true;
    }
    case Command::ExitGV:
        exiting_ = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return true;
    }
    *why = QStringLiteral("not carried out");
    return false;
}

void Viewer::showNothing()
{
    picture_ = QImage();
    shown_ = QImage();
    fileName_.clear();
    canvas_->clear();
    setWindowTitle(QStringLiteral("GV"));
}

void Viewer::display(const QImage &image, int zoom)
{
    QImage view = zoom == 100
                      ? image
                      : image.scaled(std::max(1, image.width() * zoom / 100), std::max(1, image.height() * zoom / 100),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown_ = view;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->size() : QSize(1024, 768);
    if (fullScreen_ && (view.width() > room.width() || view.height() > room.height()))
        view = view.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    canvas_->setPixmap(QPixmap::fromImage(view));
    setWindowTitle(fileName_.isEmpty() ? QStringLiteral("GV") : QStringLiteral("GV - ") + fileName_);
}

void Viewer::applyWindowState()
{
    QPalette pal = scroll_->palette();
    pal.setColor(QPalette::Window, fullScreen_ ? background_ : palette().color(QPalette::Window));
    scroll_->setPalette(pal);
    scroll_->viewport()->setAutoFillBackground(true);
    scroll_->viewport()->setPalette(pal);
    canvas_->setPalette(pal);
    scroll_->setFrameShape(fullScreen_ ? QFrame::NoFrame : QFrame::StyledPanel);
    statusBar()->setVisible(dispMsg_ && !fullScreen_);

    if (!shownWanted_) {
        hide();
        return;
    }
    if (iconic_) {
        showMinimized();
        return;
    }
    if (fullScreen_) {
        // Without a window manager the full-screen request alone changes nothing: cover the
        // screen ourselves as well.
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            setGeometry(screen->geometry());
        showFullScreen();
        return;
    }
    if (!shown_.isNull()) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QSize room = screen ? screen->availableSize() * 9 / 10 : QSize(1024, 768);
        const QSize want = shown_.size() + QSize(8, 8 + statusBar()->sizeHint().height());
        resize(want.boundedTo(room).expandedTo(QSize(200, 150)));
    }
    showNormal();
}

} // namespace gv
