#include "kesto/Form1.h"

#include "common/DeleteQUOTE.h"
#include "kesto/Kesto.h"
#include "kesto/MainModule.h"
#include "kesto/TopOnForms.h"
#include "gvlink/gvlink.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QColor>
#include <QTimer>

using forms::DataObject;

namespace {

const QString kLabel2Text = QString::fromUtf8("下のリストからここへDropするとGVでファイル変換できます");
const QString kLabel3Text = QString::fromUtf8("下のリストで「上書き出力」する(拡張子.LST)ファイルをドロップしてください");
const QString kNoGvPath = QString::fromUtf8("GV.EXEのパスが指定されていません");

} // namespace

Form1::Form1(Kesto &app)
    : Form(app.forms(), QStringLiteral("Form1"), 5970, 4650),
      Drive1(*this, QStringLiteral("Drive1")),
      File1(*this, QStringLiteral("File1")),
      Dir1(*this, QStringLiteral("Dir1")),
      Text1(*this, QStringLiteral("Text1")),
      Text2(*this, QStringLiteral("Text2"), true),
      Label1(*this, QStringLiteral("Label1")),
      Label2(*this, QStringLiteral("Label2")),
      Label3(*this, QStringLiteral("Label3")),
      List1(*this, QStringLiteral("List1")),
      menuFile(*this, QStringLiteral("menuFile"), QString::fromUtf8("ファイル(&F)")),
      menuFront(*this, QStringLiteral("menuFront"), QString::fromUtf8("この窓を最前面に表示する(&T)"), &menuFile,
                QKeySequence(QStringLiteral("Ctrl+T"))),
      menuDrop(*this, QStringLiteral("menuDrop"), QString::fromUtf8("ドロップ領域のみ表示(&D)"), &menuFile,
               QKeySequence(QStringLiteral("Ctrl+D"))),
      menuEnd(*this, QStringLiteral("menuEnd"), QString::fromUtf8("終了(&X)"), &menuFile, QKeySequence(QStringLiteral("Ctrl+Q"))),
      app_(app)
{
    setCaption(QStringLiteral("KESTO"));

    Drive1.Move(135, 0, 2535, 300);
    File1.Move(120, 390, 2535, 1170);
    File1.setMultiSelect(2);
    File1.setPattern(QStringLiteral("*.lst;*.txt;*.bmp;*.jpg;*.ico;*.cur;*.tif"));
    File1.setToolTipText(QString::fromUtf8("Mouse(左で選択・右でドラッグ) Key(Enterで展開)"));
    File1.setPath(Dir1.Path());
    Dir1.Move(2775, -15, 3135, 1560);
    Text1.Move(4710, 90, 735, 375);
    Text1.setText(QStringLiteral("Text1"));
    Text1.setToolTipText(QStringLiteral("Text1 For GV Link"));
    Text1.setVisible(false);
    Text2.Move(120, 1560, 5775, 645);
    Text2.setScrollBars(2);
    Text2.setToolTipText(QString::fromUtf8("CTRL+Nでフオルダー移動も可"));
    Label1.Move(135, 2265, 855, 255);
    Label1.setCaption(QStringLiteral("0"));
    Label2.Move(1335, 2280, 2175, 615);
    Label2.setCaption(kLabel2Text);
    Label3.Move(3735, 2295, 2175, 630);
    Label3.setCaption(kLabel3Text);
    for (forms::Label *l : {&Label2, &Label3}) {
        l->setWordWrap(true);
        l->setBorderStyle(1);
        l->setBackColor(QColor(0xFF, 0xFF, 0xE1));
        l->setOLEDropMode(1);
    }
    List1.Move(135, 2985, 5775, 1500);
    List1.setMultiSelect(2);
    List1.setOLEDropMode(1);

    // The menu bar came after the window's size was set: the client area keeps its size.
    setHeight(Height());

    setLinkTopic(QStringLiteral("KESTO"));
    setLinkMode(1);

    List1.KeyDown = [this](int &k, int s) { List1_KeyDown(k, s); };
    List1.MouseDown = [this](int b, int s, float x, float y) { List1_MouseDown(b, s, x, y); };
    List1.OLEStartDrag = [this](DataObject &d, int &e) { List1_OLEStartDrag(d, e); };
    List1.OLECompleteDrag = [this](int &e) { List1_OLECompleteDrag(e); };
    List1.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) { List1_OLEDragOver(d, e, b, s, x, y, st); };
    List1.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) { List1_OLEDragDrop(d, e, b, s, x, y); };
    Label3.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) { Label3_OLEDragOver(d, e, b, s, x, y, st); };
    Label3.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) { Label3_OLEDragDrop(d, e, b, s, x, y); };
    Label2.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) { Label2_OLEDragOver(d, e, b, s, x, y, st); };
    Label2.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) { Label2_OLEDragDrop(d, e, b, s, x, y); };
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Click = [this] { Dir1_Click(); };
    Dir1.Change = [this] { Dir1_Change(); };
    File1.DblClick = [this] { File1_DblClick(); };
    File1.KeyDown = [this](int &k, int s) { File1_KeyDown(k, s); };
    File1.MouseDown = [this](int b, int s, float x, float y) { File1_MouseDown(b, s, x, y); };
    File1.OLEStartDrag = [this](DataObject &d, int &e) { File1_OLEStartDrag(d, e); };
    Text2.KeyDown = [this](int &k, int s) { Text2_KeyDown(k, s); };
    menuFront.Click = [this] { menuFront_Click(); };
    menuDrop.Click = [this] { menuDrop_Click(); };
    menuEnd.Click = [this] { menuEnd_Click(); };
}

