// The conversion of dropped pictures into bitmaps through GV, over the link box Text1.
#include "kesto/Form1.h"

#include "gvlink/gvlink.h"
#include "kesto/Kesto.h"
#include "kesto/MainModule.h"
#include "platform/forms/Forms.h"
#include "platform/shell/fs.h"
#include "platform/shell/shell.h"
#include "platform/vb/vb.h"

#include <QScopeGuard>

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

bool Form1::sendToGV(const QString &cmd, int boundMs)
{
    if (app_.ended())
        return false;
    return gvlink::sendKesto(Text1, cmd, boundMs).ok();
}

bool Form1::ExecGV(const QString &cmd) { return sendToGV(cmd, gvBoundMs); }

bool Form1::gvFailed(const QString &what)
{
    // A GV that is gone or hangs is let go; the next conversion starts one anew.
    try {
        Text1.setLinkMode(0);
    } catch (const vb::RuntimeError &) {
    }
    if (!app_.ended())
        report(QString::fromUtf8("GVで変換できませんでした: %1\r\nリストはそのまま残してあります。").arg(what));
    return false;
}

bool Form1::startGV()
{
    const QString &gv = m().gvPath;
    try {
        app_.launcher().start(gv, {QStringLiteral("/DDE")}, shell::vbNormalNoFocus);
    } catch (const vb::RuntimeError &) {
        return gvFailed(QString::fromUtf8("%1 を起動できません").arg(gv));
    }
    try {
        gvlink::linkToGV(Text1);
        // Five seconds for each request and execute before it counts as not answered.
        Text1.setLinkTimeout(50);
    } catch (const vb::RuntimeError &e) {
        return gvFailed(QString::fromUtf8("GVとつながりません (%1)").arg(e.description()));
    }
    gvlink::sendDirect(Text1, gvlink::kestoSetup());
    if (!ExecGV(gvlink::quantize()))
        return gvFailed(QString::fromUtf8("GVが応答しません"));
    return true;
}

bool Form1::callUpGV(const QString &str)
{
    // A second drop while a conversion runs would mix its commands into the first one's.
    if (converting_)
        return false;
    converting_ = true;
    const auto done = qScopeGuard([this] { converting_ = false; });

    vb::Integer count = 0;
    int start = 0;
    const int n = int(str.size());
    for (int pos = 0; pos < n; ++pos) {
        const QChar c = str.at(pos);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        const QString line = str.mid(start, pos - start);
        if (c == QLatin1Char('\r') && pos + 1 < n && str.at(pos + 1) == QLatin1Char('\n'))
            ++pos;
        start = pos + 1;
        if (line.isEmpty())
            continue;

        const QString path = joinPath(line, QString());
        const QString open = gvlink::fileOpenQuoted(path);
        if (Text1.LinkMode() == 0) {
            if (m().gvPath.isEmpty())
                return false;
            if (!startGV())
                return false;
        }
        if (!ExecGV(open))
            return gvFailed(path);
        forms::DoEvents();
        if (!ExecGV(gvlink::clipCopyViewImage()))
            return gvFailed(path);
        const SplitPath sp = splitPath(path);
        if (sp.failed)
            continue;
        const QString convert = joinPath(Dir1.Path(), QStringLiteral("Convert"));
        if (!fs::folderExists(convert)) {
            if (!fs::createFolder(convert))
                return gvFailed(QString::fromUtf8("フォルダー %1 を作れません").arg(convert));
            forms::DoEvents();
            Dir1.Refresh();
        }
        const QString target = joinPath(convert, sp.base + QStringLiteral(".bmp"));
        if (!ExecGV(gvlink::fileSaveEx(target)))
            return gvFailed(path);
        count += 1;
        Label1.setCaption(vb::CStr(count) + QLatin1Char('/') + vb::CStr(List1.ListCount()));
        Label1.Refresh();
        forms::DoEvents();
        if (app_.ended())
            return false;
    }
    if (count > 16)
        forms::Beep();
    if (Text1.LinkMode() != 0)
        ExecGV(gvlink::iconShow());
    return true;
}
