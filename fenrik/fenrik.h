// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik.h - Fenrik, the Visual Basic source procedure indexer.
 *
 * Fenrik reads VB forms, modules and classes and writes File1.txt, Func2.txt
 * and Args3.txt (table mode, /t), or a token trace on standard output.
 */
#pragma once

#include "console/console.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

/* Fenrik's separator set: blank and = ( ) [ ] { } < > blank , ; : + - * / ^ ! & # ' " LF */
extern const char FENRIK_SEPS[];

/* The source name that memory reports carry. */
extern const char FENRIK_SOURCE[];

/* Statement-class flags: what the first words of a line say. */
constexpr unsigned SCOPE_PRIVATE = 1u << 0;
constexpr unsigned SCOPE_PUBLIC = 1u << 1;
constexpr unsigned DECLARE = 1u << 2;
constexpr unsigned DIM = 1u << 3;
constexpr unsigned SUB = 1u << 4;
constexpr unsigned FUNCTION = 1u << 5;
constexpr unsigned BEGIN = 1u << 6;
constexpr unsigned TYPE = 1u << 7;
constexpr unsigned BLOCK = 1u << 8;
constexpr unsigned END = 1u << 9;
constexpr unsigned BARE_END = 1u << 10;
constexpr unsigned WRONG_END = 1u << 11;

/* Whether the current token is exactly word, case included (keyword_length, unrolled).
   Fenrik reads its tokens in place (scan_token): the token's bytes in the line are what
   tok_text would hold, as no word is as long as the 255 bytes that tok_text keeps. */
template <size_t N>
inline bool token_is(const char (&word)[N])
{
    return tok.tok_len == static_cast<int32_t>(N - 1) && std::memcmp(tok.line + tok.tok_pos, word, N - 1) == 0;
}

/* The first byte of the current token (the line's end when there is none). */
inline char token_first() { return tok.line[tok.tok_pos]; }

/* Counters of the run and of the current file. */
extern int32_t file_id, func_id, arg_id;
extern int32_t file_line, vb_line;

/* Where rows go: the three tables in table mode, standard output otherwise. */
extern FILE *file_table, *func_table, *args_table;
extern bool table_mode;

/* Rows gathered in memory and handed to their stream in large blocks, as stdio would
   otherwise take them a field at a time. A direct sink hands every piece over at once, so
   that it keeps its place among the other writes to the same stream (the trace mode). */
struct Sink
{
    FILE *fp = nullptr;
    bool direct = true;
    size_t used = 0;
    char buf[1 << 16];
};

/* The sinks of Func2.txt and Args3.txt; one direct sink on standard output without /t. */
extern Sink *func_out, *args_out;

void open_sinks();
void drain_sink(Sink *s);
void sink_bytes(Sink *s, const char *bytes, size_t n);

/* Copies the few bytes of a field with two overlapping moves instead of a library call. */
inline void copy_small(char *to, const char *from, size_t n)
{
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0 && n < 4) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    } else if (n > 16) {
        std::memcpy(to, from, n);
    }
}

/* Writes n bytes to a sink. */
inline void sink_write(Sink *s, const char *bytes, size_t n)
{
    if (!s->direct && n <= sizeof s->buf - s->used) {
        copy_small(s->buf + s->used, bytes, n);
        s->used += n;
    } else {
        sink_bytes(s, bytes, n);
    }
}

/* Writes a string literal to a sink, its length known where it is written. */
template <size_t N>
inline void sink_literal(Sink *s, const char (&text)[N])
{
    sink_write(s, text, N - 1);
}

/* Writes one byte to a sink. */
inline void sink_putc(Sink *s, char c)
{
    if (!s->direct && s->used < sizeof s->buf)
        s->buf[s->used++] = c;
    else
        sink_bytes(s, &c, 1);
}

/* Writes a string to a sink, as fputs would; the separators and prefixes of the rows
   are a byte or two, so a gathering sink takes them a byte at a time. */
inline void sink_puts(Sink *s, const char *text)
{
    if (s->direct)
        sink_bytes(s, text, std::strlen(text));
    else
        for (; *text; ++text)
            sink_putc(s, *text);
}

void scan_file(FILE *fp, const char *name);
bool line_may_matter(const char *text);
bool may_matter(const char *text);
void read_continuation(LineStream *in);

int parse_declaration(LineStream *in, const char *name, unsigned statement_class);
int parse_arguments(LineStream *in, const char *name, unsigned statement_class);
int expression_length(const char *text, bool sign_allowed);
int number_length(const char *text, bool sign_allowed);

/* Header lines of File1.txt, Func2.txt and Args3.txt. */
extern const char FILE_HEADER[], FUNC_HEADER[], ARGS_HEADER[];

void write_file_row(const char *name);
const char *collapse_parent_dirs(const char *name);
void split_name(const char *name, const char **base, size_t *base_len, const char **ext);
