// SPDX-License-Identifier: GPL-2.0-or-later
// Hosts a QApplication for the whole test binary. Tests run on the offscreen platform with one
// 1280 x 1024 screen at 96 dpi and no window frames, unless QT_QPA_PLATFORM says otherwise.
// Built with SUITE_FRESH_PROGRAM, each test runs as a program of its own in the window layer:
// whatever one test leaves behind (an End, a hook, a beep, the time budget) is gone for the next.
#include <QApplication>

#ifdef SUITE_FRESH_PROGRAM
#include "platform/forms/Program.h"

#include <optional>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment
{
public:
    QtEnvironment(int &argc, char **argv) : argc_(argc), argv_(argv) {}
    void SetUp() override
    {
        const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
        if (qpa.isEmpty() || qpa == "offscreen")
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SUITE_SOURCE_DIR "/tests/support/screens.json");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int &argc_;
    char **argv_;
    std::unique_ptr<QApplication> app_;
};

#ifdef SUITE_FRESH_PROGRAM
class FreshProgram : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { program_.emplace(); }
    void OnTestEnd(const ::testing::TestInfo &) override { program_.reset(); }
    std::optional<forms::Program> program_;
};
#endif

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    static int qtArgc = 1;
    ::testing::AddGlobalTestEnvironment(new QtEnvironment(qtArgc, argv));
#ifdef SUITE_FRESH_PROGRAM
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProgram);
#endif
    return RUN_ALL_TESTS();
}
