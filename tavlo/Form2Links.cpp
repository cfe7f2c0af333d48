// SPDX-License-Identifier: GPL-2.0-or-later
// The board's two Link conversations: GV shows a picture at its icon's zoom, runs the slide show
// and copies the viewed picture to the clipboard when the user comes back; Kesto receives file
// names, one from a click or all of the board at once.
#include "tavlo/Form2.h"

#include "gvlink/gvlink.h"
#include "platform/forms/EventLoop.h"
#include "platform/shell/shell.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

#include <cmath>

namespace tavlo {

namespace {

const QString kNoGvPath = QString::fromUtf8("GVのパスが指定されていません");

} // namespace

int Form2::slotOf(int i) const { return vb::CInt(vb::Val(Image1(i).ToolTipText())) - 1; }

bool Form2::execGV(const QString &cmd)
{
    Text1.setText(QString());
    return !gvlink::sendTavlo(Text1, cmd).ok();
}

bool Form2::openGV(const QString &first)
{
    MainModule &mm = m();
    if (mm.gvPath.isEmpty()) {
        showMessageBeside(kNoGvPath);
        return false;
    }
    try {
        app_.launcher().start(mm.gvPath, {QStringLiteral("/DDE")}, shell::vbNormalNoFocus);
        gvlink::linkToGV(Text1);
    } catch (const vb::RuntimeError &e) {
        showMessageBeside(mm.gvPath + QStringLiteral("\r\n") + QString::fromUtf8("GVと接続できません: ") +
                          e.description());
        return false;
    }
    gvlink::sendDirect(Text1, first);
    return true;
}

void Form2::showInGV(int i)
{
    const int s = slotOf(i);
    MainModule &mm = m();
    if (s < 0 || s >= mm.fileCount)
        return;
    const float scale = mm.picScale[size_t(s)];
    // An icon of an icon or cursor file has no scale: no zoom, nothing sent.
    if (!(scale > 0) || !std::isfinite(200.0 / scale))
        return;
    const QString zoom = gvlink::zoomRate(int(std::trunc(200.0 / double(scale))));
    const QString open = gvlink::fileOpenBare(mm.fileNames[size_t(s)]);
    if (Text1.LinkMode() != 0)
        execGV(zoom);
    else if (!openGV(zoom))
        return;
    execGV(open);
    gvShownIdx = qint16(i);
}

void Form2::Timer1_Timer() { tick = true; }

void Form2::menuStopGV_Click() { stopShow = true; }

void Form2::menuShow_Click()
{
    MainModule &mm = m();
    stopShow = false;
    const int n = recordVisibleIcons();
    const IconRecs order = placed;
    for (int k = 0; k < n; ++k) {
        // A board closed while the show waited ends its show: nothing would be left to stop it.
        if (stopShow || !isLoaded())
            break;
        if (!Image1.exists(order[size_t(k)].iconIndex))
            continue;
        const int s = slotOf(order[size_t(k)].iconIndex);
        if (s < 0 || s >= mm.fileCount)
            continue;
        const QString open = gvlink::fileOpenBare(mm.fileNames[size_t(s)]);
        if (Text1.LinkMode() == 0 && !openGV(gvlink::maxDispBlack()))
            return;
        tick = false;
        forms::DoEvents();
        Timer1.setInterval(slideIntervalMs);
        Timer1.setEnabled(true);
        if (execGV(open))
            break;
        gvShownIdx = qint16(s);
        bool stopped = false;
        while (!tick) {
            forms::WaitEvents();
            if (stopShow) {
                stopped = true;
                break;
            }
        }
        if (stopped)
            break;
    }
    Timer1.setEnabled(false);
    // An unloaded board has told GV to go already.
    if (!isLoaded())
        return;
    execGV(gvlink::exitGV());
    try {
        Text1.setLinkMode(0);
    } catch (const vb::RuntimeError &) {
        // GV went away first: the show has ended either way.
    }
}

void Form2::sendToKesto(int slot)
{
    MainModule &mm = m();
    if (slot < 0 || slot >= mm.fileCount)
        return;
    if (Text2.LinkMode() == 0) {
        Text2.setLinkItem(QStringLiteral("Text1"));
        Text2.setLinkMode(2);
    }
    Text2.LinkExecute(mm.fileNames[size_t(slot)]);
    Text2.LinkRequest();
}

void Form2::reportKestoDown(const QString &why)
{
    showMessageBeside(QString::fromUtf8("Kestoへ転送できません。") + QStringLiteral("\r\n") + why);
}

void Form2::menuKesto_Click()
{
    const int n = recordVisibleIcons();
    const IconRecs order = placed;
    for (int k = 0; k < n; ++k) {
        if (!Image1.exists(order[size_t(k)].iconIndex))
            continue;
        try {
            sendToKesto(slotOf(order[size_t(k)].iconIndex));
        } catch (const vb::RuntimeError &e) {
            // Kesto is not running, or went away: nothing more of this transfer is sent.
            reportKestoDown(e.description());
            return;
        }
    }
}

} // namespace tavlo
