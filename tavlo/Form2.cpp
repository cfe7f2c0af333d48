// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/Form2.h"

#include "gvlink/gvlink.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/printer/printer.h"
#include "tavlo/Form1.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"
#include "tavlo/modlessMsgBox.h"

#include <algorithm>

namespace tavlo {

using forms::Menu;

namespace {

const QString kBusy = QString::fromUtf8("現在再配置作業中");
const QString kDeleteOff = QString::fromUtf8("クリックでアイコン削除するモードOFF(&W)です");
const QString kDeleteOn = QString::fromUtf8("クリックでアイコン削除するモードON(&W)です");
const QString kJournalOff = QString::fromUtf8("クリックでKestoへジャーナル作成するモードOFF(&J)です");
const QString kJournalOn = QString::fromUtf8("クリックでKestoへジャーナル作成するモードON(&J)です");
const QString kArrangeMode = QString::fromUtf8("配置修正モードです(&D)");
const QString kFileDragMode = QString::fromUtf8("ファイル名Dragモードです(&D)");

// The design client area and place of a board; the main window moves and sizes new boards.
constexpr float kDesignWidth = 9000, kDesignHeight = 6000;
constexpr float kDesignLeft = 4800, kDesignTop = 1200;
constexpr float kBarGap = 260; // the container and the bar share the width less this

QKeySequence ctrl(char key) { return QKeySequence(Qt::CTRL | Qt::Key(key)); }

} // namespace

Form2::Form2(Tavlo &app)
    : Form(app.forms(), QStringLiteral("Form2"), kDesignWidth, kDesignHeight),
      Picture1(*this, QStringLiteral("Picture1")),
      VScroll1(*this, QStringLiteral("VScroll1"), Qt::Vertical),
      Image1(*this, QStringLiteral("Image1"), &Picture1),
      Text1(*this, QStringLiteral("Text1")),
      Text2(*this, QStringLiteral("Text2")),
      Timer1(*this, QStringLiteral("Timer1")),
      menu1(*this, QStringLiteral("menu1"), QString::fromUtf8("ファイル(&F)")),
      menu11k(*this, QStringLiteral("menu11k"), QString::fromUtf8("紙幅で印刷(&K)"), &menu1, ctrl('K')),
      menu11(*this, QStringLiteral("menu11"), QString::fromUtf8("原寸で印刷(&P)"), &menu1, ctrl('P')),
      menu12(*this, QStringLiteral("menu12"), QString::fromUtf8("辺々を各2倍印刷(&B)"), &menu1, ctrl('B')),
      menu90(*this, QStringLiteral("menu90"), QStringLiteral("-"), &menu1),
      menu13(*this, QStringLiteral("menu13"), kDeleteOff, &menu1, ctrl('W')),
      menu14(*this, QStringLiteral("menu14"), kJournalOff, &menu1, ctrl('J')),
      menu91(*this, QStringLiteral("menu91"), QStringLiteral("-"), &menu1),
      menu19(*this, QStringLiteral("menu19"), QString::fromUtf8("終了"), &menu1, ctrl('X')),
      menu2(*this, QStringLiteral("menu2"), kArrangeMode),
      menu3(*this, QStringLiteral("menu3"), QString::fromUtf8("縮小サイズ(&S)")),
      menu4(*this, QStringLiteral("menu4"), QString::fromUtf8("Form1表示(&R)")),
      menuRelocate(*this, QStringLiteral("menuRelocate"), QString::fromUtf8("再配置(&H)")),
      menu5(*this, QStringLiteral("menu5"), QString::fromUtf8("自動再配置(&A)"), &menuRelocate, ctrl('A')),
      menu6(*this, QStringLiteral("menu6"), QString::fromUtf8("縦横比順配置(&T)"), &menuRelocate, ctrl('T')),
      menu7(*this, QStringLiteral("menu7"), QString::fromUtf8("面積・リスト順(&S)"), &menuRelocate, ctrl('M')),
      menu8(*this, QStringLiteral("menu8"), QString::fromUtf8("リスト・面積順(&L)"), &menuRelocate, ctrl('L')),
      menuKesto(*this, QStringLiteral("menuKesto"), QString::fromUtf8("Kestoへ全て転送する(&A)")),
      menuShow(*this, QStringLiteral("menuShow"), QStringLiteral("Show Me By GV(&G)")),
      menuStopGV(*this, QStringLiteral("menuStopGV"), QStringLiteral("StopGV(&I)")),
      app_(app)
{
    setCaption(QStringLiteral("Form2-0"));
    Move(kDesignLeft, kDesignTop);

    Picture1.setBorderStyle(0);
    Picture1.Move(0, 0, kDesignWidth - kBarGap, kDesignHeight);
    VScroll1.Move(kDesignWidth - kBarGap, 0, 255, kDesignHeight);
    // Element 0 is the first empty slot: hidden until a picture fills it.
    Image1(0).setStretch(true);
    Image1(0).Move(0, 0, 1500, 1500);
    Image1(0).setVisible(false);
    Text1.setText(QStringLiteral("TextBox For DDE Link GV"));
    Text1.setVisible(false);
    Text2.setText(QStringLiteral("TextBox For DDE Link Kesto"));
    Text2.setLinkTopic(QStringLiteral("KESTO|KESTO"));
    Text2.setVisible(false);
    Timer1.setEnabled(false);

    static const char *const sizes[kSizeItems] = {"size1(&1)", "size2(&2)", "size3(&3)", "size4(&4)",
                                                  "size5(&5)", "size6(&6)", "size7(&7)", "size8(&8)",
                                                  "size1/16",  "size1/4",   "size1/2"};
    for (int i = 1; i <= kSizeItems; ++i) {
        menu3s[size_t(i)] = std::make_unique<Menu>(*this, QStringLiteral("menu3s"), QString::fromLatin1(sizes[i - 1]),
                                                   &menu3, QKeySequence(), i);
        menu3s[size_t(i)]->Click = [this, i] { menu3s_Click(i); };
    }
    menu3s[5]->setChecked(true);

    VScroll1.Change = [this] { VScroll1_Change(); };
    VScroll1.Scroll = [this] { VScroll1_Scroll(); };
    menu11k.Click = [this] { menu11k_Click(); };
    menu11.Click = [this] { menu11_Click(); };
    menu12.Click = [this] { menu12_Click(); };
    menu13.Click = [this] { menu13_Click(); };
    menu14.Click = [this] { menu14_Click(); };
    menu19.Click = [this] { menu19_Click(); };
    menu2.Click = [this] { menu2_Click(); };
    menu4.Click = [this] { menu4_Click(); };
    menu5.Click = [this] { menu5_Click(); };
    menu6.Click = [this] { menu6_Click(); };
    menu7.Click = [this] { menu7_Click(); };
    menu8.Click = [this] { menu8_Click(); };
    menuKesto.Click = [this] { menuKesto_Click(); };
    menuShow.Click = [this] { menuShow_Click(); };
    menuStopGV.Click = [this] { menuStopGV_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Image1.MouseDown = [this](int i, int b, int sh, float x, float y) { Image1_MouseDown(i, b, sh, x, y); };
    Image1.Click = [this](int i) { Image1_Click(i); };
    Image1.DblClick = [this](int i) { Image1_DblClick(i); };
    Image1.DragDrop = [this](int i, forms::Control &src, float x, float y) { Image1_DragDrop(i, src, x, y); };
    Image1.OLEStartDrag = [this](int i, forms::DataObject &d, int &e) { Image1_OLEStartDrag(i, d, e); };
    Image1.OLECompleteDrag = [this](int i, int &e) { Image1_OLECompleteDrag(i, e); };
    Picture1.DragDrop = [this](forms::Control &src, float x, float y) { Picture1_DragDrop(src, x, y); };
}

Form2::~Form2() = default;

MainModule &Form2::m() const { return app_.module(); }

// ---- life ----

void Form2::Form_Load()
{
    selectSize(0);
    fileDragMode = false;
    KeyPreview = true;
    gvShownIdx = -1;
}

void Form2::Form_Activate()
{
    try {
        if (gvShownIdx >= 0) {
            execGV(gvlink::clipCopyViewImage());
            gvShownIdx = -1;
        }
        VScroll1_Change();
    } catch (const vb::RuntimeError &) {
        // An error during activation ends it quietly.
    }
}

void Form2::Form_Resize()
{
    // A window narrower than the bar's share leaves the container no width, not an error.
    Picture1.setWidth(std::max(0.0f, ScaleWidth() - kBarGap));
    VScroll1.setLeft(ScaleWidth() - kBarGap);
    VScroll1.setHeight(ScaleHeight());
    VScroll1_Change();
}

void Form2::leaveAsCurrentBoard()
{
    MainModule &mm = m();
    if (mm.subForm == this) {
        mm.subForm = nullptr;
        mm.subShown = vb::True;
    }
}

void Form2::Form_QueryUnload(int &, int) { leaveAsCurrentBoard(); }

void Form2::Form_Unload(int &)
{
    stopShow = true;
    leaveAsCurrentBoard();
    if (Text1.LinkMode() != 0) {
        execGV(gvlink::exitGV());
        try {
            Text1.setLinkMode(0);
        } catch (const vb::RuntimeError &) {
            // GV went away first: the link is closed either way, and the unload goes on.
        }
    }
    if (m().FindForm(QStringLiteral("modlessMsgBox")))
        app_.msgBox().Unload();
    m().rowStart = 0;
}

void Form2::menu19_Click() { Unload(); }

// ---- scrolling ----

void Form2::VScroll1_Change()
{
    const double inner = Picture1.ScaleHeight(), window = ScaleHeight();
    // A container lower than the window has nothing hidden: it stays at the top.
    const double extra = std::max(0.0, inner - window);
    double unit = Image1(0).Height();
    if (unit == 0)
        unit = 150;
    if (inner > 6 * window) {
        // A quarter of an icon per step; a range beyond 16 bits takes larger steps.
        unit = std::max(unit, extra * 4 / 32767);
        VScroll1.setMax(vb::CInt(extra * 4 / unit));
        VScroll1.setLargeChange(4);
        VScroll1.setSmallChange(1);
        Picture1.setTop(float(-VScroll1.Value() * unit / 4 - 100));
    } else {
        VScroll1.setMax(1000);
        VScroll1.setLargeChange(100);
        VScroll1.setSmallChange(20);
        Picture1.setTop(float(-VScroll1.Value() * extra / 1000));
    }
}

void Form2::VScroll1_Scroll() { VScroll1_Change(); }

// ---- keys and modes ----

void Form2::Form_KeyDown(int &keyCode, int)
{
    switch (keyCode) {
    case forms::vbKeyD: menu2_Click(); break;
    case forms::vbKeyR: menu4_Click(); break;
    case forms::vbKeyEscape:
        if (app_.forms().count() > 1 && m().FindForm(QStringLiteral("Form1")) && !app_.form1().Visible())
            app_.form1().Show();
        break;
    default: break;
    }
}

void Form2::menu2_Click()
{
    fileDragMode = !fileDragMode;
    menu2.setCaption(fileDragMode ? kFileDragMode : kArrangeMode);
}

void Form2::menu13_Click()
{
    deleteMode = !deleteMode;
    menu13.setCaption(deleteMode ? kDeleteOn : kDeleteOff);
}

void Form2::menu14_Click()
{
    journalMode = !journalMode;
    menu14.setCaption(journalMode ? kJournalOn : kJournalOff);
}

void Form2::menu4_Click()
{
    try {
        MainModule &mm = m();
        if (mm.FindForm(QStringLiteral("Form1"))) {
            app_.form1().setWindowState(forms::vbNormal);
        } else {
            Form1 &f = app_.form1();
            f.Load();
            f.Text1.setText(vb::Str(mm.fileCount));
        }
        app_.form1().Show();
    } catch (const vb::RuntimeError &) {
        forms::End();
    }
}

// ---- sizes ----

void Form2::menu3s_Click(int index) { selectSize(index); }

void Form2::selectSize(int index)
{
    MainModule &mm = m();
    int wasChecked = 0;
    for (int i = 1; i <= kSizeItems; ++i) {
        if (menu3s[size_t(i)]->Checked())
            wasChecked = i;
        menu3s[size_t(i)]->setChecked(false);
    }
    if (index == 0) {
        for (int i = 1; i <= kSizeItems; ++i)
            if (sizeTable(i) == double(mm.iconArea)) {
                menu3s[size_t(i)]->setChecked(true);
                return;
            }
        if (wasChecked == 0)
            return;
        index = wasChecked;
    }
    const double entry = sizeTable(index);
    mm.iconArea = float(entry >= 1 ? entry : double(ScaleWidth()) * double(ScaleHeight()) * entry);
    menu3s[size_t(index)]->setChecked(true);
}

// ---- relocation ----

void Form2::menu5_Click() { relocate(1); }
void Form2::menu6_Click() { relocate(4); }
void Form2::menu7_Click() { relocate(5); }
void Form2::menu8_Click() { relocate(6); }

void Form2::showMessageBeside(const QString &text)
{
    modlessMsgBox &box = app_.msgBox();
    box.Move(Left() + 300, Top() - 300);
    box.Text1.setText(text);
    box.Show();
}

void Form2::relocate(int order)
{
    if (busy) {
        showMessageBeside(kBusy);
        return;
    }
    busy = true;
    try {
        relocateIcons(order);
    } catch (...) {
        busy = false;
        throw;
    }
    busy = false;
    if (m().FindForm(QStringLiteral("modlessMsgBox")))
        app_.msgBox().Unload();
    forms::DoEvents();
}

void Form2::relocateIcons(int order)
{
    // The icons to pack: the visible ones in index order. A board holds no more icons than a
    // record array has records; should it ever, the icons beyond stay where they are.
    auto sorted = std::make_unique<IconRecs>();
    int n = 0;
    for (int i : Image1.indexes()) {
        if (n == kIconRecSlots)
            break;
        if (Image1(i).Visible())
            AddIconRec(*sorted, n++, *this, i);
    }
    if (n == 0)
        return;
    switch (order) {
    case 4: sortByAspect(*sorted, n, 0); break;
    case 5: sortByArea(*sorted, n, 0); break;
    case 6: sortByList(*sorted, n, 0); break;
    default: sortByPosition(*sorted, n, 0); break;
    }

    constexpr float gapV = 1, gapH = 1;
    const float rightLimit = Width() - VScroll1.Width() - 50;
    forms::Image *first = &Image1((*sorted)[0].iconIndex);
    first->Move(0, 0);
    AddIconRec(placed, 0, *this, first->Index());
    forms::Image *rowHead = first;
    float maxBottom = first->Top() + first->Height();

    for (int k = 1; k < n; ++k) {
        forms::Image &prev = Image1(placed[size_t(k - 1)].iconIndex);
        forms::Image &cur = Image1((*sorted)[size_t(k)].iconIndex);
        if (prev.Top() < Picture1.Top())
            prev.setTop(Picture1.Top());
        if (prev.Left() < Picture1.Left())
            prev.setLeft(Picture1.Left());
        cur.setVisible(false);
        if (prev.Top() + prev.Height() + gapV + cur.Height() <= maxBottom) {
            cur.Move(prev.Left(), prev.Top() + prev.Height() + gapV);
        } else {
            cur.Move(prev.Left() + prev.Width() + gapH, rowHead->Top() + gapV);
        }
        if (cur.Left() + cur.Width() > rightLimit) {
            cur.Move(0, rowHead->Top() + rowHead->Height() + gapV);
            rowHead = &cur;
        }
        sortByPosition(placed, k, 0);
        for (int p; (p = findOverlap(*this, cur, placed, k)) >= 0;) {
            const forms::Image &below = Image1(placed[size_t(p)].iconIndex);
            cur.setTop(below.Top() + below.Height() + gapV);
            forms::yieldEvents();
        }
        if (cur.Top() + cur.Height() > maxBottom)
            maxBottom = cur.Top() + cur.Height();
        forms::yieldEvents();
        AddIconRec(placed, k, *this, cur.Index());
        cur.setVisible(true);
    }
    Picture1.setHeight(maxBottom + 200);
    Form_Resize();
    m().boardIconCount = 0;
}

// ---- printing ----

int Form2::recordVisibleIcons()
{
    int n = 0;
    for (int i : Image1.indexes()) {
        if (n == kIconRecSlots)
            break;
        if (Image1(i).Visible())
            AddIconRec(placed, n++, *this, i);
    }
    sortByPosition(placed, n, 0);
    return n;
}

void Form2::menu11k_Click() { printBoard(0); }
void Form2::menu11_Click() { printBoard(1); }
void Form2::menu12_Click() { printBoard(2); }

void Form2::printBoard(int mode)
{
    printer::Printer &p = app_.printer();
    const int n = recordVisibleIcons();
    // Events run between icons, and may rebuild the records: print from this copy.
    const IconRecs order = placed;
    printScale = mode != 0 ? float(mode) : p.pageWidth() / std::max(1.0f, Picture1.ScaleWidth());
    pageTop = 0;
    bool drawn = true;
    for (int i = 0; i < n && drawn; ++i) {
        if (!Image1.exists(order[size_t(i)].iconIndex))
            continue;
        const forms::Image &k = Image1(order[size_t(i)].iconIndex);
        if (p.pageHeight() < (k.Top() - pageTop + k.Height()) * printScale) {
            drawn = p.newPage();
            pageTop = k.Top();
        }
        drawn = drawn && p.paintPicture(k.Picture(), QRectF(k.Left() * printScale, (k.Top() - pageTop) * printScale,
                                                            k.Width() * printScale, k.Height() * printScale));
        forms::DoEvents();
    }
    const bool ended = p.endDoc();
    app_.reportPrint(drawn && ended);
}

} // namespace tavlo
