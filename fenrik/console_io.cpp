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

// Gives back the byte that the NUL behind the last line stands on.
static inline void put_back_held_byte(LineStream *s)
{
    if (s->holding) {
        s->buf[s->pos] = s->held;
        s->holding = false;
    }
}

// Makes at least want bytes of the stream readable from pos, unless it ends before.
static void fill_to(LineStream *s, size_t want)
{
    if (s->end - s->pos >= want || s->at_end)
        return;
    std::memmove(s->buf, s->buf + s->pos, s->end - s->pos);
    s->end -= s->pos;
    s->pos = 0;
    s->tab_at_known = false;
    while (s->end < want && !s->at_end) {
        ssize_t got;
        do
            got = ::read(s->fd, s->buf + s->end, sizeof s->buf - 1 - s->end);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            s->at_end = true;
        else
            s->end += static_cast<size_t>(got);
    }
}

// Gives the next piece of a line in place: at most size - 1 bytes, ending at its LF,
// NUL-terminated, valid until the next call. The CR of a CR LF is dropped before the
// line is cut into pieces, as a text-mode stream drops it, so a piece never ends between
// the two. Null at the end of the stream; *len is the piece's length.
char *next_line(LineStream *s, int size, int *len)
{
    put_back_held_byte(s);
    const size_t room = static_cast<size_t>(size - 1);
    // A full piece, a CR and its LF must be in view at once.
    fill_to(s, room + 2);
    char *raw = s->buf + s->pos;
    const size_t avail = s->end - s->pos;
    if (avail == 0) {
        *len = 0;
        return nullptr;
    }
    const size_t window = avail < room + 2 ? avail : room + 2;
    const char *lf = static_cast<const char *>(std::memchr(raw, '\n', window));
    const size_t k = lf ? static_cast<size_t>(lf - raw) : window;
    // Tabs are rare: one search finds the next, and lines before it need no look.
    if (!s->tab_at_known || s->tab_at < s->pos) {
        const char *t = static_cast<const char *>(std::memchr(raw, '\t', avail));
        s->tab_at = t ? static_cast<size_t>(t - s->buf) : s->end;
        s->tab_at_known = true;
    }
    const size_t start = s->pos;
    size_t take;
    if (k < window && k > 0 && raw[k - 1] == '\r' && k <= room) {
        // CR LF: the LF moves onto the CR and the NUL onto the old LF.
        raw[k - 1] = '\n';
        raw[k] = '\0';
        take = k;
        s->pos += k + 1;
    } else {
        if (k < window && k + 1 <= room)
            take = k + 1;
        else
            take = avail < room ? avail : room;
        // The NUL stands on the first byte of what follows; the buffer has a byte to
        // spare behind its end for the last piece.
        s->pos += take;
        s->held = s->buf[s->pos];
        s->holding = true;
        raw[take] = '\0';
    }
    s->had_tab = s->tab_at < start + take;
    *len = static_cast<int>(take);
    return raw;
}

// Reads the next piece of a line into line (as next_line cuts it); returns its length,
// 0 at the end of the stream.
int read_line(LineStream *s, char *line, int size)
{
    int len;
    const char *piece = next_line(s, size, &len);
    if (!piece)
        return 0;
    std::memcpy(line, piece, static_cast<size_t>(len) + 1);
    return len;
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
    while (read_line(&in, line, LINE_SIZE) > 0) {
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
