// SPDX-License-Identifier: GPL-2.0-or-later
// The run-time error a call raises, for tests.
#pragma once

#include "platform/vb/vb.h"

#include <QString>

// The number of the run-time error f raises, 0 when it raises none; its description too, when
// asked for.
template <class F>
int errorOf(F &&f, QString *description = nullptr)
{
    try {
        f();
    } catch (const vb::RuntimeError &e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}
