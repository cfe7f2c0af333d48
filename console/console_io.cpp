// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_io.cpp - streams, files and fatal reports of the console tools.
 *
 * Input is read in lines of at most 511 bytes, as fgets would cut them, after
 * the CR of every CR LF has been dropped the way a Windows text-mode stream
 * drops it. Every fatal condition ends the program here with status 1.
 */
#include "console/console.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

/* --- line reader ---------------------------------------------------------- */

LineStream::LineStream(FILE *fp) : fd(fileno(fp)) {}

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
    s->marks_known = false;
    while (s->end < want && !s->at_end) {
        ssize_t got;
        do
            got = ::read(s->fd, s->buf + s->end, LineStream::CAPACITY - s->end);
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
    // Only the lines that the caller wants come here, so a look at the piece alone is
    // cheaper than a search ahead through the buffer.
    s->had_tab = std::memchr(raw, '\t', take) != nullptr;
    *len = static_cast<int>(take);
    return raw;
}

// Where the first LF of raw[0, n) stands; n if there is none. The SSE2 form loads whole
// 16-byte blocks, so up to 15 bytes behind raw + n must be readable (the buffer's spare).
static inline size_t find_lf(const char *raw, size_t n)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (size_t i = 0; i < n; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(raw + i));
        const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        if (hits != 0) {
            const size_t k = i + static_cast<size_t>(__builtin_ctz(hits));
            return k < n ? k : n;
        }
    }
    return n;
#else
    const void *lf = std::memchr(raw, '\n', n);
    return lf ? static_cast<size_t>(static_cast<const char *>(lf) - raw) : n;
#endif
}

// Bytes of blanks at the start of raw; a byte other than a blank must follow in view.
static inline size_t blank_run(const char *raw)
{
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    for (size_t i = 0;; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(raw + i));
        const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, blank))) & 0xFFFFu;
        if (others != 0)
            return i + static_cast<size_t>(__builtin_ctz(others));
    }
#else
    size_t i = 0;
    while (raw[i] == ' ')
        ++i;
    return i;
#endif
}

// Marks the first two bytes of word as a start that may make a line worth a look.
void add_line_start(LineStarts *starts, const char *word)
{
    const unsigned pair = static_cast<unsigned char>(word[0]) << 8 | static_cast<unsigned char>(word[1]);
    starts->pairs[pair >> 3] |= static_cast<unsigned char>(1u << (pair & 7));
}

// Whether the two bytes at p are a marked start.
static inline bool is_line_start(const LineStarts *starts, const char *p)
{
    const unsigned pair = static_cast<unsigned char>(p[0]) << 8 | static_cast<unsigned char>(p[1]);
    return (starts->pairs[pair >> 3] >> (pair & 7)) & 1u;
}

// Sets the stop and blank marks of the buffer's bytes, 64 to a word; the words behind
// the last byte read stay clear.
static void build_marks(LineStream *s)
{
    const size_t words = (s->end + 63) / 64;
    for (size_t w = 0; w < words; ++w) {
        const char *block = s->buf + w * 64;
        uint64_t stops = 0, blanks = 0;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n'), tab = _mm_set1_epi8('\t'), blank = _mm_set1_epi8(' ');
        for (int part = 0; part < 4; ++part) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * part));
            const unsigned stop =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, tab))));
            const unsigned blank16 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
            stops |= static_cast<uint64_t>(stop) << (16 * part);
            blanks |= static_cast<uint64_t>(blank16) << (16 * part);
        }
#else
        for (int i = 0; i < 64; ++i) {
            stops |= static_cast<uint64_t>(block[i] == '\n' || block[i] == '\t') << i;
            blanks |= static_cast<uint64_t>(block[i] == ' ') << i;
        }
#endif
        s->stop_marks[w] = stops;
        s->blank_marks[w] = blanks;
    }
    // Bytes behind the end are neither stops nor blanks.
    const unsigned tail = static_cast<unsigned>(s->end % 64);
    if (tail != 0) {
        s->stop_marks[words - 1] &= (uint64_t{1} << tail) - 1;
        s->blank_marks[words - 1] &= (uint64_t{1} << tail) - 1;
    }
    for (size_t w = words; w < LineStream::MARK_WORDS; ++w)
        s->stop_marks[w] = s->blank_marks[w] = 0;
    s->marks_known = true;
}

// The 64 marks of the bytes from pos on, the first in the lowest bit.
static inline uint64_t marks_from(const uint64_t *marks, size_t pos)
{
    const size_t word = pos / 64;
    const unsigned shift = static_cast<unsigned>(pos % 64);
    // Two shifts, so that a shift of 0 never shifts by 64.
    return (marks[word] >> shift) | ((marks[word + 1] << 1) << (63 - shift));
}

// Bytes of the first 64-bit word's lowest set bit.
static inline size_t lowest_bit(uint64_t bits) { return static_cast<size_t>(__builtin_ctzll(bits)); }

// Passes over the lines that next_line would give as one whole piece without a tab and
// that the caller does not want: their first two bytes behind the blanks are no marked
// start, or the closer look turns them down. Stops in front of any other line, which
// next_line then gives as usual; returns how many lines were passed over. The closer
// look sees the line as next_line would give it: the CR of a CR LF reads as the LF.
long skip_lines(LineStream *s, int size, const LineStarts *starts)
{
    put_back_held_byte(s);
    const size_t room = static_cast<size_t>(size - 1);
    long passed = 0;
    for (;;) {
        if (s->end - s->pos < room + 2 && !s->at_end)
            fill_to(s, room + 2);
        if (!s->marks_known)
            build_marks(s);
        char *raw = s->buf + s->pos;
        const size_t avail = s->end - s->pos;
        const uint64_t stops = marks_from(s->stop_marks, s->pos);
        size_t k;
        if (stops != 0) {
            // A short line: the first LF or tab is in the next 64 bytes.
            k = lowest_bit(stops);
            if (raw[k] != '\n')
                break;
        } else {
            const size_t window = avail < room + 2 ? avail : room + 2;
            k = find_lf(raw, window);
            if (k == window || std::memchr(raw, '\t', k))
                break;
        }
        // next_line's rule for a line that fits one piece, with or without its CR.
        const bool cr = k > 0 && raw[k - 1] == '\r';
        if (cr ? k > room : k + 1 > room)
            break;
        // The line's LF (or CR) stops the blanks, and the byte behind it is in the buffer.
        const uint64_t others = ~marks_from(s->blank_marks, s->pos);
        const size_t b = others != 0 ? lowest_bit(others) : blank_run(raw);
        if (is_line_start(starts, raw + b)) {
            if (cr)
                raw[k - 1] = '\n';
            const bool wanted = starts->wanted(raw + b);
            if (cr)
                raw[k - 1] = '\r';
            if (wanted)
                break;
        }
        s->pos += k + 1;
        ++passed;
    }
    return passed;
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
    std::fprintf(stderr, "%s: can't open file " CP932_OPEN_BRACKET "%s" CP932_CLOSE_BRACKET " mode %s\n", prog_name,
                 name, mode);
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
        std::fprintf(stderr, "%s: can't write file " CP932_OPEN_BRACKET "%s" CP932_CLOSE_BRACKET "\n", prog_name, name);
        std::exit(1);
    }
}

// Makes sure that standard output really took everything.
void flush_stdout_or_die()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s: can't write file " CP932_OPEN_BRACKET "stdout" CP932_CLOSE_BRACKET "\n", prog_name);
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
bool is_folder_separator(char c) { return c == '/' || c == '\\'; }

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
