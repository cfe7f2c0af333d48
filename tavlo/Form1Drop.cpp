// SPDX-License-Identifier: GPL-2.0-or-later
// Files and path lists dropped on the main window join the picture list; the shown picture can
// be dragged out of the canvas into other programs.
#include "tavlo/Form1.h"

#include "common/DeleteQUOTE.h"
#include "common/Lines.h"
#include "platform/forms/DragDrop.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

#include <QFileInfo>

namespace tavlo {

QStringList Form1::splitLines(const QString &text)
{
    // Positions are counted in 16 bits: a longer text is no text this window takes.
    if (text.size() > 32767)
        vb::raiseError(vb::ErrOverflow);
    // The closed lines, and in place of whatever follows the last line end one empty line.
    QStringList lines = common::closedLines(text);
    lines << QString();
    return lines;
}

bool Form1::addDroppedItem(const QString &dropped)
{
    MainModule &mm = m();
    const QString path = repairDrivePath(dropped);
    if (path.isEmpty())
        return true; // an empty line offers nothing
    switch (MainModule::FileKind(path)) {
    case 1:
        // The picture list has 2049 slots: further pictures of the drop are not taken.
        if (mm.listFull())
            return false;
        mm.fileNames[size_t(mm.fileCount)] = path;
        mm.listOfFile[size_t(mm.fileCount)] = -1;
        mm.fileCount += 1;
        return true;
    case 4:
        if (mm.ReadListFile(path) == 0) {
            Combo1.AddItem(path);
            Combo1.setText(path);
            Combo1.setVisible(true);
            return true;
        }
        return false;
    default: return false;
    }
}

Form1::DropOffer Form1::offerOf(forms::DataObject &data)
{
    DropOffer offer;
    if (data.GetFormat(forms::vbCFText)) {
        offer.kind = DropOffer::Text;
        const QString text = data.text();
        try {
            offer.items = splitLines(text);
        } catch (const vb::RuntimeError &) {
            offer.tooLong = true;
            return offer;
        }
        // Text after the last line end is no line, and is not taken.
        offer.cutTail = common::endsOpen(text);
    } else if (data.GetFormat(forms::vbCFFiles)) {
        offer.kind = DropOffer::Files;
        offer.items = data.Files();
    }
    return offer;
}

bool Form1::wouldTakeAll(const DropOffer &offer) const
{
    if (offer.kind == DropOffer::None || offer.tooLong || offer.cutTail)
        return false;
    const MainModule &mm = m();
    int pictures = 0;
    bool any = false;
    for (const QString &item : offer.items) {
        const QString path = repairDrivePath(item);
        if (path.isEmpty())
            continue;
        any = true;
        switch (MainModule::FileKind(path)) {
        case 1: ++pictures; break;
        case 4:
            if (!QFileInfo(path).isFile())
                return false;
            break;
        default: return false;
        }
    }
    return any && pictures <= MainModule::kListSlots - mm.fileCount;
}

bool Form1::wouldTakeAny(const DropOffer &offer) const
{
    if (offer.kind == DropOffer::None || offer.tooLong)
        return false;
    for (const QString &item : offer.items) {
        const QString path = repairDrivePath(item);
        const int kind = path.isEmpty() ? 0 : MainModule::FileKind(path);
        if ((kind == 1 && !m().listFull()) || kind == 4)
            return true;
    }
    return false;
}

void Form1::Picture1_MouseDown(int, int, float, float) { Picture1.OLEDrag(); }

void Form1::Picture1_OLEStartDrag(forms::DataObject &data, int &allowedEffects)
{
    allowedEffects |= forms::vbDropEffectCopy | forms::vbDropEffectMove;
    const QImage picture = Picture1.Picture().toImage();
    if (!picture.isNull())
        data.SetData(picture, forms::vbCFDIB);
}

void Form1::Picture1_OLECompleteDrag(int &) { Picture1.SetFocus(); }

void Form1::Form_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y, int state)
{
    Picture1_OLEDragOver(data, effect, button, shift, x, y, state);
}

void Form1::Picture1_OLEDragOver(forms::DataObject &data, int &effect, int, int, float, float, int state)
{
    // Decided once as the drag comes in: the data stays the same while it moves over the window.
    if (state == forms::vbEnter) {
        const DropOffer offer = offerOf(data);
        // A source may remove what it dragged once a drop reported an effect, and the window
        // system tells it only what the drag-over said: a text is taken whole or not at all.
        // A file list comes from a file manager, which removes nothing that was copied: its
        // pictures are taken, the rest left out.
        dropTaken_ = offer.kind == DropOffer::Text ? wouldTakeAll(offer) : wouldTakeAny(offer);
    }
    if (state == forms::vbLeave)
        return;
    effect = dropTaken_ ? effect & forms::vbDropEffectCopy : forms::vbDropEffectNone;
}

void Form1::Form_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y)
{
    Picture1_OLEDragDrop(data, effect, button, shift, x, y);
}

void Form1::Picture1_OLEDragDrop(forms::DataObject &data, int &effect, int, int, float, float)
{
    MainModule &mm = m();
    const DropOffer offer = offerOf(data);
    if (offer.tooLong) {
        // More than the window can count: the drop is turned away, and the list stays as it was.
        effect = forms::vbDropEffectNone;
        app_.showMessage(QString::fromUtf8("ドロップされたテキストが長すぎるため、取り込みませんでした。"));
        return;
    }
    if (offer.kind == DropOffer::None) {
        effect = forms::vbDropEffectNone;
        return;
    }
    effect &= forms::vbDropEffectCopy;
    const vb::Integer oldCount = mm.fileCount;
    bool all = !offer.cutTail;
    for (const QString &item : offer.items)
        all = addDroppedItem(item) && all;
    // The source keeps everything unless all of it arrived: a name it removes must be here.
    if (!all)
        effect = forms::vbDropEffectNone;
    Text3.setText(vb::CStr(mm.fileCount));
    mm.curIndex = oldCount;
    VScroll1.setValue(0);
    showStep(0);
}

} // namespace tavlo
