// SPDX-License-Identifier: GPL-2.0-or-later
// What the mouse does to a board's icons: a press grabs an icon for a drag (moving it on the
// board, or, in file-name drag mode, taking its file out of the program), a click may send the
// file to Kesto or delete the icon, a double click shows the picture in the main window or in
// GV.
#include "tavlo/Form2.h"

#include "platform/forms/Clipboard.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/KeyCodes.h"
#include "tavlo/Form1.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

namespace tavlo {

void Form2::Image1_MouseDown(int index, int, int shift, float x, float y)
{
    grabX = x;
    grabY = y;
    dragIndex = qint16(index);
    const bool ctrl = (shift & forms::vbCtrlMask) != 0;
    if (fileDragMode) {
        ctrlHeld = ctrl;
        Image1(index).OLEDrag();
    } else {
        Image1(index).Drag(1);
    }
    if (ctrl) {
        const int s = slotOf(index);
        if (s >= 0 && s < m().fileCount)
            forms::Clipboard::SetText(m().fileNames[size_t(s)]);
    }
    shiftHeld = (shift & forms::vbShiftMask) != 0;
    clickIcon(index);
}

void Form2::Image1_Click(int index) { clickIcon(index); }

void Form2::clickIcon(int i)
{
    try {
        if (i + 1 != lastClicked && fileDragMode && journalMode != shiftHeld)
            sendToKesto(slotOf(i));
        if (deleteMode)
            Image1(i).setVisible(false);
        lastClicked = qint16(i + 1);
        shiftHeld = false;
    } catch (const vb::RuntimeError &) {
        // Kesto not reached: this click ends here, and the board stays usable.
    }
}

void Form2::Image1_DblClick(int index)
{
    try {
        MainModule &mm = m();
        const int s = slotOf(index);
        if (s >= 0 && s < mm.fileCount)
            setCaption(mm.fileNames[size_t(s)]);
        if (!fileDragMode) {
            if (!mm.FindForm(QStringLiteral("Form1")))
                return;
            Form1 &f = app_.form1();
            mm.indexFromBoard = vb::True;
            f.Text1.setText(vb::Str(s));
            f.Text1.SetFocus();
        } else {
            showInGV(index);
        }
    } catch (const vb::RuntimeError &) {
        // Handing the picture over failed: the board stays as it is.
    }
}

void Form2::Image1_DragDrop(int index, forms::Control &source, float x, float y)
{
    // Only this board's icons move on it.
    if (&source.form() != this || !Image1.exists(dragIndex))
        return;
    forms::Image &target = Image1(index);
    forms::Image &moved = Image1(dragIndex);
    moved.Move(x - grabX + target.Left(), y - grabY + target.Top());
    moved.ZOrder(0);
}

void Form2::Image1_OLEStartDrag(int index, forms::DataObject &data, int &allowedEffects)
{
    allowedEffects |= forms::vbDropEffectCopy;
    if (ctrlHeld) {
        const QImage picture = Image1(index).Picture().toImage();
        forms::Clipboard::SetData(picture);
        data.SetData(picture, forms::vbCFDIB);
        return;
    }
    const int s = slotOf(index);
    if (s >= 0 && s < m().fileCount)
        data.SetData(m().fileNames[size_t(s)] + QStringLiteral("\r\n"));
}

void Form2::Image1_OLECompleteDrag(int, int &) { Picture1.SetFocus(); }

void Form2::Picture1_DragDrop(forms::Control &source, float x, float y)
{
    if (&source.form() == this)
        source.Move(x - grabX, y - grabY);
}

} // namespace tavlo
