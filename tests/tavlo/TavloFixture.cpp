// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tavlo/TavloFixture.h"

#include "tavlo/modlessMsgBox.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>

TavloTest::TavloTest() { freshProgram(); }

TavloTest::~TavloTest()
{
    tavlo_.reset();
    program_.reset();
}

void TavloTest::freshProgram()
{
    program_.reset();
    program_.emplace();
    forms::setEndHook([this] { ended = true; });
    forms::setUnhandledErrorHook([](int number, const QString &description) {
        ADD_FAILURE() << "unhandled run-time error " << number << ": " << description.toStdString();
    });
}

void TavloTest::start(const QStringList &args)
{
    tavlo_.reset();
    freshProgram();
    ended = false;
    tavlo_ = std::make_unique<Tavlo>(area, printer, realLauncher ? *realLauncher : launcher);
    forms::runEvent([&] { tavlo_->start(args); });
}

void TavloTest::act(const std::function<void()> &handler) { forms::runEvent(handler); }

QString TavloTest::picture(const QString &name, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(40, 120, 200));
    const QString path = dir.file(name);
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray format = name.endsWith(QLatin1String(".jpg")) ? "JPEG" : "BMP";
    EXPECT_TRUE(img.save(path, format.constData()));
    return path;
}

QString TavloTest::listFile(const QString &name, const QStringList &lines)
{
    return dir.writeCp932(name, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QStringList TavloTest::pictureList()
{
    QStringList out;
    for (int i = 0; i < m().fileCount; ++i)
        out << m().fileNames[static_cast<size_t>(i)];
    return out;
}

QString TavloTest::message()
{
    forms::Form *f = t().forms().find(QStringLiteral("modlessMsgBox"));
    return f ? static_cast<modlessMsgBox *>(f)->Text1.Text() : QString();
}
