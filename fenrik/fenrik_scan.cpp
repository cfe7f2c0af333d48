// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_scan.cpp - Fenrik's source scanner and statement classifier.
 *
 * Reads one VB source file line by line, classifies each line by its first
 * words, hands Sub and Function declarations to the declaration parser, follows
 * the Begin ... End blocks of form descriptions and lists notable lines (type
 * definitions, bare End statements, Declare lines that name no procedure kind)
 * on standard output.
 */
#include "fenrik/fenrik.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

/* --- data ----------------------------------------------------------------- */

const char FENRIK_SEPS[] = " =()[]{}<> ,;:+-*/^!&#'\"\n";
const char FENRIK_SOURCE[] = "Fenrik";

int32_t file_id, func_id, arg_id;
int32_t file_line, vb_line;

static int32_t begin_depth;
static int32_t listed_count;
static char *line_buffer; /* the file's 512-byte line buffer; tab-expanded lines live here */

enum { SCAN_MEMORY_MARK = 443, TAB_STOP = 4 };

/* Bytes that end a word under Fenrik's separator set (and the NUL at the end of a line). */
static const struct WordEnds
{
    unsigned char is[256] = {};
    WordEnds()
    {
        for (const char *p = FENRIK_SEPS; *p; ++p)
            is[static_cast<unsigned char>(*p)] = 1;
        is[0] = 1;
    }
} word_ends;

/* --- functions ------------------------------------------------------------ */

// The class flags that the kind word of a statement sets; "End" reads the word behind it.
static unsigned kind_flags()
{
    switch (token_first()) {
    case 'S': return token_is("Sub") ? SUB : token_is("Select") ? BLOCK : 0;
    case 'F': return token_is("Function") ? FUNCTION : token_is("For") ? BLOCK : 0;
    case 'D': return token_is("Dim") ? DIM : token_is("Do") ? BLOCK : 0;
    case 'B':
        if (!token_is("Begin"))
            return 0;
        ++begin_depth;
        return BEGIN;
    case 'T': return token_is("Type") ? TYPE : 0;
    case 'I': return token_is("If") ? BLOCK : 0;
    case 'W': return token_is("With") ? BLOCK : 0;
    case 'P': return token_is("Property") ? BLOCK : 0;
    case 'N': return token_is("Next") ? BLOCK | END : 0;
    case 'L': return token_is("Loop") ? BLOCK | END : 0;
    case 'E':
        if (token_is("Enum"))
            return BLOCK;
        if (!token_is("End"))
            return 0;
        if (scan_token(FENRIK_SEPS) == 0)
            return END | BARE_END;
        if (token_is("If") || token_is("Select") || token_is("With") || token_is("Enum") || token_is("Property"))
            return END | BLOCK;
        if (token_is("Sub"))
            return END | SUB;
        if (token_is("Function"))
            return END | FUNCTION;
        if (token_is("Type"))
            return END | TYPE;
        if (token_is("'"))
            return END | BARE_END;
        return END | WRONG_END;
    default: return 0;
    }
}

// Lists a line: the file name on the first listed line of a file, blanks of its width later.
static void list_line(const char *name, const char *line)
{
    if (listed_count == 0)
        std::printf("%s(%4ld)%s", name, static_cast<long>(file_line), line);
    else
        std::printf("%*s(%4ld)%s", static_cast<int>(std::strlen(name)), "", static_cast<long>(file_line), line);
    ++listed_count;
}

// Takes the next line of the stream: in place, or tab-expanded into the line buffer;
// null at the end of the stream.
static char *take_line(LineStream *in)
{
    int len;
    char *text = next_line(in, LINE_SIZE, &len);
    if (text && in->had_tab) {
        std::memcpy(line_buffer, text, static_cast<size_t>(len) + 1);
        expand_tabs(line_buffer, LINE_SIZE, TAB_STOP);
        text = line_buffer;
    }
    return text;
}

// Reads the line behind a continuation mark; at the end of the file the line is left empty.
void read_continuation(LineStream *in)
{
    char *text = take_line(in);
    if (text) {
        ++file_line;
        ++vb_line;
        tok.line = text;
    } else {
        line_buffer[0] = '\0';
        tok.line = line_buffer;
    }
    reset_tokenizer();
}

// Whether text begins with the whole word: the word's bytes, then a separator or the end.
// Compares byte by byte, so it never reads past the NUL that ends the line.
static inline bool begins_with_word(const char *text, const char *word)
{
    for (; *word; ++text, ++word)
        if (*text != *word)
            return false;
    return word_ends.is[static_cast<unsigned char>(*text)] != 0;
}

// Skips the blanks that the tokenizer skips.
static inline const char *skip_blanks(const char *text)
{
    while (*text == ' ')
        ++text;
    return text;
}

// Whether the first words of a line can change anything: only a scope word, Declare,
// Attribute, Sub, Function, Begin, Type and End can; of End only a bare one, End Type
// and End followed by any other word than If, Select, With, Enum, Property, Sub or
// Function. Every other line (If, Dim, Next, a name ...) has no effect, so most
// statements are passed over untokenized.
bool may_matter(const char *text)
{
    text = skip_blanks(text);
    switch (*text) {
    case 'A': return begins_with_word(text, "Attribute");
    case 'B': return begins_with_word(text, "Begin");
    case 'D': return begins_with_word(text, "Declare");
    case 'F': return begins_with_word(text, "Function");
    case 'G': return begins_with_word(text, "Global");
    case 'P': return begins_with_word(text, "Private") || begins_with_word(text, "Public");
    case 'S': return begins_with_word(text, "Sub");
    case 'T': return begins_with_word(text, "Type");
    case 'E':
        if (!begins_with_word(text, "End"))
            return false;
        text = skip_blanks(text + 3);
        switch (*text) {
        case 'E': return !begins_with_word(text, "Enum");
        case 'F': return !begins_with_word(text, "Function");
        case 'I': return !begins_with_word(text, "If");
        case 'P': return !begins_with_word(text, "Property");
        case 'S': return !begins_with_word(text, "Select") && !begins_with_word(text, "Sub");
        case 'W': return !begins_with_word(text, "With");
        default: return true;
        }
    default: return false;
    }
}

