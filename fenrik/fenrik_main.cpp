// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_main.cpp - Fenrik's run: options, the three tables, the input files.
 *
 *   fenrik [/t] [/p] [/h] [/l n] [/?] [file ...]
 *
 * Reads standard input when no file is named; /p takes the inputs as lists of
 * file names, one per line.
 */
#include "fenrik/fenrik.h"
#include "platform/startup/startup.h"

#include <sys/stat.h>

enum { LIST_MEMORY_MARK = 569 };

extern const char fenrik_version[];
const char fenrik_version[] = "version 1.00";

static const startup::ProgramInfo fenrik_info = {
    "fenrik", "[/t] [/p] [/h] [/l N] [/?] [FILE]...",
    R"(Indexes Visual Basic source files (forms, modules, classes). Without /t it writes a token
trace to standard output; with /t it writes three tab-separated tables in code page 932 into
the current folder: File1.txt (a row per file), Func2.txt (a row per Sub or Function) and
Args3.txt (a row per argument). Standard input is read when no FILE is named.

  /t          write the three tables instead of the trace
  /p          the inputs are lists of source file names, one a line
  /h, /l N    accepted; they change nothing
  /?          run the help program Kolmar through the interpreter that COMSPEC names
  --help      show this text and end (only as the first argument)
  --version   show the version and end (only as the first argument)

Options begin with a slash, in any letter case, and may stand anywhere. An argument that names
an existing file or folder, or that holds a further slash (/home/u/a.bas), is a file name.
Exit status: 0 done, 1 an unknown option or a file that cannot be read or written.
Example: prosko /f samples/vbproject/PhotoIndex.vbp | fenrik /p /t
See fenrik(1).
)"};

// Opens a table file and writes its header line.
static FILE *open_table(const char *name, const char *header)
{
    FILE *fp = open_or_die(name, "w");
    std::fputs(header, fp);
    return fp;
}

// Indexes one named input: a source file, or with /p a list of source files.
static void index_input(const char *name)
{
    struct stat st;
    if (stat(name, &st) != 0 || S_ISDIR(st.st_mode))
        cannot_open(name, "r");
    FILE *fp = open_or_die(name, "r");
    if (opt_p)
        read_name_list(fp, scan_file, FENRIK_SOURCE, LIST_MEMORY_MARK);
    else
        scan_file(fp, name);
    std::fclose(fp);
}

int main(int argc, char **argv)
{
    if (const auto answered = startup::answerInfoRequest(argc, argv, fenrik_info))
        return *answered;
    prog_name = argc > 0 && argv[0] ? argv[0] : "fenrik";
    const int count = argc > 0 ? argc - 1 : 0;
    const int consumed = parse_options(count, argv + (argc > 0 ? 1 : 0), "hlpt");
    const int files = count - consumed;
    char **names = argv + 1 + consumed;

    table_mode = opt_t != 0;
    if (table_mode) {
        file_table = open_table("File1.txt", FILE_HEADER);
        func_table = open_table("Func2.txt", FUNC_HEADER);
        args_table = open_table("Args3.txt", ARGS_HEADER);
    } else {
        file_table = func_table = args_table = stdout;
    }
    open_sinks();

    file_id = 0;
    if (files == 0) {
        if (opt_p)
            read_name_list(stdin, scan_file, FENRIK_SOURCE, LIST_MEMORY_MARK);
        else
            scan_file(stdin, "stdin");
    } else {
        if (files > 1)
            opt_h = 1;
        for (int i = 0; i < files; ++i)
            index_input(names[i]);
    }

    if (table_mode) {
        drain_sink(func_out);
        drain_sink(args_out);
        close_or_die(file_table, "File1.txt");
        close_or_die(func_table, "Func2.txt");
        close_or_die(args_table, "Args3.txt");
    }
    flush_stdout_or_die();
    return 0;
}
