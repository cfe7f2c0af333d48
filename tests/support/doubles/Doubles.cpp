// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/doubles/Doubles.h"

#include "platform/picture/picture.h"
#include "platform/vb/vb.h"

namespace printer {

bool RecordingPrinter::paintPicture(const picture::Picture &pic, const QRectF &twips)
{
    if (!failWith.isEmpty())
        return false;
    drawings.push_back({documents, page, twips, pic.pixelSize()});
    return true;
}

bool RecordingPrinter::newPage()
{
    if (!failWith.isEmpty())
        return false;
    ++page;
    return true;
}

bool RecordingPrinter::endDoc()
{
    if (!failWith.isEmpty())
        return false;
    ++documents;
    page = 1;
    return true;
}

} // namespace printer

namespace shell {

qint64 RecordingLauncher::start(const QString &program, const QStringList &args, int windowStyle)
{
    if (fail)
        vb::raiseError(vb::ErrFileNotFound);
    calls.push_back({program, args, windowStyle});
    return static_cast<qint64>(calls.size());
}

} // namespace shell
