// SPDX-License-Identifier: GPL-2.0-or-later
// Replays a fuzz target's seeds and the inputs its runs found (fuzz/regressions): every one of
// them must go through the parser without a crash, a sanitizer report or a failed check. The
// target's own source is compiled in; no fuzzing engine is needed.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

// Every file under the target's seed folders, fuzz/seeds/NAME and fuzz/regressions/NAME.
QStringList inputs()
{
    QStringList folders = QString::fromUtf8(REPLAY_FOLDERS).split(QLatin1Char(','), Qt::SkipEmptyParts);
    folders << QStringLiteral("fuzz/seeds/" REPLAY_TARGET) << QStringLiteral("fuzz/regressions/" REPLAY_TARGET);
    QStringList files;
    for (const QString &folder : folders) {
        QDirIterator it(QStringLiteral(SUITE_SOURCE_DIR "/") + folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    files.sort();
    return files;
}

} // namespace

TEST(REPLAY_SUITE, EverySeedAndFoundInputGoesThrough)
{
    if (LLVMFuzzerInitialize) {
        int argc = 0;
        char **argv = nullptr;
        LLVMFuzzerInitialize(&argc, &argv);
    }
    const QStringList files = inputs();
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray input = f.readAll();
        // In a block of exactly its size, as libFuzzer hands it over, so that the sanitizers
        // see a read past its end (a byte array has room behind its data).
        std::unique_ptr<uint8_t[]> exact(new uint8_t[size_t(input.size())]);
        std::memcpy(exact.get(), input.constData(), size_t(input.size()));
        EXPECT_EQ(LLVMFuzzerTestOneInput(exact.get(), size_t(input.size())), 0);
    }
}

TEST(REPLAY_SUITE, FoundInputsAreKept)
{
    // A finding's input is kept with the others, never lost: the folder exists for each target.
    EXPECT_TRUE(QDir(QStringLiteral(SUITE_SOURCE_DIR "/fuzz/regressions/" REPLAY_TARGET)).exists());
}
