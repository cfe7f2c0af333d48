// SPDX-License-Identifier: GPL-2.0-or-later
// Tavlo's program-wide state and the routines every window uses: start-up with its options,
// the picture list read from the command line and from list files, file kinds, and the
// search of the loaded windows by name.
#pragma once

#include "common/ArgList.h"
#include "platform/vb/vb.h"
#include "tavlo/module2.h"

#include <QPointer>
#include <QString>

#include <array>

namespace tavlo {

class Form2;
class Tavlo;

class MainModule
{
public:
    static constexpr int kListSlots = 2049; // fileNames(0 To 2048)
    static constexpr float kDefaultIconArea = 5000000;

    explicit MainModule(Tavlo &app) : app_(app) {}

    // The start-up routine: resets the state, takes the options, loads and shows Form1.
    // On POSIX each element of the argument vector is one argument.
    void Main(const QStringList &args);
    bool takeOption(const QString &arg);
    void openCommandLine();
    // 1 picture, 4 list file, 0 anything else; by the last four characters only.
    static qint16 FileKind(const QString &name);
    // Appends the pictures a list file names; 0 when it was read, 1 when it could not be opened.
    qint16 ReadListFile(const QString &path);
    bool FindForm(const QString &name) const;

    ArgList cmdArgs;
    QString gvPath;
    QString kestoPath;
    std::array<QString, kListSlots> fileNames;
    std::array<qint16, kListSlots> listOfFile{};
    vb::Integer fileCount = 0;
    vb::Integer listCount = 0;
    vb::Integer curIndex = -1;
    vb::Integer rowStart = 0;
    vb::Integer boardIconCount = 0;
    vb::Single iconArea = kDefaultIconArea;
    qint16 indexFromBoard = vb::False;
    std::array<vb::Single, kListSlots> picScale{};

    // Owned by the main window.
    vb::Integer stepDir = 0;
    QPointer<Form2> subForm; // the current icon board; null for nothing
    qint16 subShown = vb::False;
    vb::Integer boardSerial = 0;
    std::array<qint16, kListSlots> iconFile{};
    IconRecs posRecs{}; // the current board's icons as the main window placed them

    bool listFull() const { return fileCount >= kListSlots; }

private:
    void resetPictureList();
    Tavlo &app_;
};

} // namespace tavlo
