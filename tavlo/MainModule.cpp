// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/MainModule.h"

#include "common/DeleteQUOTE.h"
#include "platform/cp932/cp932.h"
#include "platform/shell/fs.h"
#include "tavlo/Form1.h"
#include "tavlo/ListFile.h"
#include "tavlo/Tavlo.h"

namespace tavlo {

void MainModule::resetPictureList()
{
    fileCount = 0;
    rowStart = 0;
    boardIconCount = 0;
    curIndex = -1;
    iconArea = kDefaultIconArea;
}

void MainModule::Main(const QStringList &args)
{
    resetPictureList();
    if (!args.isEmpty())
        takeArgumentVector(cmdArgs, args, [this](const QString &a) { return takeOption(a); });
    indexFromBoard = vb::False;
    Form1 &f = app_.form1();
    f.Load();
    if (cmdArgs.argCount == 0) {
        f.Combo1.setVisible(false);
        f.Text3.setText(vb::CStr(fileCount));
    }
    f.Show();
}

bool MainModule::takeOption(const QString &arg)
{
    // An absolute POSIX path begins with the option character: what exists is a name.
    if (fs::fileExists(arg) || fs::folderExists(arg))
        return false;
    const QString head = arg.left(3).toLower();
    if (head == QLatin1String("/gv")) {
        // The fourth character is taken for the equals sign without looking at it.
        gvPath = DeleteQUOTE(arg.mid(4));
        return true;
    }
    if (head == QLatin1String("/dr")) {
        const int eq = arg.indexOf(QLatin1Char('='));
        kestoPath = eq < 0 ? QString() : DeleteQUOTE(arg.mid(eq + 1));
        return true;
    }
    return false;
}

void MainModule::openCommandLine()
{
    resetPictureList();
    Form1 &f = app_.form1();
    for (int k = 0; k < cmdArgs.argCount; ++k) {
        const QString a = cmdArgs.argText[static_cast<size_t>(k)];
        if (a.right(4).toLower() == QLatin1String(".lst")) {
            if (k == 0) {
                f.Combo1.setText(a);
                f.Combo1.setVisible(true);
            }
            if (ReadListFile(a) == 0 && fs::fileExists(a))
                f.Combo1.AddItem(a);
        } else if (fs::fileExists(a) && !listFull()) {
            fileNames[static_cast<size_t>(fileCount)] = a;
            listOfFile[static_cast<size_t>(fileCount)] = -1;
            fileCount += 1;
        }
    }
}

qint16 MainModule::FileKind(const QString &name)
{
    const QString ext = name.right(4).toLower();
    if (name.size() < 4)
        return 0;
    static const char *const pictures[] = {".bmp", ".rle", ".jpg", ".wmf", ".emf", ".ico", ".cur"};
    for (const char *p : pictures)
        if (ext == QLatin1String(p))
            return 1;
    return ext == QLatin1String(".lst") ? 4 : 0;
}

qint16 MainModule::ReadListFile(const QString &path)
{
    // Only a regular file is a list file: a device (which never ends) or a FIFO (which could
    // block the window for good) fails to open, as does a file longer than a list can be.
    QByteArray bytes;
    if (fs::readRegularFile(path, kMaxListFileBytes, &bytes) != fs::FileCheck::Regular)
        return 1;
    const QString text = cp932::decode(bytes);
    bytes.clear();

    ListFieldReader fields(text);
    // Reading ends when the picture list is full: there is no slot for a further name.
    while (!fields.atEnd() && !listFull()) {
        const size_t slot = static_cast<size_t>(fileCount);
        fileNames[slot] = fields.next();
        const QString &name = fileNames[slot];
        if (name.startsWith(QLatin1Char(';')))
            continue;
        if (!fs::fileExists(name))
            continue;
        if (FileKind(name) < 1)
            continue;
        listOfFile[slot] = listCount;
        fileCount += 1;
    }
    listCount += 1;
    return 0;
}

bool MainModule::FindForm(const QString &name) const { return app_.forms().find(name) != nullptr; }

} // namespace tavlo
