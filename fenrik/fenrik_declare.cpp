// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_declare.cpp - Fenrik's declaration and argument parser.
 *
 * Reads a Sub or Function declaration token by token from the scanner's line
 * (following " _" continuations) and writes one Func2.txt row and one Args3.txt
 * row per argument, or, without /t, a token trace on standard output where each
 * token stands on a line of its own behind its kind digit and a colon.
 */
#include "fenrik/fenrik.h"

#include <cstring>

/* --- data ----------------------------------------------------------------- */

static const char *field_sep = "\n";
static bool trace_done;

enum { DECLARATION_MARK = 317 };

enum ArgFlag : unsigned { OPTIONAL = 1, BYVAL = 2, BYREF = 4, PARAMARRAY = 8 };

/* --- functions ------------------------------------------------------------ */

// Writes value in decimal, right-aligned in width places like "%*ld" (the rows' keys are
// written for every declaration and argument, so they bypass printf).
static void put_number(Sink *out, long value, int width = 0)
{
    char digits[24];
    char *p = digits + sizeof digits;
    unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do
        *--p = static_cast<char>('0' + magnitude % 10);
    while ((magnitude /= 10) != 0);
    if (value < 0)
        *--p = '-';
    for (int n = static_cast<int>(digits + sizeof digits - p); n < width && p > digits; ++n)
        *--p = ' ';
    sink_write(out, p, static_cast<size_t>(digits + sizeof digits - p));
}

// Writes prefix and then text, as "%s" text would.
static void put_mark(Sink *out, const char *prefix, const char *text)
{
    sink_puts(out, prefix);
    sink_puts(out, text);
}

// Writes the name and the line number of a traced line, as "%s(%4ld)".
static void put_line_mark(Sink *out, const char *name, long line)
{
    sink_puts(out, name);
    sink_putc(out, '(');
    put_number(out, line, 4);
    sink_putc(out, ')');
}

// Writes the keys that open an Args3.txt row: FileID, FuncID and ArgdID, each with a tab.
static void put_arg_keys(Sink *out)
{
    put_number(out, file_id);
    sink_putc(out, '\t');
    put_number(out, func_id);
    sink_putc(out, '\t');
    put_number(out, arg_id);
    sink_putc(out, '\t');
}

// Writes text to out n times.
static void repeat(Sink *out, const char *text, int n)
{
    for (int i = 0; i < n; ++i)
        sink_puts(out, text);
}

// The kind prefix of the current token in trace mode: its kind digit and a colon.
static void make_prefix(char *prefix)
{
    if (table_mode) {
        prefix[0] = '\0';
    } else {
        prefix[0] = static_cast<char>('0' + tok.tok_kind);
        prefix[1] = ':';
        prefix[2] = '\0';
    }
}

// Writes the current token as it stands in the line, so that a token longer than the
// 255 bytes of tok_text still comes out whole.
static void put_token(Sink *out) { sink_write(out, tok.line + tok.tok_pos, static_cast<size_t>(tok.tok_len)); }

// Writes prefix, the current token and sep.
static void put_field(Sink *out, const char *prefix, const char *sep)
{
    sink_puts(out, prefix);
    put_token(out);
    sink_puts(out, sep);
}

// Writes the part of the current token from its first underscore on; a trail byte is no underscore.
static void put_event_part(Sink *out)
{
    const char *name = tok.line + tok.tok_pos;
    int i = 0;
    while (i < tok.tok_len && name[i] != '_')
        i += sjis_char_length(name + i);
    if (i < tok.tok_len)
        sink_write(out, name + i, static_cast<size_t>(tok.tok_len - i));
}

// Writes the flag words of an argument, each followed by a blank.
static void write_flags(Sink *out, unsigned flags)
{
    if (flags & OPTIONAL)
        sink_literal(out, "Optional ");
    if (flags & BYVAL)
        sink_literal(out, "ByVal ");
    if (flags & BYREF)
        sink_literal(out, "ByRef ");
    if (flags & PARAMARRAY)
        sink_literal(out, "ParamArray ");
}

