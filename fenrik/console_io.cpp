/*
 * console_io.cpp - streams, files and fatal reports of the console tools.
 *
 * Input is read in lines of at most 511 bytes, as fgets would cut them, after
 * the CR of every CR LF has been dropped the way a Windows text-mode stream
 * drops it. Every fatal condition ends the program here with status 1.
 */
#include "fenrik/console.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

/* --- line reader ---------------------------------------------------------- */

LineStream::LineStream(FILE *fp) : fd(fileno(fp))
{
}

// Drops the CR of each CR LF in buf[0, n); returns the new length.
static size_t drop_cr_before_lf(char *buf, size_t n)
{
    char *cr = static_cast<char *>(std::memchr(buf, '\r', n));
    if (!cr)
        return n;
    char *out = cr;
    const char *in = cr;
    const char *end = buf + n;
    while (in < end) {
        if (*in == '\r' && in + 1 < end && in[1] == '\n') {
            ++in;
            continue;
        }
        const char *next = static_cast<const char *>(std::memchr(in + 1, '\r', static_cast<size_t>(end - in - 1)));
        const char *stop = next ? next : end;
        std::memmove(out, in, static_cast<size_t>(stop - in));
        out += stop - in;
        in = stop;
    }
    return static_cast<size_t>(out - buf);
}

// Refills the buffer; a CR at the end of a chunk waits until its follower is known.
static bool fill(LineStream *s)
{
    while (!s->at_end) {
        size_t n = 0;
        if (s->held_cr) {
            s->buf[n++] = '\r';
            s->held_cr = false;
        }
        ssize_t got;
        do
            got = ::read(s->fd, s->buf + n, sizeof s->buf - n);
        while (got < 0 && errno == EINTR);
        if (got <= 0) {
            s->at_end = true;
        } else {
            n += static_cast<size_t>(got);
            n = drop_cr_before_lf(s->buf, n);
            if (s->buf[n - 1] == '\r') {
                s->held_cr = true;
                --n;
            }
        }
        s->pos = 0;
        s->end = n;
        if (n > 0)
            return true;
    }
    return false;
}

// Reads the next piece of a line (at most size - 1 bytes, ending at its LF); false at the end.
bool read_line(LineStream *s, char *line, int size)
{
    size_t len = 0;
    const size_t room = static_cast<size_t>(size - 1);
    while (len < room) {
        if (s->pos == s->end && !fill(s))
            break;
        size_t take = s->end - s->pos;
        if (take > room - len)
            take = room - len;
        const char *from = s->buf + s->pos;
        const char *lf = static_cast<const char *>(std::memchr(from, '\n', take));
        if (lf)
            take = static_cast<size_t>(lf - from) + 1;
        std::memcpy(line + len, from, take);
        len += take;
        s->pos += take;
        if (lf)
            break;
    }
    line[len] = '\0';
    return len > 0;
}

/* --- files and fatal reports ---------------------------------------------- */

// Reports a file that cannot be opened and ends the run.
void cannot_open(const char *name, const char *mode)
{
    std::fprintf(stderr, "%s: can't open file " CP932_OPEN_BRACKET "%s" CP932_CLOSE_BRACKET " mode %s\n",
                 prog_name, name, mode);
    std::exit(1);
}

// Opens a file or ends the run; a folder does not open for reading.
FILE *open_or_die(const char *name, const char *mode)
{
    FILE *fp = std::fopen(name, mode);
    if (!fp)
        cannot_open(name, mode);
    struct stat st;
    if (mode[0] == 'r' && fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(fp);
        cannot_open(name, mode);
    }
    return fp;
}

// Reports that the heap refused memory and ends the run.
void memory_shortage()
{
    std::fputs(CP932_MEMORY_SHORT, stderr);
    std::exit(1);
}

// A 512-byte line buffer, or the memory report of the routine that wanted it.
char *get_line_buffer(const char *source, unsigned number)
{
    char *line = static_cast<char *>(std::malloc(LINE_SIZE));
    if (!line) {
        std::printf("%s(%4u)%s", source, number, CP932_MEMORY_SHORT);
        std::exit(1);
    }
    line[0] = '\0';
    return line;
}

// Closes a written file; a write that failed on the way ends the run instead of passing as done.
void close_or_die(FILE *fp, const char *name)
{
    bool failed = std::ferror(fp) != 0;
    failed = std::fclose(fp) != 0 || failed;
    if (failed) {
        std::fprintf(stderr, "%s: can't write file " CP932_OPEN_BRACKET "%s" CP932_CLOSE_BRACKET "\n",
                     prog_name, name);
        std::exit(1);
    }
}

// Makes sure that standard output really took everything.
void flush_stdout_or_die()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s: can't write file " CP932_OPEN_BRACKET "stdout" CP932_CLOSE_BRACKET "\n",
                     prog_name);
        std::exit(1);
    }
}

// The /p mode: runs the per-file routine on every file that a line of the list names.
void read_name_list(FILE *list, PerFileRoutine per_file, const char *source, unsigned number)
{
    char *line = get_line_buffer(source, number);
    LineStream in(list);
    while (read_line(&in, line, LINE_SIZE)) {
        size_t len = std::strlen(line);
        if (len > 0 && line[len - 1] == '\n')
            line[len - 1] = '\0';
        FILE *fp = open_or_die(line, "r");
        per_file(fp, line);
        std::fclose(fp);
    }
    std::free(line);
}

/* --- names and folders ---------------------------------------------------- */

// Both slash and backslash separate folders in names.
bool is_folder_separator(char c)
{
    return c == '/' || c == '\\';
}

// Bytes of the character at p: 2 for a lead byte with a valid trail byte, else 1.
int sjis_char_length(const char *p)
{
    const unsigned char lead = static_cast<unsigned char>(p[0]);
    const unsigned char trail = static_cast<unsigned char>(p[1]);
    if (is_sjis_lead(lead) && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)))
        return 2;
    return 1;
}

// Position of the last folder separator (or colon) of name, -1 if none; a trail byte never counts.
long last_folder_mark(const char *name, bool colon_too)
{
    long last = -1;
    for (long i = 0; name[i];) {
        const int n = sjis_char_length(name + i);
        if (n == 1 && (is_folder_separator(name[i]) || (colon_too && name[i] == ':')))
            last = i;
        i += n;
    }
    return last;
}

// The current folder as the system gives it; empty when it cannot be had.
const char *current_folder()
{
    static std::string folder;
    std::string buf(4096, '\0');
    while (!getcwd(&buf[0], buf.size())) {
        if (errno != ERANGE || buf.size() > (1u << 20)) {
            folder.clear();
            return folder.c_str();
        }
        buf.resize(buf.size() * 2);
    }
    folder.assign(buf.c_str());
    return folder.c_str();
}
