// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/Form1.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Screen.h"
#include "platform/printer/printer.h"
#include "platform/shell/fs.h"
#include "platform/shell/shell.h"
#include "platform/sysinfo/sysinfo.h"
#include "tavlo/Form2.h"
#include "tavlo/FormPrn.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace tavlo {

using forms::Menu;
using vb::CInt;
using vb::CStr;

namespace {

// The canvas's picture before the first step: 320 x 240 pixels.
picture::Picture placeholderPicture()
{
    QImage img(320, 240, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 240);
    g.setColorAt(0, QColor(0xE8, 0xEC, 0xF2));
    g.setColorAt(1, QColor(0xB8, 0xC4, 0xD6));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(QColor(0x60, 0x70, 0x88), 2));
    p.drawRect(QRectF(8, 8, 304, 224));
    QFont f(forms::uiFontFamily());
    f.setPixelSize(36);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 60, 320, 60), Qt::AlignCenter, QStringLiteral("Tavlo"));
    f.setPixelSize(13);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 130, 320, 60), Qt::AlignCenter, QString::fromUtf8("次表示(+) で最初の絵を表示"));
    return picture::Picture::fromImage(img);
}

const QString kBadFile = QString::fromUtf8("ファイルが異常です。");

} // namespace

Form1::Form1(Tavlo &app)
    : Form(app.forms(), QStringLiteral("Form1"), 4845, 4380),
      Command1(*this, QStringLiteral("Command1")),
      Text1(*this, QStringLiteral("Text1")),
      Text3(*this, QStringLiteral("Text3")),
      Command3(*this, QStringLiteral("Command3")),
      Command2(*this, QStringLiteral("Command2")),
      Combo1(*this, QStringLiteral("Combo1")),
      Picture1(*this, QStringLiteral("Picture1")),
      VScroll1(*this, QStringLiteral("VScroll1"), Qt::Vertical),
      HScroll1(*this, QStringLiteral("HScroll1"), Qt::Horizontal),
      Line1(*this, QStringLiteral("Line1"), 0, 0, 4800, 0),
      Label1(*this, QStringLiteral("Label1")),
      menu1(*this, QStringLiteral("menu1"), QString::fromUtf8("ﾌｧｲﾙ(&F)")),
      menuKesto(*this, QStringLiteral("menuKesto"), QString::fromUtf8("Kestoサーバーの起動(&S)"), &menu1,
                QKeySequence(QStringLiteral("Ctrl+S"))),
      menu11(*this, QStringLiteral("menu11"), QString::fromUtf8("印刷"), &menu1,
             QKeySequence(QStringLiteral("Ctrl+P"))),
      menu12(*this, QStringLiteral("menu12"), QStringLiteral("-"), &menu1),
      menu13(*this, QStringLiteral("menu13"), QString::fromUtf8("全終了(&X)"), &menu1,
             QKeySequence(QStringLiteral("Ctrl+Q"))),
      menu3(*this, QStringLiteral("menu3"), QStringLiteral("copy(&C)")),
      menu4(*this, QStringLiteral("menu4"), QStringLiteral("copyAll(&A)")),
      menu5(*this, QStringLiteral("menu5"), QString::fromUtf8("NewSub表示(&N)")),
      app_(app)
{
    setCaption(QStringLiteral("Form1"));

    Command1.Move(0, 60, 1095, 375);
    Command1.setCaption(QString::fromUtf8("次表示(+)"));
    Text1.Move(1200, 60, 500, 270);
    Text3.Move(1920, 60, 500, 270);
    Text3.setText(QStringLiteral("0"));
    Command3.Move(2520, 60, 1095, 375);
    Command3.setCaption(QString::fromUtf8("前表示(-)"));
    Command2.Move(3720, 60, 1095, 375);
    Command2.setCaption(QString::fromUtf8("Sub表示(ESC)"));
    Combo1.Move(0, 480, 4815, 300);
    Picture1.setAutoSize(true);
    Picture1.Move(0, 480, 4860, 3660);
    Picture1.setPicture(placeholderPicture());
    // The bars show once a picture needs them.
    VScroll1.Move(4560, 480, 255, 3615);
    VScroll1.setVisible(false);
    HScroll1.Move(15, 4125, 4575, 255);
    HScroll1.setVisible(false);
    Label1.Move(4920, 120, 4200, 255);
    Label1.setCaption(QString::fromUtf8("Mouse(WordへDrag・listやexploreからDrop)"));
    // The canvas lies under the chooser and the scroll bars.
    Picture1.ZOrder(1);

    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command1.KeyDown = [this](int &k, int s) { Command1_KeyDown(k, s); };
    Command2.KeyDown = [this](int &k, int s) { Command2_KeyDown(k, s); };
    Command3.KeyDown = [this](int &k, int s) { Command3_KeyDown(k, s); };
    HScroll1.KeyDown = [this](int &k, int s) { HScroll1_KeyDown(k, s); };
    VScroll1.KeyDown = [this](int &k, int s) { VScroll1_KeyDown(k, s); };
    Picture1.KeyPress = [this](int &a) { Picture1_KeyPress(a); };
    Text1.KeyDown = [this](int &k, int s) { Text1_KeyDown(k, s); };
    Text1.LostFocus = [this] { Text1_LostFocus(); };
    Text1.Change = [this] { Text1_Change(); };
    Combo1.Click = [this] { Combo1_Click(); };
    Combo1.KeyDown = [this](int &k, int s) { Combo1_KeyDown(k, s); };
    HScroll1.Change = [this] { HScroll1_Change(); };
    HScroll1.Scroll = [this] { HScroll1_Scroll(); };
    VScroll1.Change = [this] { VScroll1_Change(); };
    VScroll1.Scroll = [this] { VScroll1_Scroll(); };
    menuKesto.Click = [this] { menuKesto_Click(); };
    menu11.Click = [this] { menu11_Click(); };
    menu13.Click = [this] { menu13_Click(); };
    menu3.Click = [this] { menu3_Click(); };
    menu4.Click = [this] { menu4_Click(); };
    menu5.Click = [this] { menu5_Click(); };
    setOLEDropMode(1);
    Picture1.setOLEDropMode(1);
    Picture1.MouseDown = [this](int b, int s, float x, float y) { Picture1_MouseDown(b, s, x, y); };
    Picture1.OLEStartDrag = [this](forms::DataObject &d, int &e) { Picture1_OLEStartDrag(d, e); };
    Picture1.OLECompleteDrag = [this](int &e) { Picture1_OLECompleteDrag(e); };
    Picture1.OLEDragOver = [this](forms::DataObject &d, int &e, int b, int s, float x, float y, int state) {
        Picture1_OLEDragOver(d, e, b, s, x, y, state);
    };
    Picture1.OLEDragDrop = [this](forms::DataObject &d, int &e, int b, int s, float x, float y) {
        Picture1_OLEDragDrop(d, e, b, s, x, y);
    };
    QObject::connect(&app.sysInfo(), &sysinfo::SystemInfo::displayChanged, this, [this] { SysInfo1_DisplayChanged(); });
}

