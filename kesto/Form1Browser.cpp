// SPDX-License-Identifier: GPL-2.0-or-later
// The file browser (drive, folder and file lists), the folder log and the window's layout.
#include "kesto/Form1.h"

#include "platform/forms/KeyCodes.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kesto {

// ---- the file browser ----

void Form1::Drive1_Change()
{
    try {
        Dir1.setPath(Drive1.Drive());
    } catch (const vb::RuntimeError &) {
        // A volume that cannot be entered: the folder list stays, and so does the drive.
        Drive1.setDrive(Dir1.Path());
    }
}

void Form1::Dir1_Click()
{
    try {
        Dir1.setPath(Dir1.List(Dir1.ListIndex()));
    } catch (const vb::RuntimeError &) {
        Dir1.Refresh(); // the folder went away meanwhile
    }
}

void Form1::Dir1_Change()
{
    try {
        File1.setPath(Dir1.Path());
    } catch (const vb::RuntimeError &) {
        // A folder that cannot be listed leaves the file list as it was; the path is logged.
    }
    appendLogLine(Text2, Dir1.Path());
}

void Form1::expandFiles()
{
    bool any = false;
    try {
        for (int i : File1.selectedIndexes()) {
            const QString name = File1.List(i);
            if (name.isEmpty())
                continue;
            DropFile(List1, joinPath(File1.Path(), name));
            any = true;
        }
    } catch (const StopAppending &) {
    }
    reportLeftOut();
    updateCount();
    if (any)
        List1.SetFocus();
}

void Form1::File1_DblClick() { expandFiles(); }

void Form1::File1_KeyDown(int &keyCode, int)
{
    if (keyCode == forms::vbKeyReturn)
        expandFiles();
}

void Form1::File1_MouseDown(int button, int, float, float)
{
    if (button == 2)
        File1.OLEDrag();
}

void Form1::File1_OLEStartDrag(forms::DataObject &data, int &allowedEffects)
{
    QStringList paths;
    for (int i : File1.selectedIndexes())
        paths << joinPath(File1.Path(), File1.List(i));
    if (paths.isEmpty())
        return;
    data.setFiles(paths);
    allowedEffects |= forms::vbDropEffectCopy;
}

// ---- the folder log ----

void Form1::appendLogLine(forms::TextBox &box, const QString &line)
{
    QString text = box.Text();
    int keep = box.SelStart();
    if (keep == text.size())
        keep = 0;
    if (!text.isEmpty())
        text += QStringLiteral("\r\n");
    text += line;
    box.setText(text);
    // A user who reads an older line stays there; otherwise the new line comes into view.
    box.setSelStart(keep != 0 ? keep : int(text.size()));
}

QString Form1::currentLogLine(const forms::TextBox &box)
{
    const QString text = box.Text();
    const int caret = std::min(box.SelStart(), int(text.size()));
    const int before = caret == 0 ? -1 : int(text.left(caret).lastIndexOf(QLatin1String("\r\n")));
    const int start = before < 0 ? 0 : before + 2;
    int end = int(text.indexOf(QLatin1String("\r\n"), start));
    if (end < 0)
        end = int(text.size());
    return text.mid(start, end - start);
}

void Form1::Text2_KeyDown(int &keyCode, int shift)
{
    if (!(shift & forms::vbCtrlMask) || keyCode != 'N')
        return;
    try {
        QString p = currentLogLine(Text2);
        if (fs::fileExists(p)) {
            // A file directly in a volume's root is not followed.
            const QString folder = QFileInfo(p).absolutePath();
            if (folder != forms::DriveListBox::volumeOf(p))
                p = folder;
        }
        if (!fs::folderExists(p))
            return;
        if (forms::DriveListBox::volumeOf(p) != Drive1.Drive())
            Drive1.setDrive(p);
        Dir1.setPath(p);
    } catch (const vb::RuntimeError &) {
        // A place the browser cannot go to: it stays where it is.
    }
}

// ---- layout ----

void Form1::saveLayout()
{
    if (!saved_)
        saved_ = std::make_unique<SaveHeight>();
    saved_->Count = 0;
    saved_->Save({&Drive1, &Dir1, &File1, &Text2, &Label1, &Label2, &Label3, &List1});
}

void Form1::restoreLayout()
{
    if (saved_)
        saved_->Restore();
}

void Form1::showPanels(bool flag)
{
    if (saved_)
        saved_->SetVisible(flag);
}

void Form1::Form_Resize()
{
    if (WindowState() != forms::vbNormal)
        return;
    const float w = ScaleWidth(), h = ScaleHeight();
    // A very narrow window would give negative widths, which no control takes: they stop at 0.
    const auto atLeast0 = [](float v) { return std::max(0.0f, v); };
    if (menuDrop.Checked()) {
        showPanels(false);
        List1.setTop(0);
        if (h > 0)
            List1.setHeight(h);
        List1.setWidth(atLeast0(w - List1.Left() - 100));
        List1.setVisible(true);
        return;
    }
    restoreLayout();
    showPanels(true);
    List1.setWidth(atLeast0(w - List1.Left() - 100));
    const float lh = h - List1.Top();
    if (lh > 0)
        List1.setHeight(lh);
    Text2.setWidth(atLeast0(w - Text2.Left() - 100));
    const float half = atLeast0(w - Label2.Left() - 200) / 2;
    Label2.setWidth(half);
    Label3.setWidth(half);
    Label3.setLeft(Label2.Left() + Label2.Width() + 100);
    const float d = w - Dir1.Left() - 100;
    if (d > 0) {
        Dir1.setWidth(d);
        if (!Dir1.Visible())
            Dir1.setVisible(true);
    } else {
        Dir1.setVisible(false);
    }
    saveLayout();
}

} // namespace kesto