// Writes one Func2.txt row (or its trace) for the declaration the tokenizer stands on.
int parse_declaration(LineStream *in, const char *name, unsigned statement_class)
{
    Sink *out = func_out;
    arg_id = 0;
    field_sep = table_mode ? "\t" : "\n";
    if (!trace_done) {
        trace_done = true;
        std::printf("%s(%4u)\n", FENRIK_SOURCE, static_cast<unsigned>(DECLARATION_MARK));
    }
    if (table_mode) {
        ++func_id;
        // "%d\t%d\t%4ld\t%ld\t"
        put_number(out, file_id);
        sink_putc(out, '\t');
        put_number(out, func_id);
        sink_putc(out, '\t');
        put_number(out, file_line, 4);
        sink_putc(out, '\t');
        put_number(out, vb_line);
        sink_putc(out, '\t');
    } else {
        put_line_mark(out, name, file_line);
        sink_puts(out, tok.line);
    }

    int phase = 0;
    int fields_out = 0;
    char prefix[4];
    while (scan_token(FENRIK_SEPS) > 0) {
        make_prefix(prefix);
        if (tok.tok_kind == TOK_STRING) {
            if (!table_mode) {
                put_field(out, prefix, field_sep);
                ++phase;
            } else if (phase == 3) {
                for (; fields_out < 3; ++fields_out)
                    sink_puts(out, field_sep);
                put_token(out);
                sink_putc(out, ' ');
            } else {
                ++phase;
            }
            continue;
        }
        if (tok.tok_kind == TOK_SEPARATOR) {
            if (token_is("'"))
                break;
            if (token_is("(")) {
                if (!table_mode)
                    put_mark(out, prefix, "(\n");
                parse_arguments(in, name, statement_class);
                continue;
            }
            put_field(out, prefix, field_sep);
            ++fields_out;
            continue;
        }

        if (token_is("As") || token_is("Lib") || token_is("Alias")) {
            phase = token_is("As") ? 3 : 2;
            if (!table_mode)
                put_field(out, prefix, field_sep);
        } else {
            if (table_mode && fields_out < phase) {
                repeat(out, field_sep, phase - fields_out);
                fields_out = phase;
            }
            if (phase == 0) {
                put_field(out, prefix, field_sep);
                put_event_part(out);
                sink_puts(out, field_sep);
                ++fields_out;
            } else if (phase == 4) {
                put_field(out, prefix, field_sep);
                sink_puts(out, field_sep);
                ++fields_out;
            }
        }

        // the step that every word takes
        if (token_is("_") && tok.tok_next == '\n') {
            read_continuation(in);
            continue;
        }
        if (phase == 0) {
            const char *scope = (statement_class & SCOPE_PUBLIC)    ? "Public"
                                : (statement_class & SCOPE_PRIVATE) ? "Private"
                                                                    : "";
            sink_puts(out, (statement_class & SUB) ? "Sub" : "Function");
            sink_puts(out, field_sep);
            sink_puts(out, scope);
            sink_puts(out, field_sep);
            fields_out += 2;
        }
        ++phase;
    }
    if (table_mode)
        sink_puts(out, "\n");
    return 0;
}

// Writes one Args3.txt row per argument (or the trace) of the list the tokenizer stands on.
int parse_arguments(LineStream *in, const char *name, unsigned /*statement_class*/)
{
    Sink *out = args_out;
    const char *prefix = table_mode ? "" : "1:";
    field_sep = table_mode ? "\t" : "\n";
    int paren_depth = 0;
    unsigned flags = 0;
    int fields_out = 0;
    if (table_mode) {
        ++arg_id;
        put_arg_keys(out);
    }

    while (scan_token(FENRIK_SEPS) > 0) {
        if (tok.tok_kind == TOK_STRING) {
            put_field(out, prefix, field_sep);
            ++fields_out;
        } else if (tok.tok_kind == TOK_SEPARATOR) {
            if (token_is("'")) {
                if (table_mode)
                    sink_puts(out, "\n");
                return 0;
            } else if (token_is("(")) {
                ++paren_depth;
                if (!table_mode)
                    put_mark(out, prefix, "(\n");
            } else if (token_is(")")) {
                --paren_depth;
                if (!table_mode) {
                    put_mark(out, prefix, ")\n");
                    if (paren_depth < 0)
                        return 0;
                } else if (paren_depth < 0) {
                    for (; fields_out < 2; ++fields_out)
                        sink_puts(out, "\t");
                    write_flags(out, flags);
                    if (flags)
                        sink_puts(out, "\t");
                    sink_puts(out, "\n");
                    return 0;
                }
            } else if (token_is(",")) {
                if (!table_mode) {
                    put_mark(out, prefix, ",\n");
                } else {
                    if (flags) {
                        if (fields_out < 2)
                            repeat(out, "\t", 2 - fields_out);
                        write_flags(out, flags);
                        sink_puts(out, "\t");
                        flags = 0;
                    }
                    ++arg_id;
                    sink_putc(out, '\n');
                    put_arg_keys(out);
                }
                fields_out = 0;
            } else if (token_is("=")) {
                if (table_mode)
                    for (; fields_out < 2; ++fields_out)
                        sink_puts(out, "\t");
                put_mark(out, prefix, "=");
                sink_puts(out, field_sep);
                ++fields_out;
            } else {
                if (token_is("-")) {
                    const int n = expression_length(tok.line + tok.tok_pos, true);
                    if (n > 0)
                        take_token_bytes(n);
                }
                put_field(out, prefix, field_sep);
                ++fields_out;
            }
        } else if (token_is("_")) {
            const bool continued = tok.tok_next == '\n';
            if (!table_mode) {
                put_mark(out, prefix, "_");
                sink_puts(out, field_sep);
                if (continued)
                    put_mark(out, prefix, "_\n");
            }
            if (continued) {
                read_continuation(in);
                if (!table_mode && tok.line[0] != '\0') {
                    put_line_mark(out, name, file_line);
                    sink_puts(out, tok.line);
                }
            }
        } else if (!table_mode) {
            put_field(out, prefix, field_sep);
        } else {
            const int n = expression_length(tok.line + tok.tok_pos, true);
            if (n > 0) {
                take_token_bytes(n);
            } else if (token_is("As")) {
                continue;
            } else if (token_is("Optional")) {
                flags |= OPTIONAL;
                continue;
            } else if (token_is("ByVal")) {
                flags |= BYVAL;
                continue;
            } else if (token_is("ByRef")) {
                flags |= BYREF;
                continue;
            } else if (token_is("ParamArray")) {
                flags |= PARAMARRAY;
                continue;
            }
            put_field(out, "", "\t");
            ++fields_out;
        }
    }
    if (table_mode)
        sink_puts(out, "\n");
    return 0;
}

