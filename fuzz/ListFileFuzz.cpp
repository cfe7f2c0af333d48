// SPDX-License-Identifier: GPL-2.0-or-later
// The list-file reader: the text in code page 932, cut into its fields.
#include "fuzz/FuzzSupport.h"

#include "platform/cp932/cp932.h"
#include "tavlo/ListFile.h"

using namespace tavlo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = cp932::decode(fuzz::bytes(data, size));
    ListFieldReader fields(text);
    qsizetype total = 0;
    while (!fields.atEnd()) {
        const QString field = fields.next();
        total += field.size();
        if (total > text.size())
            __builtin_trap(); // the fields are pieces of the text
    }
    return 0;
}