Form1::~Form1() = default;

MainModule &Form1::m() const { return app_.module(); }

// ---- life ----

void Form1::Form_Load()
{
    if (m().gvPath.isEmpty())
        Label2.setCaption(kNoGvPath);
    List1.setToolTipText(QString::fromUtf8("MouseDrag(左ボタンで選択・右ボタンでドラッグ)\n"
                                           "MouseDrop(CTRL+dropでフォルダーの下階層をも展開)\n"
                                           "MouseDrop(CTRL+dropで*.lstの中身に展開)"));
    Text2.setText(Dir1.Path());
    saveLayout();
}

void Form1::Form_Unload(int &cancel)
{
    Q_UNUSED(cancel);
    try {
        if (Text1.LinkMode() != 0)
            sendToGV(gvlink::exitGV(), gvEndBoundMs);
    } catch (const vb::RuntimeError &) {
        // Kesto ends all the same.
    }
    app_.End();
}

void Form1::menuEnd_Click() { Unload(); }

void Form1::menuFront_Click()
{
    menuFront.setChecked(!menuFront.Checked());
    ::setTopMost(*this, menuFront.Checked());
}

void Form1::menuDrop_Click()
{
    menuDrop.setChecked(!menuDrop.Checked());
    Form_Resize();
}

// ---- the Link topic ----

void Form1::Form_LinkOpen(int &cancel) { cancel = 0; }

void Form1::Form_LinkExecute(const QString &cmdStr, int &cancel)
{
    try {
        appendItem(List1, cmdStr);
        cancel = 0;
    } catch (const StopAppending &) {
        // A name beyond the limit is refused, so that the client learns it did not arrive.
        reportOverflow();
    }
}

// ---- messages ----

void Form1::report(const QString &text)
{
    shownReports << text;
    const bool first = pendingReports_.isEmpty();
    pendingReports_ << text;
    if (!first)
        return;
    // Shown once the event that caused them is over: a modal box inside a drop or a Link
    // execute would hold up the program on the other side.
    QTimer::singleShot(0, this, [this] {
        const QString all = pendingReports_.join(QStringLiteral("\r\n"));
        pendingReports_.clear();
        forms::MsgBox(all, 0, QStringLiteral("KESTO"));
    });
}

void Form1::reportOverflow()
{
    if (overflowReported_)
        return;
    overflowReported_ = true;
    report(QString::fromUtf8("Over Flow!(32000件)"));
}

// ---- keys on the list ----

