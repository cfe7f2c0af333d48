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

/* --- data ----------------------------------------------------------------- */

const char FENRIK_SEPS[] = " =()[]{}<> ,;:+-*/^!&#'\"\n";
const char FENRIK_SOURCE[] = "Fenrik";

int32_t file_id, func_id, arg_id;
int32_t file_line, vb_line;

static int32_t begin_depth;
static int32_t listed_count;

enum { SCAN_MEMORY_MARK = 443, TAB_STOP = 4 };

/* --- functions ------------------------------------------------------------ */

// Whether the current token is exactly word.
static inline bool token_is(const char *word)
{
    return tok.tok_text[0] == word[0] && keyword_length(tok.tok_text, word) > 0;
}

// The class flags that the kind word of a statement sets; "End" reads the word behind it.
static unsigned kind_flags()
{
    switch (tok.tok_text[0]) {
    case 'S':
        return token_is("Sub") ? SUB : token_is("Select") ? BLOCK : 0;
    case 'F':
        return token_is("Function") ? FUNCTION : token_is("For") ? BLOCK : 0;
    case 'D':
        return token_is("Dim") ? DIM : token_is("Do") ? BLOCK : 0;
    case 'B':
        if (!token_is("Begin"))
            return 0;
        ++begin_depth;
        return BEGIN;
    case 'T':
        return token_is("Type") ? TYPE : 0;
    case 'I':
        return token_is("If") ? BLOCK : 0;
    case 'W':
        return token_is("With") ? BLOCK : 0;
    case 'P':
        return token_is("Property") ? BLOCK : 0;
    case 'N':
        return token_is("Next") ? BLOCK | END : 0;
    case 'L':
        return token_is("Loop") ? BLOCK | END : 0;
    case 'E':
        if (token_is("Enum"))
            return BLOCK;
        if (!token_is("End"))
            return 0;
        if (next_token(FENRIK_SEPS) == 0)
            return END | BARE_END;
        if (token_is("If") || token_is("Select") || token_is("With") || token_is("Enum") ||
            token_is("Property"))
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
    default:
        return 0;
    }
}

// Lists a line: the file name on the first listed line of a file, blanks of its width later.
static void list_line(const char *name, const char *line)
{
    if (listed_count == 0)
        std::printf("%s(%4ld)%s", name, static_cast<long>(file_line), line);
    else
        std::printf("%*s(%4ld)%s", static_cast<int>(std::strlen(name)), "", static_cast<long>(file_line),
                    line);
    ++listed_count;
}

// Reads the line behind a continuation mark; at the end of the file the line is left empty.
void read_continuation(LineStream *in)
{
    if (read_line(in, tok.line, LINE_SIZE)) {
        ++file_line;
        expand_tabs(tok.line, LINE_SIZE, TAB_STOP);
        ++vb_line;
    } else {
        tok.line[0] = '\0';
    }
    reset_tokenizer();
}

// Fenrik's per-file routine: classifies every line of one source file.
void scan_file(FILE *fp, const char *name)
{
    char *line = get_line_buffer(FENRIK_SOURCE, SCAN_MEMORY_MARK);
    file_line = 0;
    vb_line = 0;
    begin_depth = 0;
    listed_count = 0;
    func_id = 0;
    arg_id = 0;
    if (table_mode)
        write_file_row(name);

    LineStream in(fp);
    tok.line = line;
    while (read_line(&in, line, LINE_SIZE)) {
        ++file_line;
        expand_tabs(line, LINE_SIZE, TAB_STOP);
        reset_tokenizer();
        ++vb_line;
        unsigned cls = 0;

        next_token(FENRIK_SEPS);
        if (token_is("Attribute"))
            vb_line = 0;
        if (token_is("Private")) {
            cls |= SCOPE_PRIVATE;
            next_token(FENRIK_SEPS);
        } else if (token_is("Public") || token_is("Global")) {
            cls |= SCOPE_PUBLIC;
            next_token(FENRIK_SEPS);
        }
        if (token_is("Declare")) {
            cls |= DECLARE;
            next_token(FENRIK_SEPS);
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
    std::free(line);
}
