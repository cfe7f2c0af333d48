// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_token.cpp - the one-line tokenizer of the console tools, keyword
 * comparison and tab expansion.
 *
 * A Shift_JIS lead byte takes the byte behind it into the same character, so a
 * trail byte is never taken for a separator or a quote. Tokens keep at most 255
 * bytes of text; a longer token still covers all of its bytes in the line.
 */
#include "console/console.h"

#include <cstdlib>
#include <cstring>

/* --- data ----------------------------------------------------------------- */

Tokenizer tok;

/* What a byte is to the tokenizer under the current separator set. */
enum ByteClass : unsigned char { WORD_BYTE = 0, SEP_BYTE = 1, LEAD_BYTE = 2, END_BYTE = 3 };

static unsigned char class_table[256];
static const char *class_table_for;

/* --- functions ------------------------------------------------------------ */

// The byte classes of a separator set, rebuilt when another set is asked for.
static const unsigned char *byte_classes(const char *seps)
{
    if (seps != class_table_for) {
        for (int c = 0; c < 256; ++c)
            class_table[c] = is_sjis_lead(static_cast<unsigned char>(c)) ? LEAD_BYTE : WORD_BYTE;
        for (const char *p = seps; *p; ++p)
            class_table[static_cast<unsigned char>(*p)] = SEP_BYTE;
        class_table[0] = END_BYTE;
        class_table_for = seps;
    }
    return class_table;
}

// Bytes of a character for the tokenizer: a lead byte takes the byte behind it, unless
// that is the end of the line (a NUL or a line feed, neither of which is ever a trail
// byte), so a stray lead byte can neither run past the buffer nor swallow the line end.
static inline int char_bytes(const char *p)
{
    return is_sjis_lead(static_cast<unsigned char>(p[0])) && p[1] != '\0' && p[1] != '\n' ? 2 : 1;
}

// Copies len bytes from the line as the token text, cut to 255 bytes between characters.
static void copy_token_text(const char *from, int len)
{
    int n = len;
    if (n > TOKEN_SIZE - 1) {
        n = 0;
        for (;;) {
            const int step = n + 1 < len ? char_bytes(from + n) : 1;
            if (n + step > TOKEN_SIZE - 1)
                break;
            n += step;
        }
    }
    std::memcpy(tok.tok_text, from, static_cast<size_t>(n));
    tok.tok_text[n] = '\0';
}

// Starts the tokenizer on a new line.
void reset_tokenizer()
{
    tok.tok_pos = 0;
    tok.tok_len = 0;
}

// Makes the current token cover len bytes of the line from its start.
void take_token_bytes(int len)
{
    tok.tok_len = len;
    copy_token_text(tok.line + tok.tok_pos, len);
    tok.tok_next = tok.line[tok.tok_pos + len];
}

// Advances to the next token of the line without copying its text: tok_pos, tok_len,
// tok_kind and tok_next describe it, tok_text is left as it was. Returns its length, 0
// when none is left.
int scan_token(const char *seps)
{
    const unsigned char *cls = byte_classes(seps);
    const char *line = tok.line;
    int p = tok.tok_pos + tok.tok_len;
    tok.tok_len = 0;
    tok.tok_kind = TOK_WORD;
    tok.tok_next = '\0';
    if (tok.skip_blanks == 1)
        while (line[p] == ' ')
            ++p;
    tok.tok_pos = p;

    const unsigned char c = static_cast<unsigned char>(line[p]);
    if (c == '\0' || c == '\n')
        return 0;
    int q = p;
    if (c == '"') {
        tok.tok_kind = TOK_STRING;
        ++q;
        while (line[q] != '\0' && line[q] != '"' && line[q] != '\n')
            q += char_bytes(line + q);
        if (line[q] == '"')
            ++q;
    } else if (cls[c] == SEP_BYTE) {
        tok.tok_kind = TOK_SEPARATOR;
        ++q;
        if (c == ':' && line[q] == '=')
            ++q;
    } else {
        // A word: up to the next separator or the end; a lead byte takes its partner.
        for (;;) {
            const unsigned char k = cls[static_cast<unsigned char>(line[q])];
            if (k == WORD_BYTE)
                ++q;
            else if (k == LEAD_BYTE)
                q += char_bytes(line + q);
            else
                break;
        }
    }
    tok.tok_len = q - p;
    tok.tok_next = line[q];
    return tok.tok_len;
}

// Advances to the next token of the line and copies its text into tok_text; returns its
// length, 0 when none is left.
int next_token(const char *seps)
{
    const int len = scan_token(seps);
    if (len < TOKEN_SIZE) {
        std::memcpy(tok.tok_text, tok.line + tok.tok_pos, static_cast<size_t>(len));
        tok.tok_text[len] = '\0';
    } else {
        copy_token_text(tok.line + tok.tok_pos, len);
    }
    return len;
}

// The keyword's length when the token is exactly the keyword, case included; else 0.
int keyword_length(const char *token, const char *keyword)
{
    return std::strcmp(token, keyword) == 0 ? static_cast<int>(std::strlen(keyword)) : 0;
}

// Replaces each tab by blanks up to the next tab stop; returns the new length.
// A line that would grow past size - 1 bytes is cut there, keeps its line feed and never
// splits a double-byte character.
int expand_tabs(char *line, int size, int tab_stop)
{
    const size_t len = std::strlen(line);
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a search, not a copy
    if (size < 2 || !std::memchr(line, '\t', len))
        return static_cast<int>(len);
    if (tab_stop < 1)
        tab_stop = 1;

    char stack_area[LINE_SIZE];
    char *work = stack_area;
    if (size > LINE_SIZE) {
        work = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
        if (!work)
            memory_shortage();
    }
    const bool has_lf = line[len - 1] == '\n';
    const size_t body = has_lf ? len - 1 : len;
    const size_t limit = static_cast<size_t>(size) - 1 - (has_lf ? 1 : 0);
    const size_t stop = static_cast<size_t>(tab_stop);
    size_t out = 0;
    for (size_t i = 0; i < body && out < limit;) {
        const char c = line[i];
        if (c == '\t') {
            work[out++] = ' ';
            while (out % stop != 0 && out < limit)
                work[out++] = ' ';
            ++i;
        } else if (is_sjis_lead(static_cast<unsigned char>(c)) && i + 1 < body && line[i + 1] != '\t') {
            if (out + 2 > limit)
                break;
            work[out++] = line[i++];
            work[out++] = line[i++];
        } else {
            work[out++] = line[i++];
        }
    }
    if (has_lf)
        work[out++] = '\n';
    std::memcpy(line, work, out);
    line[out] = '\0';
    if (work != stack_area)
        std::free(work);
    return static_cast<int>(out);
}