// Whether c may stand right behind a number: the end of the line, a blank or an operator.
static bool ends_number(char c)
{
    switch (c) {
    case '\0':
    case ' ':
    case ',':
    case '(':
    case ')':
    case '+':
    case '-':
    case '*':
    case '/':
    case '^':
    case '#':
    case '%':
    case ':':
    case '\n': return true;
    default: return false;
    }
}

// Bytes of the number at text (digits, an optional fraction, a type mark), 0 if none.
int number_length(const char *text, bool sign_allowed)
{
    int n = 0;
    if (sign_allowed && (text[0] == '-' || text[0] == '+'))
        ++n;
    int digits = 0;
    while (text[n] >= '0' && text[n] <= '9') {
        ++n;
        ++digits;
    }
    if (digits > 0 && text[n] == '.') {
        ++n;
        while (text[n] >= '0' && text[n] <= '9')
            ++n;
    }
    if (digits > 0 && (text[n] == '#' || text[n] == '%'))
        ++n;
    if (!ends_number(text[n]))
        return 0;
    return digits > 0 ? n : 0;
}

// Whether c ends a constant expression.
static bool ends_expression(char c) { return c == ')' || c == ',' || c == ':' || c == '\n' || c == '\''; }

/* What measure_expression found at each place of the text of one outermost call: a part that
   fails is measured once, not again by every part that encloses it (which took time doubling
   with each level of parentheses). */
enum { MEMO_SIZE = 2 * LINE_SIZE };
static const char *memo_base;
static int memo_length[2][MEMO_SIZE];
static bool memo_known[2][MEMO_SIZE];

static int measure_expression(const char *text, bool sign_allowed);

// Bytes of the constant expression at text (numbers, parentheses, + - * / ^), 0 if none.
int expression_length(const char *text, bool sign_allowed)
{
    memo_base = text;
    std::memset(memo_known, 0, sizeof memo_known);
    return measure_expression(text, sign_allowed);
}

// expression_length at a place of the outermost call's text, each place measured once.
static int measure_uncached(const char *text, bool sign_allowed);

static int measure_expression(const char *text, bool sign_allowed)
{
    const long at = static_cast<long>(text - memo_base);
    if (at < 0 || at >= MEMO_SIZE)
        return measure_uncached(text, sign_allowed);
    if (!memo_known[sign_allowed][at]) {
        memo_length[sign_allowed][at] = measure_uncached(text, sign_allowed);
        memo_known[sign_allowed][at] = true;
    }
    return memo_length[sign_allowed][at];
}

static int measure_uncached(const char *text, bool sign_allowed)
{
    int n = 0;
    while (text[n] == ' ')
        ++n;
    if (text[n] == '(') {
        const int inner = measure_expression(text + n + 1, true);
        if (inner == 0)
            return 0;
        n += 1 + inner;
        while (text[n] == ' ')
            ++n;
        if (text[n] != ')')
            return 0;
        ++n;
    } else if (ends_expression(text[n])) {
        return 0;
    } else {
        const int number = number_length(text + n, sign_allowed);
        if (number == 0)
            return 0;
        n += number;
    }
    for (;;) {
        const int good = n;
        while (text[n] == ' ')
            ++n;
        const char c = text[n];
        if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^') {
            const int rest = measure_expression(text + n + 1, false);
            if (rest == 0)
                return good;
            n += 1 + rest;
            continue;
        }
        return c == ' ' || ends_expression(c) ? good : 0;
    }
}