MainModule &Form1::m() const { return app_.module(); }

// ---- life ----

void Form1::Form_Load()
{
    MainModule &mm = m();
    mm.listCount = 0;
    if (mm.cmdArgs.argCount > 0)
        mm.openCommandLine();
    if (mm.indexFromBoard)
        newBoard();
    else
        mm.subForm = &app_.form2();
    mm.indexFromBoard = vb::False;
    Text3.setText(CStr(mm.fileCount));
    Text1.setText(CStr(mm.curIndex + 1));
}

void Form1::Form_Unload(int &cancel)
{
    Q_UNUSED(cancel);
    // With an icon board open the program goes on without its main window.
    if (!m().FindForm(QStringLiteral("Form2")))
        app_.End();
}

void Form1::menu13_Click()
{
    forms::DoEvents();
    const std::vector<forms::Form *> windows = app_.forms().all();
    for (forms::Form *f : windows) {
        f->Unload();
        forms::DoEvents();
    }
    app_.End();
}

// ---- showing a picture ----

void Form1::showStep(int step)
{
    MainModule &mm = m();
    if (mm.fileCount < 1)
        return;
    try {
        // Worked out in 32 bits: every 16-bit slot and step gives a slot of the list.
        int r = (int(mm.curIndex) + int(mm.fileCount) + step) % int(mm.fileCount);
        if (r < 0)
            r += mm.fileCount;
        mm.curIndex = r;
        const QString &name = mm.fileNames[static_cast<size_t>(r)];
        setCaption(name);
        mm.indexFromBoard = vb::False;
        Text1.setText(CStr(r + 1));
        Picture1.setPicture(picture::loadPicture(name));
        forms::DoEvents();
        Picture1.setVisible(true);
        const qint16 list = mm.listOfFile[static_cast<size_t>(mm.curIndex)];
        if (list >= 0)
            Combo1.setText(Combo1.List(list));
        layoutWindow();
    } catch (const vb::RuntimeError &) {
        reportBadPicture();
    }
}

