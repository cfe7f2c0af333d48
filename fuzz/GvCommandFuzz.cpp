// SPDX-License-Identifier: GPL-2.0-or-later
// The GV stand-in's reader of command texts, which any local program may send it.
#include "fuzz/FuzzSupport.h"

#include "tools/gv/GvCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const auto commands = gv::parseExecute(QString::fromUtf8(fuzz::bytes(data, size)), &error);
    if (!commands && error.isEmpty())
        __builtin_trap(); // a refusal says why
    return 0;
}
