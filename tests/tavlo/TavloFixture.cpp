#include "tests/tavlo/TavloFixture.h"

#include "tavlo/modlessMsgBox.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>

TavloTest::TavloTest() = default;

TavloTest::~TavloTest() = default;

void TavloTest::start(const QStringList &args)
{
    tavlo_ = std::make_unique<Tavlo>(area, printer, launcher);
    tavlo_->onEnd = [this] { ended = true; };
    tavlo_->start(args);
}

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
