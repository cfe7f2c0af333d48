// SPDX-License-Identifier: GPL-2.0-or-later
// The GV stand-in driven as Tavlo and Kesto drive it (through gvlink) and as a script does
// (through linkctl).
#include "gvlink/gvlink.h"
#include "platform/vb/vb.h"
#include "tests/platform/link/LinkTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList lines(const QString &path, const QString &prefix)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList out;
    for (const QString &l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (l.startsWith(prefix))
            out << l.mid(prefix.size());
    return out;
}

int bitsPerPixel(const QString &bmp)
{
    QFile f(bmp);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = f.read(30);
    return head.size() == 30 && head.startsWith("BM") ? quint8(head[28]) : -1;
}

double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 999;
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (a.width() * a.height() * 3);
}

class GvStandIn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        linktest::usePrivateLinkFolder();
        QImage image(120, 80, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 2, y * 3, 255 - x - y));
        jpeg = dir.filePath(QStringLiteral("a picture.jpg"));
        ASSERT_TRUE(image.save(jpeg, "JPEG", 95));
        log = dir.filePath(QStringLiteral("gv.log"));
    }

    void startGv(QStringList extra = {})
    {
        gv.start(QStringLiteral("gv"), QStringList{QStringLiteral("/DDE"), QStringLiteral("--log"), log} + extra);
        gvlink::linkToGV(box);
    }

    QString nextAnswer()
    {
        for (int i = 0; i < 500; ++i) {
            box.LinkRequest();
            if (!box.text().isEmpty())
                return box.text();
            QThread::msleep(10);
        }
        return QString();
    }

    QTemporaryDir dir;
    QString jpeg, log;
    linktest::Program gv;
    suite_link::PlainLinkBox box{QStringLiteral("Text1")};
};

} // namespace

TEST_F(GvStandIn, KestoConversionIsLoggedAndSavesAnEightBitBitmap)
{
    startGv();
    const QString target = dir.filePath(QStringLiteral("Convert/a picture.bmp"));
    QDir().mkpath(dir.filePath(QStringLiteral("Convert")));
    const QStringList sent{gvlink::kestoSetup(),
                           gvlink::quantize(),
                           gvlink::fileOpenQuoted(jpeg),
                           gvlink::clipCopyViewImage(),
                           gvlink::fileSaveEx(target),
                           gvlink::iconShow(),
                           gvlink::exitGV()};
    EXPECT_TRUE(gvlink::sendDirect(box, sent[0]).ok());
    for (const QString &command : sent.mid(1)) {
        const gvlink::Result r = gvlink::sendKesto(box, command, 10000);
        EXPECT_TRUE(r.ok()) << command.toStdString() << ": " << r.message.toStdString();
    }
    ASSERT_TRUE(gv.waitFinished());
    EXPECT_EQ(gv.exitCode(), 0);

    EXPECT_EQ(lines(log, QStringLiteral("execute: ")), sent);
    EXPECT_EQ(lines(log, QStringLiteral("failed: ")), QStringList());
    EXPECT_EQ(lines(log, QStringLiteral("done: ")).size(), 10);
    EXPECT_TRUE(lines(log, QStringLiteral("done: ClipCopyViewImage() -> OK"))
                    .contains(QStringLiteral(" (120x80 on the clipboard)")));

    EXPECT_EQ(bitsPerPixel(target), 8);
    const QImage saved(target);
    EXPECT_EQ(saved.format(), QImage::Format_Indexed8);
    EXPECT_LE(saved.colorCount(), 256);
    EXPECT_LT(meanDifference(saved, QImage(jpeg)), 10.0);
}

