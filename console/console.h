// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console.h - the console utility layer shared by Fenrik and Prosko.
 *
 * Option reading with argument rotation, the help request through the command
 * interpreter, the fatal "can't open" and memory reports, the line reader, the
 * Shift_JIS aware one-line tokenizer, tab expansion and the name-list reader.
 * Everything works on 8-bit code page 932 text; nothing is converted.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

/* --- shared state of a run ------------------------------------------------ */

extern const char *prog_name; /* the name the program was started by, for messages */
extern int32_t opt_f, opt_h, opt_l, opt_p, opt_t;
extern int32_t list_number; /* the number given with /l; nobody reads it further */

/* Line buffers hold at most 511 text bytes and the terminating NUL. */
enum { LINE_SIZE = 512, TOKEN_SIZE = 256 };

enum TokenKind { TOK_WORD = 0, TOK_SEPARATOR = 1, TOK_STRING = 2 };

struct Tokenizer
{
    char *line = nullptr; /* the line being tokenized */
    int32_t tok_pos = 0;  /* where the current token begins in line */
    int32_t tok_len = 0;  /* how many bytes of line the token covers */
    char tok_text[TOKEN_SIZE] = {};
    int32_t tok_kind = TOK_WORD;
    char tok_next = 0; /* the byte of line right behind the token */
    int32_t skip_blanks = 1;
};

extern Tokenizer tok;

/* --- options and the help request ----------------------------------------- */

int parse_options(int count, char **args, const char *letters);
int rotate_to_option(int count, char **args, const char *set);
[[noreturn]] void help_request();
bool is_option_arg(const char *arg, const char *set);

/* --- files, streams and fatal reports -------------------------------------- */

/* Reads a stream in lines, dropping the CR of every CR LF as a text-mode stream does. */
struct LineStream
{
    int fd;
    size_t pos = 0, end = 0;
    bool at_end = false;
    bool had_tab = false; /* the last piece read holds a tab */
    bool holding = false; /* buf[pos] is under the NUL behind the last piece */
    char held = 0;
    /* Room for 64 KiB of the stream, the NUL behind the last piece and the 16-byte
       loads that may run past the last byte read. */
    enum { CAPACITY = 65536, SPARE = 64, MARK_WORDS = CAPACITY / 64 + 1 };
    char buf[CAPACITY + SPARE];
    /* A bit for every byte of buf[0, end): where LFs and tabs stand, and where blanks do;
       skip_lines builds them when it first needs them after a fill. */
    bool marks_known = false;
    uint64_t stop_marks[MARK_WORDS];
    uint64_t blank_marks[MARK_WORDS];

    explicit LineStream(FILE *fp);
};

/* The first two bytes (behind leading blanks) that may make a line worth a closer look,
   and the closer look: a line reader passes over every other line unseen. */
struct LineStarts
{
    unsigned char pairs[65536 / 8] = {};
    /* Gets the line from its first byte that is not a blank; reads up to the line's first
       LF or NUL, and may load 8 bytes at once from anywhere up to that LF. */
    bool (*wanted)(const char *text) = nullptr;
};

void add_line_start(LineStarts *starts, const char *word);
char *next_line(LineStream *s, int size, int *len);
long skip_lines(LineStream *s, int size, const LineStarts *starts);
int read_line(LineStream *s, char *line, int size);

FILE *open_or_die(const char *name, const char *mode);
[[noreturn]] void cannot_open(const char *name, const char *mode);
[[noreturn]] void memory_shortage();
char *get_line_buffer(const char *source, unsigned number);
void close_or_die(FILE *fp, const char *name);
void flush_stdout_or_die();

typedef void (*PerFileRoutine)(FILE *fp, const char *name);
void read_name_list(FILE *list, PerFileRoutine per_file, const char *source, unsigned number);

/* --- text routines --------------------------------------------------------- */

int next_token(const char *seps);
int scan_token(const char *seps);
void reset_tokenizer();
void take_token_bytes(int len);
int keyword_length(const char *token, const char *keyword);
inline bool is_sjis_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
int sjis_char_length(const char *p);
int expand_tabs(char *line, int size, int tab_stop);

/* --- names and folders ----------------------------------------------------- */

bool is_folder_separator(char c);
long last_folder_mark(const char *name, bool colon_too);
const char *current_folder();

/* Code page 932 texts of the messages. */
#define CP932_OPEN_BRACKET "\xA2"                      /* half-width corner bracket, left */
#define CP932_CLOSE_BRACKET "\xA3"                     /* half-width corner bracket, right */
#define CP932_MEMORY_SHORT "memory \x95\x73\x91\xAB\n" /* "memory 不足\n" */