void Form1::reportBadPicture()
{
    MainModule &mm = m();
    Picture1.setPicture(picture::Picture());
    Picture1.setVisible(true);
    const int i = mm.curIndex;
    const QString name = i >= 0 && i < mm.fileCount ? mm.fileNames[static_cast<size_t>(i)] : QString();
    app_.showMessage(name + QStringLiteral("\r\n") + kBadFile);
}

// ---- navigation ----

void Form1::Command1_Click()
{
    m().stepDir = 1;
    VScroll1.setValue(0);
    showStep(1);
}

void Form1::Command3_Click()
{
    m().stepDir = -1;
    VScroll1.setValue(0);
    showStep(-1);
}

void Form1::Form_Click()
{
    if (HScroll1.Visible())
        return;
    MainModule &mm = m();
    if (mm.stepDir == -1) {
        Command3.SetFocus();
        showStep(-1);
    } else if (mm.stepDir == 1) {
        Command1.SetFocus();
        showStep(1);
    } else {
        Command1.SetFocus();
        mm.stepDir = 1;
    }
}

void Form1::Picture1_KeyPress(int &keyAscii)
{
    if (keyAscii == '-') {
        Command3.SetFocus();
        showStep(-1);
    } else {
        Command1.SetFocus();
        showStep(1);
    }
}

void Form1::handleKey(int keyCode)
{
    switch (keyCode) {
    case forms::vbKeyAdd:
        Command1.SetFocus();
        Command1_Click();
        break;
    case forms::vbKeySubtract:
        Command3.SetFocus();
        Command3_Click();
        break;
    case forms::vbKeyEscape: Command2_Click(); break;
    case forms::vbKeyC: copy(); break;
    case forms::vbKeyA: copyAll(); break;
    default: break;
    }
}

void Form1::Command1_KeyDown(int &keyCode, int) { handleKey(keyCode); }
void Form1::Command2_KeyDown(int &keyCode, int) { handleKey(keyCode); }
void Form1::Command3_KeyDown(int &keyCode, int) { handleKey(keyCode); }
void Form1::HScroll1_KeyDown(int &keyCode, int) { handleKey(keyCode); }
void Form1::VScroll1_KeyDown(int &keyCode, int) { handleKey(keyCode); }

void Form1::setIndexFromTyped(double v)
{
    MainModule &mm = m();
    if (std::isfinite(v) && v >= -32768.5 && v < 32767.5) {
        mm.curIndex = CInt(v);
    } else if (std::isfinite(v) && mm.fileCount > 0) {
        const double n = mm.fileCount;
        double r = std::fmod(std::nearbyint(v), n);
        if (r < 0)
            r += n;
        mm.curIndex = CInt(r);
    }
}

