// SPDX-License-Identifier: GPL-2.0-or-later
// Fenrik's line reader, tokenizer, statement classifier and declaration parser: the input is
// one source file, indexed in table mode (the tables go nowhere).
#include "fuzz/FuzzSupport.h"

#include "fenrik/fenrik.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    prog_name = "fenrik";
    FILE *nowhere = std::fopen("/dev/null", "w");
    if (!nowhere)
        std::abort();
#ifndef REPLAY_TARGET
    // Fenrik traces odd lines on standard output: gigabytes over a long run. (The replay test
    // keeps standard output for its own report.)
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
#endif
    table_mode = true;
    file_table = func_table = args_table = nowhere;
    open_sinks();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    file_id = 0;
    scan_file(fuzz::streamOf(data, size), "fuzz.bas");
    drain_sink(func_out);
    drain_sink(args_out);
    return 0;
}
