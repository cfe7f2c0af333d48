// Files and path lists dropped on the main window join the picture list; the shown picture can
// be dragged out of the canvas into other programs.
#include "tavlo/Form1.h"

#include "common/DeleteQUOTE.h"
#include "platform/forms/DragDrop.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

QStringList Form1::splitLines(const QString &text)
{
    // Positions are counted in 16 bits: a longer text is no text this window takes.
    if (text.size() > 32767)
        vb::raiseError(vb::ErrOverflow);
    QStringList lines;
    int start = 0;
    for (int j = 0; j < text.size(); ++j) {
        const QChar c = text.at(j);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, j - start);
        // CR LF is one line end; a CR or an LF alone is one too.
        if (c == QLatin1Char('\r') && j + 1 < text.size() && text.at(j + 1) == QLatin1Char('\n'))
            ++j;
        start = j + 1;
    }
    lines << QString();
    return lines;
}

void Form1::addDroppedItem(const QString &dropped)
{
    MainModule &mm = m();
    const QString path = repairDrivePath(dropped);
    if (path.isEmpty())
        return;
    switch (MainModule::FileKind(path)) {
    case 1:
        // The picture list has 2049 slots: further pictures of the drop are not taken.
        if (mm.listFull())
            return;
        mm.fileNames[size_t(mm.fileCount)] = path;
        mm.listOfFile[size_t(mm.fileCount)] = -1;
        mm.fileCount += 1;
        break;
    case 4:
        if (mm.ReadListFile(path) == 0) {
            Combo1.AddItem(path);
            Combo1.setText(path);
            Combo1.setVisible(true);
        }
        break;
    default:
        break;
    }
}

void Form1::Picture1_MouseDown(int, int, float, float)
{
    Picture1.OLEDrag();
}

void Form1::Picture1_OLEStartDrag(forms::DataObject &data, int &allowedEffects)
{
    allowedEffects |= forms::vbDropEffectCopy | forms::vbDropEffectMove;
    const QImage picture = Picture1.Picture().toImage();
    if (!picture.isNull())
        data.SetData(picture, forms::vbCFDIB);
}

void Form1::Picture1_OLECompleteDrag(int &)
{
    Picture1.SetFocus();
}

void Form1::Form_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y)
{
    Picture1_OLEDragDrop(data, effect, button, shift, x, y);
}

void Form1::Picture1_OLEDragDrop(forms::DataObject &data, int &effect, int, int, float, float)
{
    MainModule &mm = m();
    QStringList items;
    if (data.GetFormat(forms::vbCFText)) {
        effect &= forms::vbDropEffectCopy;
        try {
            items = splitLines(data.text());
        } catch (const vb::RuntimeError &) {
            // More than the window can count: the drop is turned away, and the list stays as it was.
            effect = forms::vbDropEffectNone;
            app_.showMessage(QString::fromUtf8("ドロップされたテキストが長すぎるため、取り込みませんでした。"));
            return;
        }
    } else if (data.GetFormat(forms::vbCFFiles)) {
        effect &= forms::vbDropEffectCopy;
        items = data.Files();
    } else {
        return;
    }
    const vb::Integer oldCount = mm.fileCount;
    for (const QString &item : items)
        addDroppedItem(item);
    Text3.setText(vb::CStr(mm.fileCount));
    mm.curIndex = oldCount;
    VScroll1.setValue(0);
    showStep(0);
}
