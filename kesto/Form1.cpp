// SPDX-License-Identifier: GPL-2.0-or-later
#include "kesto/Form1.h"

#include "common/DeleteQUOTE.h"
#include "common/Lines.h"
#include "gvlink/gvlink.h"
#include "kesto/Kesto.h"
#include "kesto/MainModule.h"
#include "kesto/TopOnForms.h"
#include "platform/cp932/cp932.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyCodes.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QColor>
#include <QMap>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace kesto {

using forms::DataObject;

namespace {

const QString kLabel2Text = QString::fromUtf8("下のリストからここへDropするとGVでファイル変換できます");
const QString kLabel3Text =
    QString::fromUtf8("下のリストで「上書き出力」する(拡張子.LST)ファイルをドロップしてください");
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
      menuEnd(*this, QStringLiteral("menuEnd"), QString::fromUtf8("終了(&X)"), &menuFile,
              QKeySequence(QStringLiteral("Ctrl+Q"))),
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
    List1.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) {
        List1_OLEDragOver(d, e, b, s, x, y, st);
    };
    List1.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) {
        List1_OLEDragDrop(d, e, b, s, x, y);
    };
    Label3.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) {
        Label3_OLEDragOver(d, e, b, s, x, y, st);
    };
    Label3.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) {
        Label3_OLEDragDrop(d, e, b, s, x, y);
    };
    Label2.OLEDragOver = [this](DataObject &d, int &e, int b, int s, float x, float y, int st) {
        Label2_OLEDragOver(d, e, b, s, x, y, st);
    };
    Label2.OLEDragDrop = [this](DataObject &d, int &e, int b, int s, float x, float y) {
        Label2_OLEDragDrop(d, e, b, s, x, y);
    };
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
    kesto::setTopMost(*this, menuFront.Checked());
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
    // Shown once the event that caused them is over: a modal box inside a drop or a Link
    // execute would hold up the program on the other side. While this window's own drag runs,
    // they wait for its end.
    if (first && !draggingOut_)
        showReports();
}

void Form1::showReports()
{
    QTimer::singleShot(0, this, [this] {
        if (pendingReports_.isEmpty())
            return;
        const QString all = pendingReports_.join(QStringLiteral("\r\n"));
        pendingReports_.clear();
        forms::MsgBox(all, 0, QStringLiteral("KESTO"));
    });
}

void Form1::reportLeftOut()
{
    if (leftOut_ == 0)
        return;
    report(QString::fromUtf8(
               "%1件の名前は文字として読めないバイトを含むため、加えませんでした(別の名前に変わってしまうため)。")
               .arg(leftOut_));
    leftOut_ = 0;
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
            // Only what the clipboard holds as it was leaves the list.
            forms::ListBox::Marks sent;
            forms::Clipboard::SetText(selectedText(&sent));
            List1.removeMarked(sent);
            overflowReported_ = false;
            Label1.setCaption(vb::CStr(List1.ListCount()));
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
    dragged_.clear();
    heldBack_.clear();
    heldBackTold_ = false;
    ownTaken_.reset();
    draggingOut_ = true; // messages wait for the drag's end
    const QString text = selectedText(&dragged_, &heldBack_);
    if (dragged_.empty()) {
        draggingOut_ = false;
        reportHeldBack(int(heldBack_.size()));
        heldBack_.clear();
        return;
    }
    allowedEffects |= forms::vbDropEffectCopy | forms::vbDropEffectMove;
    data.SetData(text, forms::vbCFText);
}

void Form1::List1_OLECompleteDrag(int &effect)
{
    // The items that were dragged leave the list, even when the selection changed meanwhile;
    // after a drop here that took only some of them, only those.
    forms::ListBox::Marks gone, kept = heldBack_;
    if (effect == forms::vbDropEffectCopy || effect == forms::vbDropEffectMove) {
        gone = dragged_;
    } else if (ownTaken_) {
        for (size_t k = 0; k < dragged_.size(); ++k)
            (k < ownTaken_->size() && (*ownTaken_)[k] ? gone : kept).push_back(dragged_[k]);
    }
    if (!gone.empty()) {
        List1.removeMarked(gone);
        overflowReported_ = false;
    }
    // What stayed behind stays selected, ready for another try.
    for (const QPersistentModelIndex &m : kept)
        if (m.isValid())
            List1.setSelected(m.row(), true);
    if (!heldBackTold_)
        reportHeldBack(int(heldBack_.size()));
    dragged_.clear();
    heldBack_.clear();
    ownTaken_.reset();
    draggingOut_ = false;
    if (!pendingReports_.isEmpty())
        showReports();
    List1.SetFocus();
    updateCount();
}

