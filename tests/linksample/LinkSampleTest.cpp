// SPDX-License-Identifier: GPL-2.0-or-later
// Pelto and Varvo talking: in one process, and Varvo as a program of its own.
#include "linksample/pelto/Form1.h"
#include "linksample/varvo/Form1.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/link/link.h"
#include "platform/vb/vb.h"
#include "tests/support/TempDir.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QString kVarvo = QStringLiteral(SUITE_BIN_DIR "/varvo");
const QString kLinkctl = QStringLiteral(SUITE_BIN_DIR "/linkctl");

// Each test gets a socket folder of its own.
class LinkSample : public ::testing::Test
{
protected:
    LinkSample() { qputenv("SUITE_LINK_DIR", QFile::encodeName(sockets.path())); }
    ~LinkSample() override
    {
        if (varvoProcess.state() != QProcess::NotRunning) {
            varvoProcess.kill();
            varvoProcess.waitForFinished();
        }
        qunsetenv("SUITE_LINK_DIR");
        forms::setUnhandledErrorHook(nullptr);
    }

    // Starts the Varvo program and waits until it serves.
    void startVarvoProgram()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        varvoProcess.setProcessEnvironment(env);
        varvoProcess.start(kVarvo, {});
        ASSERT_TRUE(varvoProcess.waitForStarted());
        const QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(suite_link::socketPath("VARVO")) && !deadline.hasExpired())
            forms::DoEvents();
        ASSERT_TRUE(QFileInfo::exists(suite_link::socketPath("VARVO")));
    }
    QString linkctl(const QStringList &args, int *status = nullptr)
    {
        QProcess p;
        p.start(kLinkctl, QStringList{"--open-wait", "5000"} + args);
        EXPECT_TRUE(p.waitForFinished(20000));
        if (status)
            *status = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    TempDir sockets;
    QProcess varvoProcess;
};

} // namespace

TEST_F(LinkSample, OnePressSendsTwoCommandsAndBringsVarvosText)
{
    forms::Forms varvoSide, peltoSide;
    varvoSide.setLinkApplication("VARVO");
    varvo::Form1 server(varvoSide);
    server.Show();
    pelto::Form1 client(peltoSide);
    client.Show();
    forms::DoEvents();
    server.Cls();

    client.Command1_Click();
    EXPECT_EQ(server.printedText(), QStringList({"ABCDE From Client!!", "XYUZZ From Client2"}));
    EXPECT_EQ(client.Text1.Text(), "Text2");
    EXPECT_EQ(client.Text1.LinkMode(), 2);

    server.Text2.setText(QString::fromUtf8("新しい文字"));
    client.Command1_Click();
    EXPECT_EQ(server.printedText().size(), 4);
    EXPECT_EQ(server.printedText().last(), "XYUZZ From Client2");
    EXPECT_EQ(client.Text1.Text(), QString::fromUtf8("新しい文字"));

    // Closing Pelto ends the link quietly; Varvo goes on serving.
    client.Unload();
    EXPECT_EQ(client.Text1.LinkMode(), 0);
    pelto::Form1 again(peltoSide);
    again.Command1_Click();
    EXPECT_EQ(server.printedText().size(), 6);
}

TEST_F(LinkSample, PeltoWithoutVarvoReportsTheErrorAndEnds)
{
    forms::Forms peltoSide;
    pelto::Form1 client(peltoSide);
    client.Show();
    int reported = 0;
    forms::setUnhandledErrorHook([&](int number, const QString &) { reported = number; });
    // The button as the user presses it: the error reaches the run time's last resort.
    static_cast<QAbstractButton *>(client.Command1.widget())->click();
    EXPECT_EQ(reported, 282);
    EXPECT_EQ(client.Text1.Text(), "Text1");
}

TEST_F(LinkSample, VarvoAsAProgramAnswersPeltoAndLinkctl)
{
    startVarvoProgram();
    int status = -1;
    EXPECT_EQ(linkctl({"VARVO|VARVO", "request", "Text2"}, &status), "Text2");
    EXPECT_EQ(status, 0);

    forms::Forms peltoSide;
    pelto::Form1 client(peltoSide);
    client.Command1_Click();
    EXPECT_EQ(client.Text1.Text(), "Text2");
    client.Unload();

    // Killing a client in the middle of its conversation leaves Varvo serving the next one.
    QProcess dying;
    dying.start(kLinkctl, {"VARVO|VARVO", "execute", "one", "await", "Text2", "never"});
    ASSERT_TRUE(dying.waitForStarted());
    QDeadlineTimer pause(500);
    while (!pause.hasExpired())
        forms::DoEvents();
    dying.kill();
    dying.waitForFinished();
    EXPECT_EQ(linkctl({"varvo|varvo", "execute", "two", "request", "TEXT2"}, &status), "Text2");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(varvoProcess.state(), QProcess::Running);

    // An item Varvo does not have is refused, and an unknown topic finds nothing.
    linkctl({"VARVO|VARVO", "request", "Text9"}, &status);
    EXPECT_EQ(status, 4);
    QProcess p;
    p.start(kLinkctl, {"VARVO|OTHER", "request", "Text2"});
    p.waitForFinished(20000);
    EXPECT_EQ(p.exitCode(), 3);
}

TEST_F(LinkSample, ASecondVarvoCannotTakeTheName)
{
    startVarvoProgram();
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(kVarvo, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("cannot serve VARVO|VARVO"));
    EXPECT_EQ(linkctl({"VARVO|VARVO", "request", "Text2"}), "Text2") << "the first keeps serving";
}

TEST_F(LinkSample, VarvoRefusesThe129thConversationAndServesOn)
{
    startVarvoProgram();
    // Any local program may open conversations; the 129th used to end Varvo.
    std::vector<std::unique_ptr<suite_link::PlainLinkBox>> boxes;
    for (int i = 0; i < 129; ++i) {
        boxes.push_back(std::make_unique<suite_link::PlainLinkBox>());
        boxes.back()->setLinkTopic("VARVO|VARVO");
        int error = 0;
        try {
            boxes.back()->setLinkMode(2);
        } catch (const vb::RuntimeError &e) {
            error = e.number();
        }
        EXPECT_EQ(error, i < 128 ? 0 : int(vb::ErrDdeNoResponse)) << i;
    }
    boxes.front()->setLinkItem("Text2");
    boxes.front()->LinkRequest();
    EXPECT_EQ(boxes.front()->text(), "Text2");
    boxes.clear();
    int status = -1;
    EXPECT_EQ(linkctl({"VARVO|VARVO", "request", "Text2"}, &status), "Text2");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(varvoProcess.state(), QProcess::Running);
}
