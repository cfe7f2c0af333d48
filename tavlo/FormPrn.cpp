// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/FormPrn.h"

#include "platform/printer/printer.h"
#include "tavlo/Tavlo.h"

namespace tavlo {

FormPrn::FormPrn(Tavlo &app)
    : Form(app.forms(), QStringLiteral("FormPrn"), 4680, 3195),
      Image1(*this, QStringLiteral("Image1")),
      app_(app)
{
    setCaption(QStringLiteral("FormPrn"));
    Image1.setStretch(true);
    Image1.Move(0, 0, 4680, 3195);
}

bool FormPrn::PrintForm()
{
    printer::Printer &p = app_.printer();
    if (!Image1.Picture().isEmpty() &&
        !p.paintPicture(Image1.Picture(), QRectF(Image1.Left(), Image1.Top(), Image1.Width(), Image1.Height())))
        return false;
    return p.endDoc();
}

} // namespace tavlo