// ---- drops ----

void Form1::List1_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    if (data.GetFormat(forms::vbCFFiles)) {
        effect &= forms::vbDropEffectCopy;
    } else if (data.GetFormat(forms::vbCFText)) {
        effect &= forms::vbDropEffectCopy;
        // A program that drags from elsewhere learns only this answer, not the drop's: names
        // that would not all fit are refused here, so that it keeps them.
        if (!draggingOut_ && effect != forms::vbDropEffectNone && !overCheck(data.text(), 1))
            effect = forms::vbDropEffectNone;
    } else {
        effect = forms::vbDropEffectNone;
    }
}

bool Form1::overCheck(const QString &text, int target)
{
    // A drag-over comes at every move of the pointer: the verdict on one text is kept.
    if (overTarget_ == target && overText_ == text && overCount_ == List1.ListCount() &&
        overFile_ == fs::stampOf(outputFile))
        return overVerdict_;
    overTarget_ = target;
    overText_ = text;
    overCount_ = List1.ListCount();
    overFile_ = fs::stampOf(outputFile);
    if (target == 1) {
        const QStringList lines = common::closedLines(text);
        const auto names = std::count_if(lines.cbegin(), lines.cend(), [](const QString &l) { return !l.isEmpty(); });
        overVerdict_ = overCount_ + names <= kListLimit && !common::endsOpen(text);
    } else {
        QStringList lines;
        const QStringList problems = listLineProblems(text, &lines);
        overVerdict_ = overFile_.regular &&
                       std::all_of(problems.cbegin(), problems.cend(), [](const QString &p) { return p.isEmpty(); });
    }
    return overVerdict_;
}

QStringList Form1::droppedFiles(const DataObject &data)
{
    QStringList out;
    for (const QUrl &url : data.mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        // Bytes that are not UTF-8 come out as U+FFFD: that text names another file.
        if (path.contains(QChar::ReplacementCharacter) &&
            !fs::representable(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()))) {
            ++leftOut_;
            continue;
        }
        out << path;
    }
    return out;
}

void Form1::settleDrop(const std::vector<bool> &taken, int &effect)
{
    if (std::all_of(taken.begin(), taken.end(), [](bool t) { return t; })) {
        effect = forms::vbDropEffectCopy;
        return;
    }
    // The source keeps everything: a name twice is better than a name lost.
    effect = forms::vbDropEffectNone;
    if (draggingOut_)
        ownTaken_ = taken;
}

void Form1::List1_OLEDragDrop(DataObject &data, int &effect, int, int shift, float, float)
{
    const bool ctrl = shift & forms::vbCtrlMask;
    // Whatever the drop could not take in full, it reports as not taken.
    bool whole = true;
    try {
        if (data.GetFormat(forms::vbCFFiles)) {
            const int before = leftOut_;
            for (const QString &file : droppedFiles(data)) {
                const QString path = repairDrivePath(file);
                if (!path.endsWith(QLatin1String(".lst")))
                    addFolder(path, List1, ctrl);
                else if (ctrl)
                    whole = DropFile(List1, path) && whole;
                else
                    appendItem(List1, path);
            }
            whole = whole && leftOut_ == before;
        } else if (data.GetFormat(forms::vbCFText)) {
            const QString text = data.text();
            if (text == List1.Text()) {
                whole = false;
            } else {
                // Line by line, so that a drag of this list onto itself loses only what was
                // taken again when the limit cut the drop short.
                std::vector<bool> taken;
                try {
                    addTextLines(text, &taken);
                } catch (const StopAppending &) {
                }
                if (common::endsOpen(text))
                    taken.push_back(false);
                settleDrop(taken, effect);
                reportLeftOut();
                updateCount();
                return;
            }
        }
    } catch (const StopAppending &) {
        whole = false;
    }
    if (!whole)
        effect = forms::vbDropEffectNone;
    reportLeftOut();
    updateCount();
}