TEST_F(GvStandIn, FailedCommandsAnswerNGUntilOneSucceeds)
{
    startGv();
    EXPECT_TRUE(gvlink::sendDirect(box, gvlink::zoomRate(50)).ok());
    EXPECT_TRUE(gvlink::sendTavlo(box, gvlink::fileOpenBare(dir.filePath(QStringLiteral("missing.jpg"))), 10000).ok());
    EXPECT_EQ(nextAnswer(), QStringLiteral("NG"));

    // A command it cannot read is refused, and also leaves NG.
    EXPECT_TRUE(gvlink::sendKesto(box, QString(), 10000).ok());
    const gvlink::Result refused = gvlink::sendDirect(box, QStringLiteral("[FileOpen(/a.jpg)]junk"));
    EXPECT_EQ(refused.error, vb::ErrDdeRefused);
    EXPECT_EQ(nextAnswer(), QStringLiteral("NG"));

    // A bare path with blanks opens, at the zoom given before the failed open.
    EXPECT_TRUE(gvlink::sendKesto(box, gvlink::fileOpenBare(jpeg) + gvlink::clipCopyViewImage(), 10000).ok());
    EXPECT_EQ(nextAnswer(), QStringLiteral("OK"));
    EXPECT_EQ(lines(log, QStringLiteral("refused: ")).size(), 1);
    EXPECT_EQ(lines(log, QStringLiteral("done: FileOpen(") + jpeg + QStringLiteral(") -> OK ")),
              QStringList{QStringLiteral("(120x80 at 50%)")});
    EXPECT_TRUE(lines(log, QStringLiteral("done: ClipCopyViewImage() -> OK"))
                    .contains(QStringLiteral(" (60x40 on the clipboard)")));

    // An open that fails leaves nothing shown: the picture before is not saved under a new name.
    const QString missing = dir.filePath(QStringLiteral("missing.jpg"));
    const QString target = dir.filePath(QStringLiteral("missing.bmp"));
    EXPECT_TRUE(gvlink::sendKesto(box, gvlink::fileOpenQuoted(missing), 10000).ok());
    EXPECT_EQ(nextAnswer(), QStringLiteral("NG"));
    for (const QString &after : {gvlink::clipCopyViewImage(), gvlink::fileSaveEx(target)}) {
        EXPECT_TRUE(gvlink::sendKesto(box, after, 10000).ok());
        EXPECT_EQ(nextAnswer(), QStringLiteral("NG")) << after.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(gvlink::sendTavlo(box, gvlink::exitGV(), 10000).ok());
    EXPECT_TRUE(gv.waitFinished());
}

TEST_F(GvStandIn, DevicesAndFifosFailAsUnreadableAndItServesOn)
{
    startGv();
    const QString fifo = dir.filePath(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.bmp"))));
    // /dev/zero used to end the viewer; a FIFO to hang it, and every client after got 282.
    for (const QString &special : {QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.bmp")), fifo}) {
        // After an NG only Kesto's rule takes the viewer as ready.
        EXPECT_TRUE(gvlink::sendKesto(box, gvlink::fileOpenBare(special), 10000).ok()) << special.toStdString();
        EXPECT_EQ(nextAnswer(), QStringLiteral("NG")) << special.toStdString();
    }
    const QStringList failed = lines(log, QStringLiteral("failed: "));
    EXPECT_EQ(failed.size(), 3);
    for (const QString &line : failed)
        EXPECT_TRUE(line.contains(QStringLiteral("error 75"))) << line.toStdString();
    EXPECT_TRUE(gvlink::sendKesto(box, gvlink::fileOpenBare(jpeg), 10000).ok());
    EXPECT_EQ(nextAnswer(), QStringLiteral("OK"));
    EXPECT_TRUE(gvlink::sendTavlo(box, gvlink::exitGV(), 10000).ok());
    EXPECT_TRUE(gv.waitFinished());
}

TEST_F(GvStandIn, WhileItWorksItAnswersNothing)
{
    startGv({QStringLiteral("--delay"), QStringLiteral("400")});
    EXPECT_TRUE(gvlink::sendDirect(box, gvlink::fileOpenBare(jpeg)).ok());
    box.LinkRequest();
    EXPECT_EQ(box.text(), QString());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(gvlink::waitReadyTavlo(box, 10000));
    EXPECT_GE(clock.elapsed(), 250);
    gv.kill();
    box.setLinkMode(0);

    // A viewer busy inside the execute answers neither it nor the polls: timeouts, then OK.
    linktest::Program blocking;
    blocking.start(QStringLiteral("gv"), {QStringLiteral("/DDE"), QStringLiteral("--block"), QStringLiteral("--delay"),
                                          QStringLiteral("600")});
    gvlink::linkToGV(box);
    box.setLinkTimeout(1);
    EXPECT_TRUE(gvlink::sendDirect(box, gvlink::fileOpenBare(jpeg)).ok()) << "the execute's timeout is ignored";
    EXPECT_THROW(box.LinkRequest(), vb::RuntimeError);
    EXPECT_TRUE(gvlink::waitReadyTavlo(box, 10000));
}

TEST_F(GvStandIn, ASecondViewerLeavesTheNameToTheFirst)
{
    startGv();
    const auto second = linktest::run(QStringLiteral("gv"), {QStringLiteral("/DDE")});
    EXPECT_EQ(second.code, 1);
    EXPECT_TRUE(second.err.contains(QStringLiteral("already served"))) << second.err.toStdString();
    box.LinkRequest();
    EXPECT_EQ(box.text(), QStringLiteral("OK"));

    const auto help = linktest::run(QStringLiteral("gv"), {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--delay"))) << help.out.toStdString();
    EXPECT_EQ(linktest::run(QStringLiteral("gv"), {QStringLiteral("--delay"), QStringLiteral("soon")}).code, 2);
}

TEST_F(GvStandIn, LinkctlHasItConvertAJpegIntoABitmap)
{
    gv.start(QStringLiteral("gv"), {QStringLiteral("/DDE")});
    const QString target = dir.filePath(QStringLiteral("out.bmp"));
    const auto r = linktest::run(QStringLiteral("linkctl"),
                                 {QStringLiteral("--open-wait"), QStringLiteral("10000"), QStringLiteral("GV|Display"),
                                  QStringLiteral("execute"), gvlink::fileOpenQuoted(jpeg), QStringLiteral("await"),
                                  QStringLiteral("DIBRequest"), QStringLiteral("OK,NG"), QStringLiteral("execute"),
                                  gvlink::fileSaveEx(target), QStringLiteral("await"), QStringLiteral("DIBRequest"),
                                  QStringLiteral("OK,NG"), QStringLiteral("execute"), gvlink::exitGV()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("OK\nOK\n"));
    EXPECT_TRUE(gv.waitFinished());
    EXPECT_EQ(bitsPerPixel(target), 24);
    EXPECT_LT(meanDifference(QImage(target), QImage(jpeg)), 1.0);
}
