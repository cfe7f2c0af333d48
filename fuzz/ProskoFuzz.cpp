// SPDX-License-Identifier: GPL-2.0-or-later
// Prosko's project reader: the input is one project file; the listing goes nowhere.
#include "fuzz/FuzzSupport.h"

#include "prosko/prosko.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    prog_name = "prosko";
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Both forms of the listing: with the project's name and line, and with its folder.
    opt_h = size > 0 && (data[0] & 1);
    opt_f = !opt_h;
    list_project(fuzz::streamOf(data, size), "dir/fuzz.vbp");
    return 0;
}
