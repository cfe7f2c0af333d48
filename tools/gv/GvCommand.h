// SPDX-License-Identifier: GPL-2.0-or-later
// The command texts the GV stand-in understands, read from one Link execute.
//
// An execute holds one or several bracketed commands, "[Name(args)][Name(args)]...", or one bare
// command, "Name(args)". Names and ON/OFF are not case-sensitive. A path stands bare or between
// double quotes; a bare path may hold blanks, commas and brackets: a bracketed command ends at
// the first ")]" that ends the text or is followed by the next "[".
#pragma once

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

namespace gv {

struct Command
{
    enum Kind {
        FileOpen,          // path
        ZoomRate,          // number: percent for the next picture
        MaxDisp,           // on: full screen; second switch kept in on2; colour
        DispMsg,           // on
        ShowGV,            // on
        AutoOpenDocument,  // on
        IconGV,            // on
        ClipCopyViewImage, //
        Quantize,          // on, number: colours, method (accepted, unused), on2: dither
        FileSaveEx,        // path, on and on2 (accepted, unused)
        ExitGV,            //
    };
    Kind kind = ExitGV;
    QString text; // as received, for the log
    QString path;
    bool on = false;
    bool on2 = false;
    int number = 0;
    int method = 0;
    QColor colour;
};

// The commands of one execute, or nullopt with the reason in *error.
std::optional<std::vector<Command>> parseExecute(const QString &text, QString *error);

} // namespace gv
