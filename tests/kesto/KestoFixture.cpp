// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/kesto/KestoFixture.h"

#include "platform/forms/DragDrop.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QtTest/QTest>

KestoTest::KestoTest()
{
    forms::setEndHook([this] { ended = true; });
    forms::setUnhandledErrorHook([](int number, const QString &description) {
        ADD_FAILURE() << "unhandled run-time error " << number << ": " << description.toStdString();
    });
    qputenv("SUITE_LINK_DIR", QFile::encodeName(sockets.path()));
    forms::setMsgBoxHook([this](const QString &prompt, int, const QString &) {
        messages << prompt;
        return 1;
    });
    cwd_ = std::make_unique<ChangeDir>(dir.path());
}

KestoTest::~KestoTest()
{
    kesto_.reset();
    cwd_.reset();
    qunsetenv("SUITE_LINK_DIR");
}

void KestoTest::create() { kesto_ = std::make_unique<Kesto>(*launcher); }

void KestoTest::start(const QStringList &args)
{
    if (!kesto_)
        create();
    forms::runEvent([&] { kesto_->start(args); });
    forms::DoEvents();
}

QStringList KestoTest::items()
{
    QStringList out;
    for (int i = 0; i < f().List1.ListCount(); ++i)
        out << f().List1.List(i);
    return out;
}

void KestoTest::fill(const QStringList &names)
{
    for (const QString &n : names)
        f().List1.AddItem(n);
    f().updateCount();
}

void KestoTest::clickItem(int index, Qt::KeyboardModifiers keys)
{
    f().List1.showAppended(); // what the user sees after a moment
    QListView *v = f().List1.view();
    v->scrollTo(v->model()->index(index, 0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, keys, v->visualRect(v->model()->index(index, 0)).center());
}

void KestoTest::press(forms::Control &c, Qt::Key key, Qt::KeyboardModifiers keys)
{
    c.widget()->setFocus();
    QTest::keyClick(c.widget(), key, keys);
}

QStringList KestoTest::shownMessages()
{
    forms::DoEvents();
    return messages;
}

droptest::Outcome KestoTest::dropFiles(forms::Control &on, const QStringList &paths, Qt::KeyboardModifiers keys)
{
    const auto data = droptest::fileManagerData(paths);
    return droptest::dropOn(on.widget(), *data, Qt::CopyAction | Qt::MoveAction, keys);
}

droptest::Outcome KestoTest::dropText(forms::Control &on, const QString &text)
{
    const auto data = droptest::editorText(text);
    return droptest::dropOn(on.widget(), *data, Qt::CopyAction | Qt::MoveAction);
}

void KestoTest::dragList(std::function<int(const QMimeData &, int)> hook)
{
    forms::setDragHook(std::move(hook));
    QListView *v = f().List1.view();
    const QPoint at = v->visualRect(v->model()->index(0, 0)).center();
    QTest::mousePress(v->viewport(), Qt::RightButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(0, 40)),
                     v->viewport()->mapToGlobal(QPointF(at + QPoint(0, 40))), Qt::NoButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &move);
    QTest::mouseRelease(v->viewport(), Qt::RightButton, {}, at + QPoint(0, 40));
}

void KestoTest::dragListOnto(forms::Control &target, Qt::KeyboardModifiers keys)
{
    dragList([&target, keys](const QMimeData &data, int allowed) {
        return droptest::effectOf(droptest::dropOn(target.widget(), data, forms::actionsOf(allowed), keys));
    });
}
