// SPDX-License-Identifier: GPL-2.0-or-later
#include "kesto/TopOnForms.h"

#include "platform/forms/Form.h"

namespace kesto {

bool setTopMost(forms::Form &window, bool flag)
{
    window.setTopMost(flag);
    return window.TopMost() == flag;
}

} // namespace kesto
