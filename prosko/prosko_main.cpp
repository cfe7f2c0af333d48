/*
 * prosko_main.cpp - Prosko's run: options, then the project files.
 *
 *   prosko [/f] [/h] [/p] [/l n] [/?] [project.vbp ...]
 *
 * Reads standard input when no file is named; /p takes the inputs as lists of
 * project-file names, one per line. Folders named on the command line are
 * passed over.
 */
#include "prosko/prosko.h"

#include <sys/stat.h>

enum { LIST_MEMORY_MARK = 192 };

extern const char prosko_version[];
const char prosko_version[] = "version 1.00";

// Lists one named input: a project file, or with /p a list of project files.
static void list_input(const char *name)
{
    struct stat st;
    if (stat(name, &st) != 0)
        cannot_open(name, "r");
    if (S_ISDIR(st.st_mode))
        return;
    FILE *fp = open_or_die(name, "r");
    if (opt_p)
        read_name_list(fp, list_project, PROSKO_SOURCE, LIST_MEMORY_MARK);
    else
        list_project(fp, name);
    std::fclose(fp);
}

int main(int argc, char **argv)
{
    prog_name = argc > 0 && argv[0] ? argv[0] : "prosko";
    list_number = 40;
    const int count = argc > 0 ? argc - 1 : 0;
    const int consumed = parse_options(count, argv + (argc > 0 ? 1 : 0), "fhlp");
    const int files = count - consumed;
    char **names = argv + 1 + consumed;

    if (files == 0) {
        if (opt_p)
            read_name_list(stdin, list_project, PROSKO_SOURCE, LIST_MEMORY_MARK);
        else
            list_project(stdin, "stdin");
    } else {
        for (int i = 0; i < files; ++i)
            list_input(names[i]);
    }
    flush_stdout_or_die();
    return 0;
}