void Form1::List1_KeyDown(int &keyCode, int shift)
{
    const bool ctrl = shift & forms::vbCtrlMask;
    try {
        if (ctrl && keyCode == forms::vbKeyC) {
            forms::Clipboard::SetText(selectedText());
        } else if (ctrl && keyCode == 'X') {
            forms::Clipboard::SetText(selectedText());
            removeSelected();
        } else if (ctrl && keyCode == 'V') {
            addTextLines(forms::Clipboard::GetText());
        } else if (ctrl && keyCode == 'Y') {
            removeSelected();
        } else if (!ctrl && keyCode == forms::vbKeyDelete) {
            removeSelected();
        }
    } catch (const StopAppending &) {
    }
}

// ---- dragging out of the list ----

void Form1::List1_MouseDown(int button, int, float, float)
{
    if (button == 2)
        List1.OLEDrag();
}

void Form1::List1_OLEStartDrag(DataObject &data, int &allowedEffects)
{
    // A drag with nothing selected would carry an empty text, which would empty the list file
    // it is dropped on: it starts nothing.
    if (List1.SelCount() == 0)
        return;
    allowedEffects |= forms::vbDropEffectCopy | forms::vbDropEffectMove;
    data.SetData(selectedText(), forms::vbCFText);
    dragged_ = List1.markSelected();
}

void Form1::List1_OLECompleteDrag(int &effect)
{
    // The items that were dragged leave the list, even when the selection changed meanwhile.
    if (effect == forms::vbDropEffectCopy || effect == forms::vbDropEffectMove) {
        List1.removeMarked(dragged_);
        overflowReported_ = false;
    }
    dragged_.clear();
    List1.SetFocus();
    updateCount();
}

// ---- drops ----

void Form1::List1_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    if (data.GetFormat(forms::vbCFFiles) || data.GetFormat(forms::vbCFText))
        effect &= forms::vbDropEffectCopy;
    else
        effect = forms::vbDropEffectNone;
}

void Form1::List1_OLEDragDrop(DataObject &data, int &effect, int, int shift, float, float)
{
    const bool ctrl = shift & forms::vbCtrlMask;
    try {
        if (data.GetFormat(forms::vbCFFiles)) {
            for (const QString &file : data.Files()) {
                const QString path = repairDrivePath(file);
                if (!path.endsWith(QLatin1String(".lst")))
                    addFolder(path, List1, ctrl);
                else if (ctrl)
                    DropFile(List1, path);
                else
                    appendItem(List1, path);
            }
        } else if (data.GetFormat(forms::vbCFText)) {
            const QString text = data.text();
            if (text == List1.Text())
                effect = forms::vbDropEffectNone;
            else
                addTextLines(text);
        }
    } catch (const StopAppending &) {
    }
    updateCount();
}

void Form1::Label3_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    List1_OLEDragOver(data, effect, 0, 0, 0, 0, 0);
}

void Form1::Label3_OLEDragDrop(DataObject &data, int &effect, int, int, float, float)
{
    if (data.GetFormat(forms::vbCFFiles)) {
        for (const QString &file : data.Files()) {
            outputFile = repairDrivePath(file);
            const int n = int(outputFile.size());
            // A long path is cut in two halves so that the label can wrap it.
            Label3.setCaption(n < 25 ? outputFile : outputFile.left(n / 2) + QLatin1Char(' ') + outputFile.mid(n / 2));
            appendLogLine(Text2, outputFile);
        }
        effect = forms::vbDropEffectCopy;
    } else if (fs::fileExists(outputFile)) {
        // Only what was written leaves the list.
        effect = writeOutputFile(data.text()) ? forms::vbDropEffectCopy : forms::vbDropEffectNone;
    } else {
        effect = forms::vbDropEffectNone;
    }
}

void Form1::Label2_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    if (data.GetFormat(forms::vbCFText))
        effect &= forms::vbDropEffectCopy;
    else
        effect = forms::vbDropEffectNone;
}

void Form1::Label2_OLEDragDrop(DataObject &data, int &effect, int, int, float, float)
{
    effect = callUpGV(data.text()) ? forms::vbDropEffectCopy : forms::vbDropEffectNone;
}
