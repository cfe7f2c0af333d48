// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * list_project.cpp - Prosko's project lister.
 *
 * A project file holds one entry per line, key = value. Listed are the
 * entries "Form=path" (three tokens) and "Module=Name; path" and
 * "Class=Name; path" (five tokens); every other line is passed over.
 */
#include "prosko/prosko.h"

#include <cstdlib>
#include <cstring>
#include <string>

/* --- data ----------------------------------------------------------------- */

const char PROSKO_SEPS[] = " =;{}\n";
const char PROSKO_SOURCE[] = "Prosko";

int32_t project_line;

enum { PROJECT_MEMORY_MARK = 99, SLOTS = 16, SLOT_SIZE = 512 };

enum MemberKind { NONE = 0, FORM = 1, MODULE = 2, CLASS = 4 };

static char slots[SLOTS][SLOT_SIZE];
static int32_t slot_kinds[SLOTS];
static_assert(static_cast<int>(SLOT_SIZE) >= static_cast<int>(LINE_SIZE), "a slot must hold any token of a line");

#ifdef _WIN32
#define PATH_SEPARATOR "\\"
#else
#define PATH_SEPARATOR "/"
#endif

/* --- functions ------------------------------------------------------------ */

// What /f puts in front of each member: the project's folder, else the current folder.
static std::string folder_prefix(const char *name)
{
    if (!opt_f)
        return std::string();
    const long mark = last_folder_mark(name, true);
    if (mark > 0)
        return std::string(name, static_cast<size_t>(mark) + 1);
    // A current folder on POSIX always has a folder part; one that cannot be had gives none.
    const std::string folder = current_folder();
    return folder.empty() ? folder : folder + PATH_SEPARATOR;
}

// The member kind that the first word of a line names, or NONE.
static int member_kind_of(const char *word)
{
    if (keyword_length(word, "Form"))
        return FORM;
    if (keyword_length(word, "Module"))
        return MODULE;
    if (keyword_length(word, "Class"))
        return CLASS;
    return NONE;
}

// Takes the tokens of the current line into the slots; returns how many were taken.
static int scan_entry(int *kind)
{
    int slot_count = 0;
    *kind = NONE;
    while (slot_count < SLOTS && next_token(PROSKO_SEPS) > 0) {
        // The whole token from the line: a slot holds any token of a 511-byte line, so a
        // member path longer than the 255 bytes of tok_text is still written whole.
        std::memcpy(slots[slot_count], tok.line + tok.tok_pos, static_cast<size_t>(tok.tok_len));
        slots[slot_count][tok.tok_len] = '\0';
        slot_kinds[slot_count] = tok.tok_kind;
        ++slot_count;
        if (tok.tok_kind == TOK_SEPARATOR) {
            const bool go_on =
                (slot_count == 2 && *kind != NONE && keyword_length(tok.tok_text, "=")) ||
                (slot_count == 4 && (*kind == MODULE || *kind == CLASS) && keyword_length(tok.tok_text, ";"));
            if (!go_on)
                break;
        } else if (tok.tok_kind == TOK_STRING) {
            break;
        } else if (*kind == NONE) {
            *kind = member_kind_of(tok.tok_text);
            if (*kind == NONE)
                break;
        }
    }
    return slot_count;
}

// Prosko's per-file routine: writes the members that one project file names.
void list_project(FILE *fp, const char *name)
{
    const std::string prefix = folder_prefix(name);
    char *line = get_line_buffer(PROSKO_SOURCE, PROJECT_MEMORY_MARK);
    project_line = 0;
    tok.skip_blanks = 1;
    tok.line = line;

    LineStream in(fp);
    while (read_line(&in, line, LINE_SIZE)) {
        ++project_line;
        reset_tokenizer();
        int kind;
        const int slot_count = scan_entry(&kind);
        // The member must be a word: a separator or a string literal in its place ends the
        // scan as the last token, and is no file name.
        int member = -1;
        if (kind == FORM && slot_count == 3)
            member = 2;
        else if ((kind == MODULE || kind == CLASS) && slot_count == 5)
            member = 4;
        if (member < 0 || slot_kinds[member] != TOK_WORD)
            continue;
        if (opt_h)
            std::printf("%s(%3ld)%s\n", name, static_cast<long>(project_line), slots[member]);
        else
            std::printf("%s%s\n", prefix.c_str(), slots[member]);
    }
    tok.line = nullptr;
    std::free(line);
}
