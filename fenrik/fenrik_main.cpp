/*
 * fenrik_main.cpp - Fenrik's run: options, the three tables, the input files.
 *
 *   fenrik [/t] [/p] [/h] [/l n] [/?] [file ...]
 *
 * Reads standard input when no file is named; /p takes the inputs as lists of
 * file names, one per line.
 */
#include "fenrik/fenrik.h"

#include <sys/stat.h>

enum { LIST_MEMORY_MARK = 569 };

extern const char fenrik_version[];
const char fenrik_version[] = "version 1.00";

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
