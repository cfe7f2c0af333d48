// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_tables.cpp - Fenrik's table files and the File1.txt row of a file.
 *
 * The tables are tab-separated text in code page 932 with a header line each;
 * File1.txt names every input file, Func2.txt and Args3.txt get their rows from
 * the declaration parser.
 */
#include "fenrik/fenrik.h"

#include <cstdlib>
#include <cstring>

/* --- data ----------------------------------------------------------------- */

FILE *file_table, *func_table, *args_table;
bool table_mode;
Sink *func_out, *args_out;

static Sink func_sink, args_sink, stdout_sink;

#ifdef _WIN32
#define PATH_SEPARATOR "\\"
#else
#define PATH_SEPARATOR "/"
#endif

enum { COLLAPSE_SIZE = 260, COLLAPSE_MARKS = 32 };

static char collapse_area[COLLAPSE_SIZE];

/* "FileID\tファイル名\t拡張子\t純ファイル名\tパス名\n" */
const char FILE_HEADER[] = "FileID\t\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\t\x8A\x67\x92\xA3\x8E\x71\t"
                           "\x8F\x83\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\t\x83\x70\x83\x58\x96\xBC\n";
/* "FileID\tFuncID\t行No\tVB行No\t関数名\tイベント\t種類\tスコープ\tLIB\t戻り値\n" */
const char FUNC_HEADER[] =
    "FileID\tFuncID\t\x8D\x73No\tVB\x8D\x73No\t\x8A\xD6\x90\x94\x96\xBC\t\x83\x43\x83\x78\x83\x93\x83\x67\t"
    "\x8E\xED\x97\xDE\t\x83\x58\x83\x52\x81\x5B\x83\x76\tLIB\t\x96\xDF\x82\xE8\x92\x6C\n";
/* "FileID\tFuncID\tArgdID\t引数名\t引数型\tOption\t初期値\t予備1\t予備2\n" */
const char ARGS_HEADER[] = "FileID\tFuncID\tArgdID\t\x88\xF8\x90\x94\x96\xBC\t\x88\xF8\x90\x94\x8C\x5E\tOption\t"
                           "\x8F\x89\x8A\xFA\x92\x6C\t\x97\x5C\x94\xF5"
                           "1\t\x97\x5C\x94\xF5"
                           "2\n";

/* --- functions ------------------------------------------------------------ */

// Hands a sink's gathered bytes to its stream.
void drain_sink(Sink *s)
{
    if (s->used > 0)
        std::fwrite(s->buf, 1, s->used, s->fp);
    s->used = 0;
}

// Hands what the table sinks gathered to their streams; runs at exit too, so that a run
// that ends early leaves the tables as far written as stdio would have left them.
static void drain_table_sinks()
{
    drain_sink(&func_sink);
    drain_sink(&args_sink);
}

// The slow way of sink_write: a direct sink, or a full buffer.
void sink_bytes(Sink *s, const char *bytes, size_t n)
{
    if (s->direct) {
        std::fwrite(bytes, 1, n, s->fp);
        return;
    }
    drain_sink(s);
    if (n >= sizeof s->buf) {
        std::fwrite(bytes, 1, n, s->fp);
        return;
    }
    std::memcpy(s->buf, bytes, n);
    s->used = n;
}

// Sets the sinks on the table streams: gathering ones in table mode, else one direct sink.
void open_sinks()
{
    if (table_mode) {
        func_sink.fp = func_table;
        func_sink.direct = false;
        args_sink.fp = args_table;
        args_sink.direct = false;
        func_out = &func_sink;
        args_out = &args_sink;
        std::atexit(drain_table_sinks);
    } else {
        stdout_sink.fp = stdout;
        stdout_sink.direct = true;
        func_out = args_out = &stdout_sink;
    }
}

// Splits a name into its base name (without folder and extension) and its extension.
void split_name(const char *name, const char **base, size_t *base_len, const char **ext)
{
    const char *p = name;
    if (p[0] != '\0' && p[1] == ':')
        p += 2;
    const long sep = last_folder_mark(p, false);
    const char *last = sep >= 0 ? p + sep + 1 : p;
    const char *dot = std::strrchr(last, '.');
    *base = last;
    *ext = dot ? dot : last + std::strlen(last);
    *base_len = static_cast<size_t>(*ext - last);
}

// Collapses the "..\" (or "../") steps of a name; the result lives until the next call.
// A name too long for the 260-byte area, or with more than 32 separators, stays as it is.
const char *collapse_parent_dirs(const char *name)
{
    const size_t len = std::strlen(name);
    if (len >= COLLAPSE_SIZE)
        return name;
    int separators = 0;
    for (size_t i = 0; i < len; i += static_cast<size_t>(sjis_char_length(name + i)))
        if (is_folder_separator(name[i]))
            ++separators;
    if (separators > COLLAPSE_MARKS)
        return name;

    size_t marks[COLLAPSE_MARKS];
    int count = 0;
    size_t out = 0;
    bool after_separator = false;
    for (size_t i = 0; i < len;) {
        const char c = name[i];
        if (after_separator && count >= 2 && c == '.' && name[i + 1] == '.' && is_folder_separator(name[i + 2])) {
            out = marks[count - 2];
            --count;
            collapse_area[out++] = name[i + 2];
            i += 3;
            continue;
        }
        const int n = sjis_char_length(name + i);
        after_separator = n == 1 && is_folder_separator(c);
        if (after_separator)
            marks[count++] = out;
        for (int k = 0; k < n; ++k)
            collapse_area[out++] = name[i++];
    }
    collapse_area[out] = '\0';
    return collapse_area;
}

// Writes the File1.txt row of a file and gives it the next FileID.
void write_file_row(const char *name)
{
    ++file_id;
    const char *base, *ext;
    size_t base_len;
    split_name(name, &base, &base_len, &ext);
    const int id = static_cast<int>(file_id);
    const int blen = static_cast<int>(base_len);
    if (name[0] == '.')
        std::fprintf(file_table, "%d\t%s\t%s\t%.*s\t%s" PATH_SEPARATOR "%s\n", id, name, ext, blen, base,
                     current_folder(), name);
    else if (last_folder_mark(name, true) >= 0)
        std::fprintf(file_table, "%d\t%s\t%s\t%.*s\t%s\n", id, collapse_parent_dirs(name), ext, blen, base, name);
    else
        std::fprintf(file_table, "%d\t%s\t%s\t%.*s\t%s" PATH_SEPARATOR "%s\n", id, collapse_parent_dirs(name), ext,
                     blen, base, current_folder(), name);
}
