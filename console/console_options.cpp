// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_options.cpp - option reading, argument rotation and the help request
 * of the console tools.
 *
 * Options begin with a slash. On POSIX an absolute path begins with a slash as
 * well, so an argument that names an existing file or folder, or that holds a
 * further slash, is a name and never an option.
 */
#include "console/console.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char **environ;

/* --- data ----------------------------------------------------------------- */

const char *prog_name = "";
int32_t opt_f, opt_h, opt_l, opt_p, opt_t;
int32_t list_number;

enum { COMSPEC_SIZE = 64 };

/* --- functions ------------------------------------------------------------ */

// Whether arg begins with a character of set and is not a path that merely starts with a slash.
bool is_option_arg(const char *arg, const char *set)
{
    if (arg[0] == '\0' || !std::strchr(set, arg[0]))
        return false;
    if (arg[0] != '/')
        return true;
    if (std::strchr(arg + 1, '/'))
        return false;
    struct stat st;
    return stat(arg, &st) != 0;
}

// Moves the first argument that is an option, and all behind it, to the front.
int rotate_to_option(int count, char **args, const char *set)
{
    int i = 0;
    while (i < count && !is_option_arg(args[i], set))
        ++i;
    if (i >= count)
        return 0;
    char **aside = static_cast<char **>(std::malloc(sizeof(char *) * static_cast<size_t>(count)));
    if (!aside)
        memory_shortage();
    std::memcpy(aside, args, sizeof(char *) * static_cast<size_t>(count));
    int n = 0;
    for (int k = i; k < count; ++k)
        args[n++] = aside[k];
    for (int k = 0; k < i; ++k)
        args[n++] = aside[k];
    std::free(aside);
    return i + 1;
}

// Reads a decimal integer as atol does: blanks, a sign, the digits; no digits give 0.
static int32_t read_number(const char *p)
{
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value <= INT32_MAX)
            value = value * 10 + (*p - '0');
    if (value > INT32_MAX)
        value = negative ? -static_cast<long long>(INT32_MAX) - 1 : INT32_MAX;
    else if (negative)
        value = -value;
    return static_cast<int32_t>(value);
}

// The flag that an option letter sets, or null when the letter is not one of the program's.
static int32_t *flag_for(char letter, const char *letters)
{
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    if (letter == '\0' || !std::strchr(letters, letter))
        return nullptr;
    switch (letter) {
    case 'f': return &opt_f;
    case 'h': return &opt_h;
    case 'l': return &opt_l;
    case 'p': return &opt_p;
    case 't': return &opt_t;
    default: return nullptr;
    }
}

// Takes the options in front of the file names; returns how many arguments they used.
int parse_options(int count, char **args, const char *letters)
{
    int n = count;
    int consumed = 0;
    for (;;) {
        while (n > 0 && is_option_arg(args[consumed], "/")) {
            const char *arg = args[consumed];
            if (arg[1] == '?')
                help_request();
            int32_t *flag = flag_for(arg[1], letters);
            if (!flag) {
                std::fprintf(stderr, "%s: unknown arg %s\n", prog_name, arg);
                std::exit(1);
            }
            *flag = 1;
            if (flag == &opt_l) {
                const char *number = arg + 2;
                if (*number == '=')
                    ++number;
                if (*number == '\0' && n > 1) {
                    number = args[consumed + 1];
                    ++consumed;
                    --n;
                }
                list_number = read_number(number);
            }
            ++consumed;
            --n;
        }
        if (n <= 0)
            return consumed;
        if (rotate_to_option(n, args + consumed, "/") == 0)
            return consumed;
    }
}

// Runs "/c Kolmar" with the program's name through the interpreter that COMSPEC names.
void help_request()
{
    const char *value = std::getenv("COMSPEC");
    // A value that does not fit the 64-byte copy is refused like a missing one.
    if (!value || value[0] == '\0' || std::strlen(value) >= COMSPEC_SIZE) {
        /* "%s:環境変数COMSPECを読み出せない" */
        std::fprintf(stderr,
                     "%s:\x8A\xC2\x8B\xAB\x95\xCF\x90\x94"
                     "COMSPEC"
                     "\x82\xF0\x93\xC7\x82\xDD\x8F\x6F\x82\xB9\x82\xC8\x82\xA2",
                     prog_name);
        std::exit(1);
    }
    char comspec[COMSPEC_SIZE];
    std::strcpy(comspec, value);
    char kolmar[] = "/c Kolmar";
    char *argv[] = {comspec, kolmar, const_cast<char *>(prog_name), nullptr};

    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid;
    if (posix_spawn(&pid, comspec, nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "%s: can't start " CP932_OPEN_BRACKET "%s" CP932_CLOSE_BRACKET "\n", prog_name, comspec);
        std::exit(1);
    }
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::exit(0);
}