// Val of a typed text; a number too large even for a double counts as no number.
static double typedValue(const QString &text, bool *ok)
{
    try {
        *ok = true;
        return vb::Val(text);
    } catch (const vb::RuntimeError &) {
        *ok = false;
        return 0;
    }
}

void Form1::Text1_KeyDown(int &keyCode, int)
{
    if (keyCode != forms::vbKeyReturn)
        return;
    MainModule &mm = m();
    bool ok;
    const double v = typedValue(Text1.Text(), &ok) - 1;
    if (!ok)
        return;
    if (v != double(mm.curIndex)) {
        setIndexFromTyped(v);
        VScroll1.setValue(0);
        showStep(0);
    } else if (mm.stepDir < 0) {
        showStep(-1);
        Command3.SetFocus();
    } else {
        showStep(1);
        Command1.SetFocus();
    }
}

void Form1::Text1_LostFocus()
{
    bool ok;
    const double v = typedValue(Text1.Text(), &ok) - 1;
    if (!ok)
        return;
    setIndexFromTyped(v);
    showStep(0);
}

void Form1::Text1_Change()
{
    MainModule &mm = m();
    if (!mm.indexFromBoard)
        return;
    bool ok;
    const double v = typedValue(Text1.Text(), &ok);
    if (!ok)
        return;
    setIndexFromTyped(v);
    VScroll1.setValue(0);
    showStep(0);
}

void Form1::Combo1_Click()
{
    MainModule &mm = m();
    const int chosen = Combo1.ListIndex();
    int i = 0;
    while (i < mm.fileCount && mm.listOfFile[static_cast<size_t>(i)] != chosen)
        ++i;
    mm.curIndex = i;
    showStep(0);
    VScroll1.setValue(0);
    Command1.SetFocus();
}

void Form1::Combo1_KeyDown(int &keyCode, int)
{
    if (keyCode != forms::vbKeyReturn)
        return;
    MainModule &mm = m();
    const QString typed = Combo1.Text();
    bool known = false;
    for (int i = 0; i < Combo1.ListCount() && !known; ++i)
        known = Combo1.List(i) == typed;
    if (!known) {
        const vb::Integer oldCount = mm.fileCount;
        if (mm.ReadListFile(typed) == 0) {
            Combo1.AddItem(typed);
            mm.curIndex = oldCount;
            Text3.setText(CStr(mm.fileCount));
            Text1.setText(CStr(mm.curIndex + 1));
            VScroll1.setValue(0);
            showStep(0);
        }
    }
    Command1.SetFocus();
}

// ---- commands ----

void Form1::menuKesto_Click()
{
    const QString &path = m().kestoPath;
    if (path.isEmpty() || !fs::fileExists(path))
        return;
    try {
        app_.launcher().start(path, {}, shell::vbNormalFocus);
    } catch (const vb::RuntimeError &) {
        // Tavlo neither waits for Kesto nor checks that it started.
    }
}

void Form1::menu11_Click()
{
    MainModule &mm = m();
    // Nothing is shown yet: there is no picture of the list to print.
    if (mm.curIndex < 0 || mm.curIndex >= mm.fileCount)
        return;
    FormPrn &prn = app_.formPrn();
    float h = Picture1.Height(), w = Picture1.Width();
    const QString ext = mm.fileNames[static_cast<size_t>(mm.curIndex)].right(4).toLower();
    if (ext == QLatin1String(".ico") || ext == QLatin1String(".cur")) {
        h *= 2;
        w *= 2;
    }
    prn.Image1.setHeight(h);
    prn.Image1.setWidth(w);
    prn.setHeight(prn.Image1.Height() + 400);
    prn.setWidth(prn.Image1.Width() + 120);
    prn.Image1.setPicture(Picture1.Picture());
    app_.reportPrint(prn.PrintForm());
}

QString Form1::ShowFileList(const QString &folderspec)
{
    QString s;
    for (const QString &name : fs::folderFiles(folderspec))
        s += name + QStringLiteral("\r\n");
    forms::MsgBox(s, 0);
    return folderspec;
}

} // namespace tavlo
