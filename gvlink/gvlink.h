// SPDX-License-Identifier: GPL-2.0-or-later
// What Tavlo and Kesto send to the image viewer GV over their link box, and how they wait until
// GV is ready for the next command.
//
// Readiness: a request of the box's LinkItem ("DIBRequest") copies GV's answer into the box.
// "OK" means GV has finished the previous command, "NG" that it finished it and failed (a file
// it could not open): either way GV is ready for the next one. While GV works it answers with
// an empty text, or not at all.
//
// What counts as what while waiting:
// - A request that times out (error 286) means "not ready yet": the wait polls again.
// - Any other link error (the conversation is closed or GV quit, 293/291; GV refuses the request,
//   285) ends the wait: waitReady* raise it as vb::RuntimeError, send* report it as Failed.
// - The wait is bounded: when ReadyBoundMs (30 s) pass from its start without a ready answer,
//   it gives up (waitReady* return false, send* report NotReady with error 286). A request under
//   way when the bound passes is finished first, so a wait may last up to one LinkTimeout longer.
// - Between polls pending events are processed (QCoreApplication::processEvents, or the pump a
//   window program sets), so windows stay responsive and Link executes from other programs
//   arrive; when GV answered "not ready" at once, the wait also lets about 10 ms pass with events
//   processed before the next poll. Whatever the pump throws ends the wait and passes on.
#pragma once

#include "platform/link/link.h"

#include <QString>

#include <functional>

namespace gvlink {

inline QString topic() { return QStringLiteral("GV|Display"); }
inline QString item() { return QStringLiteral("DIBRequest"); }

constexpr int ReadyBoundMs = 30000;

// The command texts, exactly as GV receives them.
QString fileOpenBare(const QString &path);   // [FileOpen(path)]
QString fileOpenQuoted(const QString &path); // [FileOpen("path")]
QString zoomRate(int percent);               // ZoomRate(n)
QString clipCopyViewImage();                 // [ClipCopyViewImage()]
QString fileSaveEx(const QString &path);     // [FileSaveEx("path",ON,ON)]
QString quantize();                          // Quantize(ON,256,3,ON)
QString maxDispBlack();                      // [MaxDisp(ON,ON,Black)]
QString kestoSetup();                        // [DispMsg(OFF)][ShowGV(OFF)][AutoOpenDocument(OFF)]
QString iconShow();                          // [IconGV(ON)][ShowGV(ON)]
QString exitGV();                            // ExitGV()

// Links the box to GV: LinkTopic "GV|Display", LinkItem "DIBRequest", LinkMode 2. GV listens only
// a moment after its start, so "nothing answers" (282) is retried, with events processed, until
// openWaitMs have passed; then that error is raised. Other errors are raised at once.
void linkToGV(suite_link::LinkBox &box, int openWaitMs = 10000);

// What the waits call to let pending events run. A window program sets its own (one that also
// ends the wait when the program ends); null restores QCoreApplication::processEvents.
void setEventPump(std::function<void()> pump);

// Tavlo's wait: empties the box's text, then requests until the text is "OK" or "NG". True when
// ready, false when the bound passed.
bool waitReadyTavlo(suite_link::LinkBox &box, int boundMs = ReadyBoundMs);
// Kesto's wait: until the text is "OK" (looked at before each request) or the request answered
// "NG", then empties the box's text. True when ready, with that answer in *answer when given;
// false when the bound passed (the text is then left as it is).
bool waitReadyKesto(suite_link::LinkBox &box, int boundMs = ReadyBoundMs, QString *answer = nullptr);

struct Result
{
    enum Status { Sent, NotReady, Failed };
    Status status = Failed;
    int error = 0; // NotReady: 286; Failed: the link error's number
    QString message;
    // Sent through the wait: the answer that ended it ("OK" or "NG"), which tells how GV's
    // previous command went.
    QString answer;
    bool ok() const { return status == Sent; }
};

// Sending through the wait: the variant's wait, then LinkExecute of the command. A timeout of
// the execute itself is ignored (the command counts as sent); a refused execute is Failed.
// sendKesto with an empty command only waits.
Result sendTavlo(suite_link::LinkBox &box, const QString &command, int boundMs = ReadyBoundMs);
Result sendKesto(suite_link::LinkBox &box, const QString &command, int boundMs = ReadyBoundMs);
// Sending direct: LinkExecute at once, with the same rule for its timeout.
Result sendDirect(suite_link::LinkBox &box, const QString &command);

} // namespace gvlink
