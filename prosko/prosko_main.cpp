// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * prosko_main.cpp - Prosko's run: options, then the project files.
 *
 *   prosko [/f] [/h] [/p] [/l n] [/?] [project.vbp ...]
 *
 * Reads standard input when no file is named; /p takes the inputs as lists of
 * project-file names, one per line. Folders named on the command line are
 * passed over.
 */
#include "platform/startup/startup.h"
#include "prosko/prosko.h"

#include <sys/stat.h>

enum { LIST_MEMORY_MARK = 192 };

extern const char prosko_version[];
const char prosko_version[] = "version 1.00";

static const startup::ProgramInfo prosko_info = {
    "prosko", "[/f] [/h] [/p] [/l N] [/?] [PROJECT.vbp]...",
    R"(Lists the form, module and class files that Visual Basic project files name, one a line on
standard output, as fenrik /p reads them. Standard input is read when no project file is
named; a folder named is passed over.

  /f          put the project's folder in front of every file
  /h          put the project file's name and line number in front of every file
  /p          the inputs are lists of project file names, one a line
  /l N        accepted; it changes nothing
  /?          run the help program Kolmar through the interpreter that COMSPEC names
  --help      show this text and end (only as the first argument)
  --version   show the version and end (only as the first argument)

Options begin with a slash, in any letter case, and may stand anywhere. An argument that names
an existing file or folder, or that holds a further slash (/home/u/a.vbp), is a file name.
Exit status: 0 done, 1 an unknown option or a project file that cannot be read.
Example: prosko /f samples/vbproject/PhotoIndex.vbp | fenrik /p /t
See prosko(1).
)"};

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
    if (const auto answered = startup::answerInfoRequest(argc, argv, prosko_info))
        return *answered;
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