/* A word as the first bytes of an 8-byte load, for one comparison with a line. */
struct WordPattern
{
    uint64_t bytes = 0, mask = 0;
    size_t len = 0;
};

// The pattern of a word of at most 8 bytes.
static WordPattern word_pattern(const char *word)
{
    WordPattern w;
    w.len = std::strlen(word);
    unsigned char bytes[8] = {}, mask[8] = {};
    std::memcpy(bytes, word, w.len);
    std::memset(mask, 0xFF, w.len);
    std::memcpy(&w.bytes, bytes, 8);
    std::memcpy(&w.mask, mask, 8);
    return w;
}

// Where a word after End stands in end_words: its first two bytes tell the seven apart.
static inline unsigned after_end_slot(const char *word)
{
    return (static_cast<unsigned char>(word[0]) + static_cast<unsigned char>(word[1])) & 31u;
}

/* "End" and the words after it that make an End line one without effect. */
static const struct EndWords
{
    WordPattern end;
    WordPattern after[32];
    EndWords() : end(word_pattern("End"))
    {
        for (const char *word : {"Enum", "Function", "If", "Property", "Select", "Sub", "With"})
            after[after_end_slot(word)] = word_pattern(word);
    }
} end_words;

// Whether text begins with the whole word of the pattern; loads the 8 bytes at text.
static inline bool begins_with_pattern(const char *text, const WordPattern &w)
{
    uint64_t bytes;
    std::memcpy(&bytes, text, 8);
    return (bytes & w.mask) == w.bytes && w.len != 0 && word_ends.is[static_cast<unsigned char>(text[w.len])];
}

// may_matter for a line whose first byte other than a blank is at text, and which may be
// loaded 8 bytes at a time: End lines, the most frequent ones that come here, take two
// word comparisons instead of a byte-by-byte walk.
bool line_may_matter(const char *text)
{
    if (!begins_with_pattern(text, end_words.end))
        return may_matter(text);
    const char *next = skip_blanks(text + 3);
    return !begins_with_pattern(next, end_words.after[after_end_slot(next)]);
}

// The starts of the lines that may matter, for the line reader to pass over all others.
static const LineStarts &matter_starts()
{
    static const LineStarts starts = [] {
        LineStarts s;
        for (const char *word :
             {"Attribute", "Begin", "Declare", "Function", "Global", "Private", "Public", "Sub", "Type", "End"})
            add_line_start(&s, word);
        s.wanted = line_may_matter;
        return s;
    }();
    return starts;
}

// Fenrik's per-file routine: classifies every line of one source file.
void scan_file(FILE *fp, const char *name)
{
    line_buffer = get_line_buffer(FENRIK_SOURCE, SCAN_MEMORY_MARK);
    file_line = 0;
    vb_line = 0;
    begin_depth = 0;
    listed_count = 0;
    func_id = 0;
    arg_id = 0;
    if (table_mode)
        write_file_row(name);

    const LineStarts &starts = matter_starts();
    LineStream in(fp);
    for (;;) {
        // Lines that cannot matter are only counted.
        const long passed = skip_lines(&in, LINE_SIZE, &starts);
        file_line += static_cast<int32_t>(passed);
        vb_line += static_cast<int32_t>(passed);
        char *line = take_line(&in);
        if (!line)
            break;
        ++file_line;
        ++vb_line;
        if (!may_matter(line))
            continue;
        tok.line = line;
        reset_tokenizer();
        unsigned cls = 0;

        scan_token(FENRIK_SEPS);
        if (token_is("Attribute"))
            vb_line = 0;
        if (token_is("Private")) {
            cls |= SCOPE_PRIVATE;
            scan_token(FENRIK_SEPS);
        } else if (token_is("Public") || token_is("Global")) {
            cls |= SCOPE_PUBLIC;
            scan_token(FENRIK_SEPS);
        }
        if (token_is("Declare")) {
            cls |= DECLARE;
            scan_token(FENRIK_SEPS);
        }
        cls |= kind_flags();

        if (cls & WRONG_END)
            std::printf("ERROR! (%3d)%s", static_cast<int>(file_line), line);

        if (cls & (SUB | FUNCTION)) {
            if (!(cls & END))
                parse_declaration(&in, name, cls);
        } else if (cls == DIM || cls == SCOPE_PRIVATE || cls == SCOPE_PUBLIC) {
            // plain variable and constant declarations
        } else if (cls & (BLOCK | BEGIN)) {
            // block statements and form descriptions
        } else if (cls & END) {
            if (begin_depth > 0 && (cls & BARE_END))
                --begin_depth;
            else
                list_line(name, line);
        } else if (cls != 0) {
            list_line(name, line);
        }
    }
    tok.line = nullptr;
    std::free(line_buffer);
    line_buffer = nullptr;
}
