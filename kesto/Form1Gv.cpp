// SPDX-License-Identifier: GPL-2.0-or-later
// The conversion of dropped pictures into bitmaps through GV, over the link box Text1.
#include "kesto/Form1.h"

#include "common/Lines.h"
#include "gvlink/gvlink.h"
#include "kesto/Kesto.h"
#include "kesto/MainModule.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"
#include "platform/shell/fs.h"
#include "platform/shell/shell.h"
#include "platform/vb/vb.h"

#include <QScopeGuard>

#include <algorithm>

namespace kesto {

Form1::SplitPath Form1::splitPath(const QString &path)
{
    SplitPath r;
    int sep = -1, dot = -1;
    // Up to the last but one character, as the routine always looked.
    for (int i = 0; i + 1 < path.size(); ++i) {
        if (fs::isSeparator(path.at(i)))
            sep = i;
        else if (path.at(i) == QLatin1Char('.'))
            dot = i;
    }
    if (sep < 0)
        return r;
    r.failed = false;
    r.folder = path.left(sep);
    // A name without a dot of its own (no extension, a dot only in a folder's name, or only a
    // leading dot) keeps its whole name as the base name.
    if (dot <= sep + 1) {
        r.base = path.mid(sep + 1);
    } else {
        r.base = path.mid(sep + 1, dot - sep - 1);
        r.ext = path.mid(dot + 1);
    }
    return r;
}

bool Form1::sendToGV(const QString &cmd, int boundMs, QString *answer)
{
    if (app_.ended())
        return false;
    const gvlink::Result r = gvlink::sendKesto(Text1, cmd, boundMs);
    if (answer)
        *answer = r.answer;
    if (!r.ok())
        gvTrouble_ = r.message;
    return r.ok();
}

bool Form1::ExecGV(const QString &cmd) { return sendToGV(cmd, gvBoundMs); }

bool Form1::gvFailed()
{
    // A GV that hangs is told to end, so that none is left behind; one that is gone does not
    // hear it. The next conversion starts one anew.
    try {
        gvlink::sendDirect(Text1, gvlink::exitGV());
        Text1.setLinkMode(0);
    } catch (const vb::RuntimeError &) {
        // GV is gone already: nothing is left to end.
    }
    return false;
}

bool Form1::startGV(QString *why)
{
    const QString &gv = m().gvPath;
    try {
        app_.launcher().start(gv, {QStringLiteral("/DDE")}, shell::vbNormalNoFocus);
    } catch (const vb::RuntimeError &) {
        *why = QString::fromUtf8("%1 を起動できません").arg(gv);
        return false;
    }
    try {
        gvlink::linkToGV(Text1);
        // Five seconds for each request and execute before it counts as not answered.
        Text1.setLinkTimeout(50);
    } catch (const vb::RuntimeError &e) {
        *why = QString::fromUtf8("GVとつながりません (%1)").arg(e.description());
        try {
            Text1.setLinkMode(0);
        } catch (const vb::RuntimeError &) {
            // The link never opened: nothing to close; the reason above is what is reported.
        }
        return false;
    }
    gvlink::sendDirect(Text1, gvlink::kestoSetup());
    if (!ExecGV(gvlink::quantize())) {
        *why = QString::fromUtf8("GVが応答しません (%1)").arg(gvTrouble_);
        return gvFailed();
    }
    return true;
}

Form1::Conversion Form1::convertOne(const QString &path, QSet<QString> &written, QString *why)
{
    const auto lost = [&] {
        *why = QString::fromUtf8("GVが応答しなくなりました (%1)").arg(gvTrouble_);
        return Conversion::Lost;
    };
    QString answer;
    if (!ExecGV(gvlink::fileOpenQuoted(path)))
        return lost();
    forms::DoEvents();
    // The answer to the open: "NG" when GV could not open the picture.
    if (!sendToGV(QString(), gvBoundMs, &answer))
        return lost();
    const bool opened = answer != QLatin1String("NG");
    if (!ExecGV(gvlink::clipCopyViewImage()))
        return lost();
    if (!opened) {
        *why = QString::fromUtf8("GVが開けませんでした");
        return Conversion::Failed;
    }
    const SplitPath sp = splitPath(path);
    if (sp.failed) {
        *why = QString::fromUtf8("フォルダーがないため保存しません");
        return Conversion::Failed;
    }
    const QString convert = joinPath(Dir1.Path(), QStringLiteral("Convert"));
    if (!fs::folderExists(convert)) {
        if (!fs::createFolder(convert)) {
            *why = QString::fromUtf8("フォルダー %1 を作れません").arg(convert);
            return Conversion::Stopped;
        }
        forms::DoEvents();
        Dir1.Refresh();
    }
    const QString target = joinPath(convert, sp.base + QStringLiteral(".bmp"));
    // Two pictures of one base name in one batch: the second would overwrite the first.
    if (written.contains(target)) {
        *why = QString::fromUtf8("%1 はこの変換で別の画像から作ったばかりです").arg(target);
        return Conversion::Failed;
    }
    const fs::FileStamp before = fs::stampOf(target);
    if (!ExecGV(gvlink::fileSaveEx(target)))
        return lost();
    // The answer to the save, and the bitmap it should have left.
    if (!sendToGV(QString(), gvBoundMs, &answer))
        return lost();
    const fs::FileStamp after = fs::stampOf(target);
    if (answer == QLatin1String("NG") || !after.regular || after == before) {
        *why = answer == QLatin1String("NG") ? QString::fromUtf8("GVが保存できませんでした")
                                             : QString::fromUtf8("%1 ができていません").arg(target);
        return Conversion::Failed;
    }
    written.insert(target);
    return Conversion::Arrived;
}

bool Form1::callUpGV(const QString &str, std::vector<bool> *arrived)
{
    const QStringList lines = common::closedLines(str);
    std::vector<bool> done(size_t(lines.size()), false);
    const auto finish = [&](bool all) {
        if (arrived)
            *arrived = done;
        return all;
    };
    // A second drop while a conversion runs would mix its commands into the first one's.
    if (converting_)
        return finish(false);
    converting_ = true;
    const auto guard = qScopeGuard([this] { converting_ = false; });

    vb::Integer count = 0;
    QStringList failed;
    QString stopped;
    QSet<QString> written;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.isEmpty()) {
            done[size_t(i)] = true; // names nothing
            continue;
        }
        const QString path = joinPath(line, QString());
        if (Text1.LinkMode() == 0) {
            if (m().gvPath.isEmpty())
                return finish(false);
            if (!startGV(&stopped))
                break;
        }
        QString why;
        const Conversion c = convertOne(path, written, &why);
        if (c == Conversion::Stopped || c == Conversion::Lost) {
            stopped = path + QStringLiteral(": ") + why;
            if (c == Conversion::Lost)
                gvFailed();
            break;
        }
        if (c == Conversion::Failed) {
            failed << path + QStringLiteral(": ") + why;
        } else {
            done[size_t(i)] = true;
            count += 1;
            Label1.setCaption(vb::CStr(count) + QLatin1Char('/') + vb::CStr(List1.ListCount()));
            Label1.Refresh();
        }
        forms::DoEvents();
        if (app_.ended())
            return finish(false);
    }
    if (count > 16)
        forms::Beep();
    if (Text1.LinkMode() != 0)
        ExecGV(gvlink::iconShow());
    const int names = int(std::count_if(lines.cbegin(), lines.cend(), [](const QString &l) { return !l.isEmpty(); }));
    if (count < names)
        reportConversion(int(count), names, failed, stopped);
    return finish(count == names);
}

void Form1::reportConversion(int converted, int names, const QStringList &failed, const QString &stopped)
{
    QString text = QString::fromUtf8("GVで変換できませんでした: %1件のうち%2件を変換し、%3件は%4")
                       .arg(names)
                       .arg(converted)
                       .arg(names - converted)
                       .arg(draggingOut_ ? QString::fromUtf8("リストに残して選択してあります。")
                                         : QString::fromUtf8("ドロップ元に残ります。"));
    constexpr int shown = 10;
    for (int i = 0; i < failed.size() && i < shown; ++i)
        text += QStringLiteral("\r\n  ") + failed[i];
    if (failed.size() > shown)
        text += QString::fromUtf8("\r\n  ほか%1件").arg(failed.size() - shown);
    if (!stopped.isEmpty())
        text += QString::fromUtf8("\r\n途中で止めました: ") + stopped;
    report(text);
}

} // namespace kesto
