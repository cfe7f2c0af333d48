// SPDX-License-Identifier: GPL-2.0-or-later
// The collector list: appending with the item limit, list files, pasted text, folder walks,
// the selection text and the list file that Label3 writes.
#include "kesto/Form1.h"

#include "common/DeleteQUOTE.h"
#include "common/Lines.h"
#include "kesto/Kesto.h"
#include "platform/cp932/cp932.h"
#include "platform/forms/EventLoop.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace kesto {

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString whyUnreadable(fs::FileCheck check, int error)
{
    switch (check) {
    case fs::FileCheck::Missing: return systemReason(ENOENT);
    case fs::FileCheck::Folder: return QString::fromUtf8("フォルダーです");
    case fs::FileCheck::NotRegular: return QString::fromUtf8("普通のファイルではありません(デバイスやFIFOなど)");
    case fs::FileCheck::TooLarge: return QString::fromUtf8("32000件のリストにしては大きすぎます");
    default: return systemReason(error ? error : EIO);
    }
}

} // namespace

void Form1::pace() { forms::yieldEvents(); }

void Form1::appendItem(forms::ListBox &list, const QString &item)
{
    if (app_.ended())
        throw StopAppending{};
    if (list.ListCount() >= kListLimit) {
        // The list stays as it is; what would pass the limit is refused.
        reportOverflow();
        throw StopAppending{};
    }
    list.AddItem(item);
    updateCount();
}

void Form1::updateCount()
{
    Label1.setCaption(vb::CStr(List1.ListCount()));
    if (!paintClock_.isValid() || paintClock_.elapsed() >= 10) {
        Label1.Refresh();
        paintClock_.start();
    }
}

void Form1::removeSelected()
{
    List1.removeSelected();
    overflowReported_ = false;
    Label1.setCaption(vb::CStr(List1.ListCount()));
}

bool Form1::DropFile(forms::ListBox &txt, const QString &strFN)
{
    // Only a regular file: a FIFO would block Kesto, a device might never end.
    QByteArray bytes;
    errno = 0;
    const fs::FileCheck check = fs::readRegularFile(strFN, kMaxListFileBytes, &bytes);
    const int error = errno;
    if (check != fs::FileCheck::Regular) {
        report(QString::fromUtf8("リストファイルを読めません: %1 (%2)").arg(strFN, whyUnreadable(check, error)));
        return false;
    }
    QString text = cp932::decode(bytes);
    bytes = QByteArray();
    // The last line of a file counts even without a line end behind it.
    if (common::endsOpen(text))
        text += QLatin1Char('\n');
    const QStringList lines = common::closedLines(text);
    text.clear();
    bool whole = true;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char(';')))
            continue;
        // Code page 932 has no U+FFFD: it stands for bytes that are no character there, and
        // the line would name some other file.
        if (line.contains(QChar::ReplacementCharacter)) {
            ++leftOut_;
            whole = false;
            continue;
        }
        appendItem(txt, repairDrivePath(line));
        pace();
    }
    return whole;
}

bool Form1::addTextLines(const QString &text, std::vector<bool> *taken)
{
    const QStringList lines = common::closedLines(text);
    if (taken)
        taken->assign(size_t(lines.size()), false);
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].isEmpty()) {
            appendItem(List1, lines[i]);
            pace();
        }
        if (taken)
            (*taken)[size_t(i)] = true;
    }
    return !common::endsOpen(text);
}

void Form1::addFolder(const QString &path, forms::ListBox &list, bool deep)
{
    pace();
    if (!fs::folderExists(path)) {
        appendItem(list, path);
        return;
    }
    appendItem(list, path);
    bool ok = true;
    if (deep) {
        const QStringList subs = fs::subFolders(path, &ok, &leftOut_);
        if (!ok)
            return; // a folder that cannot be read ends its own walk only
        for (const QString &s : subs) {
            const QString sub = joinPath(path, s);
            if (QFileInfo(sub).isSymLink())
                appendItem(list, sub); // listed, never walked: a link to a parent would loop
            else
                addFolder(sub, list, true);
        }
    }
    const QStringList files = fs::folderFiles(path, &ok, &leftOut_);
    if (!ok)
        return;
    for (const QString &f : files) {
        appendItem(list, joinPath(path, f));
        pace();
    }
}

QString Form1::selectedText(forms::ListBox::Marks *sent, forms::ListBox::Marks *held)
{
    QString s;
    int heldBack = 0;
    for (const QPersistentModelIndex &mark : List1.markSelected()) {
        const QString item = List1.List(mark.row());
        if (item.contains(QLatin1Char('\r')) || item.contains(QLatin1Char('\n'))) {
            ++heldBack;
            if (held)
                held->push_back(mark);
            continue;
        }
        s += item + QStringLiteral("\r\n");
        if (sent)
            sent->push_back(mark);
    }
    if (!s.isEmpty())
        s += QStringLiteral("\r\n");
    if (!held)
        reportHeldBack(heldBack); // else the caller tells
    return s;
}

void Form1::reportHeldBack(int n)
{
    if (n > 0)
        report(
            QString::fromUtf8("%1件の名前は改行を含むため、1行の名前として渡せません。リストに残して選択してあります。")
                .arg(n));
}

bool Form1::writeOutputFile(const QString &text)
{
    if (!fs::fileExists(outputFile))
        return true;
    const QByteArray bytes = cp932::encode(text);
    QString why;
    if (!fs::stampOf(outputFile).regular) // a FIFO or a device is no list file to replace
        why = whyUnreadable(fs::FileCheck::NotRegular, 0);
    if (!why.isEmpty() || !fs::replaceFile(outputFile, bytes, &why)) {
        report(QString::fromUtf8("リストファイルに書けません: %1 (%2)\r\n元のファイルはそのままです。")
                   .arg(outputFile, why));
        return false;
    }
    return true;
}

QString Form1::listLineProblem(const QString &name, const QString &readBack)
{
    if (name.isEmpty())
        return QString();
    if (readBack != name)
        return QString::fromUtf8("コードページ932で表せない文字があり、読み返すと別の名前になる");
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return QString::fromUtf8("改行を含み、2行に分かれる");
    if (name.startsWith(QLatin1Char(';')))
        return QString::fromUtf8("「;」で始まり、コメントとして読まれる");
    if (repairDrivePath(name) != name)
        return QString::fromUtf8("ドライブの後の「\\\\」が読むときに「\\」に直される");
    // Tavlo reads the same files as comma-separated fields, blanks around them removed and
    // a field in quotes taken without them.
    if (name.contains(QLatin1Char(',')) || name.startsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char(' ')) ||
        name.startsWith(QLatin1Char('"')))
        return QString::fromUtf8("カンマ・前後の空白・先頭の「\"」があり、Tavloが別の名前に読む");
    return QString();
}

QString Form1::joinPath(const QString &folder, const QString &name)
{
    return repairDrivePath(fs::buildPath(folder, name));
}

} // namespace kesto