void Form1::Label3_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    if (data.GetFormat(forms::vbCFFiles)) {
        effect &= forms::vbDropEffectCopy;
    } else if (data.GetFormat(forms::vbCFText)) {
        effect &= forms::vbDropEffectCopy;
        // From elsewhere only a text that the list file can take whole (see List1).
        if (!draggingOut_ && effect != forms::vbDropEffectNone && !overCheck(data.text(), 3))
            effect = forms::vbDropEffectNone;
    } else {
        effect = forms::vbDropEffectNone;
    }
}

void Form1::Label3_OLEDragDrop(DataObject &data, int &effect, int, int, float, float)
{
    if (data.GetFormat(forms::vbCFFiles)) {
        const QStringList files = droppedFiles(data);
        for (const QString &file : files) {
            outputFile = repairDrivePath(file);
            const int n = int(outputFile.size());
            // A long path is cut in two halves so that the label can wrap it.
            Label3.setCaption(n < 25 ? outputFile : outputFile.left(n / 2) + QLatin1Char(' ') + outputFile.mid(n / 2));
            appendLogLine(Text2, outputFile);
        }
        effect = leftOut_ == 0 ? forms::vbDropEffectCopy : forms::vbDropEffectNone;
        reportLeftOut();
    } else if (fs::fileExists(outputFile)) {
        writeListLines(data.text(), effect);
    } else {
        effect = forms::vbDropEffectNone;
    }
}

QStringList Form1::listLineProblems(QString text, QStringList *lines)
{
    // The whole text goes through code page 932 and back at once; line ends come back where
    // they were, so the lines pair up.
    if (common::endsOpen(text))
        text += QLatin1Char('\n'); // the file's last line counts without a line end
    *lines = common::closedLines(text);
    const QStringList back = common::closedLines(cp932::readBack(text));
    QStringList problems;
    problems.reserve(lines->size());
    for (int i = 0; i < lines->size(); ++i)
        problems << listLineProblem((*lines)[i], i < back.size() ? back[i] : QString());
    return problems;
}

void Form1::writeListLines(const QString &text, int &effect)
{
    // A name leaves only when the file holds it so that reading the file gives it back.
    QStringList lines;
    const QStringList problems = listLineProblems(text, &lines);
    std::vector<bool> taken(size_t(lines.size()), false);
    QMap<QString, int> why;
    QString out;
    for (int i = 0; i < lines.size(); ++i) {
        if (!problems[i].isEmpty()) {
            why[problems[i]] += 1;
            continue;
        }
        taken[size_t(i)] = true;
        out += lines[i] + QStringLiteral("\r\n");
    }
    // Nothing to write leaves the old file alone.
    if (out.isEmpty() || !writeOutputFile(out)) {
        std::fill(taken.begin(), taken.end(), false);
        taken.push_back(false); // nothing went, also when nothing was offered
    }
    settleDrop(taken, effect);
    if (draggingOut_ && !heldBack_.empty()) {
        // Names of this list that could not even travel here.
        why[QString::fromUtf8("改行を含み、2行に分かれる")] += int(heldBack_.size());
        heldBackTold_ = true;
    }
    if (why.isEmpty())
        return;
    int n = 0;
    QString reasons;
    for (auto it = why.cbegin(); it != why.cend(); ++it) {
        n += it.value();
        reasons += QString::fromUtf8("\r\n  %1件: %2").arg(it.value()).arg(it.key());
    }
    report(QString::fromUtf8("%1件の名前はリストファイルに書けませんでした(読み返すと同じ名前になりません)。%2%3")
               .arg(n)
               .arg(draggingOut_ ? QString::fromUtf8("リストに残して選択してあります。")
                                 : QString::fromUtf8("ドロップ元に残ります。"))
               .arg(reasons));
}

void Form1::Label2_OLEDragOver(DataObject &data, int &effect, int, int, float, float, int)
{
    // Without GV nothing can be converted: refused here, where another program learns it.
    if (data.GetFormat(forms::vbCFText) && !m().gvPath.isEmpty())
        effect &= forms::vbDropEffectCopy;
    else
        effect = forms::vbDropEffectNone;
}

void Form1::Label2_OLEDragDrop(DataObject &data, int &effect, int, int, float, float)
{
    const QString text = data.text();
    std::vector<bool> arrived;
    callUpGV(text, &arrived);
    // A last line without a line end is not converted, so it did not arrive either.
    if (common::endsOpen(text))
        arrived.push_back(false);
    settleDrop(arrived, effect);
}

} // namespace kesto
