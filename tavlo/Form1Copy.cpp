// SPDX-License-Identifier: GPL-2.0-or-later
// The main window fills the icon boards: copy puts the shown picture onto the current board as
// an icon of a fixed area, right of the previous one, in rows, slid down past the icons it
// would touch; copyAll does so for the rest of the list; a full board makes a new one.
#include "tavlo/Form1.h"

#include "platform/forms/EventLoop.h"
#include "tavlo/Form2.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

#include <cmath>

namespace tavlo {

namespace {

bool isIconFile(const QString &name)
{
    const QString ext = name.right(4).toLower();
    return ext == QLatin1String(".ico") || ext == QLatin1String(".cur");
}

template <class T, size_t N>
T &slot(std::array<T, N> &a, int i)
{
    if (i < 0 || size_t(i) >= N)
        vb::raiseError(vb::ErrSubscript);
    return a[size_t(i)];
}

} // namespace

IconSize Form1::iconSizeFor(float width, float height, float area, bool iconFile)
{
    if (iconFile)
        return {width * 2, height * 2, 0};
    double r = std::sqrt(double(width) * double(height) / double(area));
    if (r < 1)
        r = 1;
    return {float(width / r), float(height / r), float(r)};
}

void Form1::copy()
{
    MainModule &mm = m();
    // A picture whose icon fits not even on a fresh board would open board after board: one
    // new board per copy is enough to tell.
    bool freshBoard = false;
    for (;;) {
        if (mm.subForm.isNull()) {
            stopCopy = true;
            return;
        }
        Form2 &board = *mm.subForm;
        board.Load();
        if (mm.curIndex < 0)
            return;
        if (copyOnto(board))
            return;
        if (freshBoard) {
            app_.showMessage(mm.fileNames[size_t(mm.curIndex)] + QStringLiteral("\r\n") +
                             QString::fromUtf8("アイコンを置けません。"));
            return;
        }
        newBoard();
        mm.subShown = vb::True;
        freshBoard = true;
    }
}

bool Form1::copyOnto(Form2 &board)
{
    MainModule &mm = m();
    const int n = board.Image1.Count() - 1;
    forms::Image &icon = board.Image1(n);
    try {
        const QString &name = slot(mm.fileNames, mm.curIndex);
        const IconSize size = iconSizeFor(Picture1.Width(), Picture1.Height(), mm.iconArea, isIconFile(name));
        icon.setHeight(size.height);
        icon.setWidth(size.width);
        slot(mm.picScale, mm.curIndex) = size.scale;

        if (n > 0) {
            const int k = mm.boardIconCount;
            while (mm.boardIconCount < n) {
                AddIconRec(mm.posRecs, mm.boardIconCount, board, mm.boardIconCount);
                mm.boardIconCount += 1;
            }
            sortByPosition(mm.posRecs, mm.boardIconCount, k);
            const float rightLimit = board.Width() - board.VScroll1.Width() - 50;
            const forms::Image &before = board.Image1(n - 1);
            icon.Move(before.Left() + before.Width() + 1, before.Top() + 1);
            if (icon.Left() + icon.Width() > rightLimit) {
                const forms::Image &head = board.Image1(mm.rowStart);
                icon.Move(0, head.Top() + head.Height());
                mm.rowStart = n;
            }
            for (int j; (j = findOverlap(board, icon, mm.posRecs, n)) >= 0;) {
                const forms::Image &below = board.Image1(mm.posRecs[size_t(j)].iconIndex);
                icon.setTop(below.Top() + below.Height() + 1);
            }
        }

        icon.setPicture(Picture1.Picture());
        icon.setVisible(true);
        icon.setToolTipText(vb::CStr(mm.curIndex + 1));
        const float bottom = icon.Top() + icon.Height();
        if (bottom > board.Picture1.Height()) {
            board.Picture1.setHeight(bottom + 40);
            if (bottom > board.Picture1.Height())
                return dropIcon(board, n); // the container cannot grow that far: the board is full
        }
        slot(mm.iconFile, n) = mm.curIndex;
        AddIconRec(mm.posRecs, mm.boardIconCount, board, mm.boardIconCount);
        mm.boardIconCount += 1;
        board.Image1.Load(n + 1);
        board.Form_Activate();
        return true;
    } catch (const vb::RuntimeError &) {
        // The icon could not be placed (a size or count past its limit): it is taken off again.
    } catch (const std::bad_alloc &) {
        // No memory for the icon's picture: the same.
    }
    return dropIcon(board, n);
}

bool Form1::dropIcon(Form2 &board, int n)
{
    // The board keeps an empty, hidden slot as its last element, should it become the current
    // board again.
    if (n > 0 && board.Image1.exists(n)) {
        board.Image1.Unload(n);
        board.Image1.Load(n);
    } else if (board.Image1.exists(n)) {
        board.Image1(n).setVisible(false);
    }
    return false;
}

void Form1::copyAll()
{
    MainModule &mm = m();
    try {
        stopCopy = false;
        if (mm.subForm.isNull()) {
            newBoard();
            mm.subShown = vb::True;
        }
        mm.boardIconCount = 0;
        while (mm.curIndex < mm.fileCount - 1) {
            copy();
            Command1_Click();
            Refresh();
            if (stopCopy)
                return;
            forms::DoEvents();
        }
        copy();
    } catch (const vb::RuntimeError &) {
        // A failure outside copy ends copyAll without a message.
    }
}

void Form1::newBoard()
{
    MainModule &mm = m();
    Form2 *board = app_.newForm2();
    mm.subForm = board;
    board->Load();
    const float top = board->Top(), left = board->Left(), width = board->Width();
    board->Move(Left() + 400, Top() + 1100);
    mm.rowStart = 0;
    mm.boardIconCount = 0;
    board->Show();
    board->Move(left + 300, top + 300);
    board->setWidth(width);
    fitToWorkArea(*board);
    mm.boardSerial += 1;
    board->setCaption(QStringLiteral("Form2-") + vb::Str(mm.boardSerial));
    board->setVisible(true);
    board->setWindowState(forms::vbNormal);
    board->Show();
}

void Form1::boardShown()
{
    MainModule &mm = m();
    mm.subShown = vb::True;
    Command2.setCaption(QString::fromUtf8("Sub非表示"));
    if (mm.subForm && mm.subForm->Width() < Width())
        mm.subForm->SetFocus();
    else
        SetFocus();
}

void Form1::Command2_Click()
{
    MainModule &mm = m();
    if (mm.subForm.isNull()) {
        newBoard();
        boardShown();
    } else if (mm.subShown) {
        if (mm.subForm->Visible()) {
            mm.subForm->Hide();
        } else {
            mm.subForm->Unload();
            mm.subForm = nullptr;
            mm.rowStart = 0;
            mm.boardIconCount = 0;
        }
        mm.subShown = vb::False;
        Command2.setCaption(QString::fromUtf8("Sub再表示"));
        SetFocus();
    } else {
        if (!mm.FindForm(QStringLiteral("Form2")))
            newBoard();
        mm.subForm->Show();
        boardShown();
    }
}

void Form1::menu3_Click() { copy(); }
void Form1::menu4_Click() { copyAll(); }

void Form1::menu5_Click()
{
    newBoard();
    m().subForm->Show();
    boardShown();
}

} // namespace tavlo
