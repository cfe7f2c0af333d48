// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_layer_test.cpp - the console utility layer in process: option
 * rotation, the tokenizer, tab expansion and the line reader.
 */
#include "console/console.h"
#include "console_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const char FENRIK_SET[] = " =()[]{}<> ,;:+-*/^!&#'\"\n";
const char PROSKO_SET[] = " =;{}\n";

// Runs parse_options on a copy of args; returns the file names it leaves, in order.
std::vector<std::string> parse(std::vector<std::string> args, const char *letters, int *consumed)
{
    opt_f = opt_h = opt_l = opt_p = opt_t = 0;
    list_number = 0;
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(&a[0]);
    *consumed = parse_options(static_cast<int>(argv.size()), argv.data(), letters);
    return std::vector<std::string>(argv.begin() + *consumed, argv.end());
}

TEST(Options, FileNamesComeOutRotatedBehindEachLaterOption)
{
    int consumed = 0;
    EXPECT_EQ(parse({"a", "/t", "b", "/p", "c"}, "hlpt", &consumed), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(consumed, 2);
    EXPECT_EQ(opt_t, 1);
    EXPECT_EQ(opt_p, 1);

    EXPECT_EQ(parse({"a.bas", "/T", "b.bas"}, "hlpt", &consumed), (std::vector<std::string>{"b.bas", "a.bas"}));
    EXPECT_EQ(parse({"/tab", "x"}, "hlpt", &consumed), std::vector<std::string>{"x"});
    EXPECT_EQ(opt_t, 1);
}

TEST(Options, ListNumberInAllItsSpellings)
{
    int consumed = 0;
    EXPECT_EQ(parse({"/l", "7", "x"}, "hlpt", &consumed), std::vector<std::string>{"x"});
    EXPECT_EQ(consumed, 2);
    EXPECT_EQ(list_number, 7);
    parse({"/l=7"}, "hlpt", &consumed);
    EXPECT_EQ(list_number, 7);
    parse({"/L-12x"}, "hlpt", &consumed);
    EXPECT_EQ(list_number, -12);
    parse({"/t", "/l"}, "hlpt", &consumed);
    EXPECT_EQ(consumed, 2);
    EXPECT_EQ(list_number, 0);
    // Rotation puts x behind /l, so x is taken as the number.
    EXPECT_TRUE(parse({"x", "/l"}, "hlpt", &consumed).empty());
    parse({"/l", "99999999999"}, "hlpt", &consumed);
    EXPECT_EQ(list_number, INT32_MAX);
}

TEST(Options, PosixPathsAreNamesNotOptions)
{
    ScratchDir dir;
    int consumed = 0;
    const std::string folder = dir.path();
    EXPECT_EQ(parse({folder, "/t", "/home/u/a.bas"}, "hlpt", &consumed),
              (std::vector<std::string>{"/home/u/a.bas", folder}));
    EXPECT_EQ(consumed, 1);
    // "/" names the root folder, so it is a name too.
    EXPECT_EQ(parse({"/"}, "hlpt", &consumed), std::vector<std::string>{"/"});
}

// Tokenizes text with set; returns "kind:text" for every token.
std::vector<std::string> tokens(const char *text, const char *set)
{
    static char line[LINE_SIZE];
    std::strncpy(line, text, LINE_SIZE - 1);
    tok.line = line;
    reset_tokenizer();
    std::vector<std::string> out;
    while (next_token(set) > 0)
        out.push_back(std::to_string(tok.tok_kind) + ":" + std::string(tok.line + tok.tok_pos, tok.tok_len));
    return out;
}

TEST(Tokenizer, QuotesAndTwoByteSeparators)
{
    EXPECT_EQ(tokens("\"a\"\"b\"\"\n", FENRIK_SET), (std::vector<std::string>{"2:\"a\"", "2:\"b\"", "2:\""}));
    EXPECT_EQ(tokens("y := 1\n", FENRIK_SET), (std::vector<std::string>{"0:y", "1::=", "0:1"}));
    EXPECT_EQ(tokens("\"open", FENRIK_SET), std::vector<std::string>{"2:\"open"});
    EXPECT_EQ(tokens("Module=Main; Main.bas\n", PROSKO_SET),
              (std::vector<std::string>{"0:Module", "1:=", "0:Main", "1:;", "0:Main.bas"}));
    // Only blanks are skipped; a tab belongs to the word.
    EXPECT_EQ(tokens("  \tx(", FENRIK_SET), (std::vector<std::string>{"0:\tx", "1:("}));
}

TEST(Tokenizer, DoubleByteCharactersStayWhole)
{
    // 0x83 0x5B and 0x88 0x7B: trail bytes with the codes of "[" and "{".
    EXPECT_EQ(tokens("a\x83\x5B\x88\x7B"
                     "b[1]\n",
                     FENRIK_SET),
              (std::vector<std::string>{"0:a\x83\x5B\x88\x7B"
                                        "b",
                                        "1:[", "0:1", "1:]"}));
    EXPECT_EQ(tokens("\"\x95\x22\"x\n", FENRIK_SET), (std::vector<std::string>{"2:\"\x95\x22\"", "0:x"}));
    // A lead byte at the end of the line stands alone and leaves the line feed alone.
    EXPECT_EQ(tokens("ab\x82\n", FENRIK_SET), std::vector<std::string>{"0:ab\x82"});
    EXPECT_EQ(tokens("\"\x82\n", FENRIK_SET), std::vector<std::string>{"2:\"\x82"});
}

TEST(Tokenizer, LongTokenKeepsItsTextShortButCoversItsBytes)
{
    const std::string word = "xy" + std::string(300, '\x82');
    tokens((word + " y\n").c_str(), FENRIK_SET);
    reset_tokenizer();
    ASSERT_EQ(next_token(FENRIK_SET), 302);
    EXPECT_EQ(std::strlen(tok.tok_text), 254u) << "cut between double-byte characters";
    EXPECT_EQ(tok.tok_next, ' ');
    EXPECT_EQ(keyword_length("Sub", "Sub"), 3);
    EXPECT_EQ(keyword_length("sub", "Sub"), 0);
    EXPECT_TRUE(is_sjis_lead(0x81) && is_sjis_lead(0x9F) && is_sjis_lead(0xE0) && is_sjis_lead(0xFC));
    EXPECT_FALSE(is_sjis_lead(0x80) || is_sjis_lead(0xA0) || is_sjis_lead(0xDF) || is_sjis_lead(0xFD));
}

// expand_tabs on a copy of text in a buffer of size bytes.
std::string expanded(const std::string &text, int size = LINE_SIZE)
{
    std::vector<char> buf(static_cast<size_t>(size) + 1, '\0');
    std::memcpy(buf.data(), text.data(), text.size());
    const int n = expand_tabs(buf.data(), size, 4);
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(buf.data()));
    return buf.data();
}

TEST(TabExpansion, StopsEveryFourColumns)
{
    EXPECT_EQ(expanded("\tx\n"), "    x\n");
    EXPECT_EQ(expanded("a\tb"), "a   b");
    EXPECT_EQ(expanded("abcd\t\x82\xA0\tz\n"), "abcd    \x82\xA0  z\n");
    EXPECT_EQ(expanded(std::string("a\tb\tc\n"), 2048), "a   b   c\n");
}

TEST(TabExpansion, GrowthIsCutAtTheBufferAndKeepsTheLineEnd)
{
    const std::string out = expanded(std::string(200, '\t') + "Sub X\n");
    EXPECT_EQ(out.size(), 511u);
    EXPECT_EQ(out, std::string(510, ' ') + "\n");
    // A double-byte character that would straddle the cut is left out whole.
    const std::string cut = expanded("\t" + std::string(253, 'a') + "\tb" + std::string(252, '\x88') + "\n");
    EXPECT_EQ(cut.size(), 510u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "\x88\x88\n");
}

// The pieces that read_line gives for a file holding bytes.
std::vector<std::string> pieces(const std::string &bytes)
{
    ScratchDir dir;
    write_file(dir.file("in"), bytes);
    FILE *fp = std::fopen(dir.file("in").c_str(), "r");
    LineStream in(fp);
    std::vector<std::string> out;
    char line[LINE_SIZE];
    while (read_line(&in, line, LINE_SIZE))
        out.push_back(line);
    std::fclose(fp);
    return out;
}

TEST(LineReader, DropsTheCarriageReturnOfEveryCrLf)
{
    EXPECT_EQ(pieces("a\r\nb\rc\r\r\nd\r"), (std::vector<std::string>{"a\n", "b\rc\r\n", "d\r"}));
    EXPECT_TRUE(pieces("").empty());
    // A CR LF that falls across two reads of the stream's 64 KiB buffer.
    std::string big(65535, 'x');
    big += "\r\nend";
    const std::vector<std::string> p = pieces(big);
    ASSERT_EQ(p.size(), 65535 / 511 + 2);
    EXPECT_EQ(p.back(), "end");
    EXPECT_EQ(p[p.size() - 2], std::string(65535 % 511, 'x') + "\n");
}

TEST(LineReader, LongLinesComeIn511BytePieces)
{
    EXPECT_EQ(pieces(std::string(600, 'a') + "\r\nb"),
              (std::vector<std::string>{std::string(511, 'a'), std::string(89, 'a') + "\n", "b"}));
    EXPECT_EQ(pieces(std::string(511, 'a') + "\n"), (std::vector<std::string>{std::string(511, 'a'), "\n"}));
}

// The rule of the line-skipping test: blanks, "Keep", then a blank or the line end.
bool keep_rule(const char *line)
{
    while (*line == ' ')
        ++line;
    return std::strncmp(line, "Keep", 4) == 0 && (line[4] == ' ' || line[4] == '\n');
}

// The pieces of a file that keep_rule takes, each with its number among all pieces, read
// with next_line alone or with skip_lines passing over what the rule turns down.
std::vector<std::pair<long, std::string>> kept_pieces(const std::string &bytes, bool skipping)
{
    LineStarts starts;
    add_line_start(&starts, "Keep");
    starts.wanted = keep_rule;
    ScratchDir dir;
    write_file(dir.file("in"), bytes);
    FILE *fp = std::fopen(dir.file("in").c_str(), "r");
    LineStream in(fp);
    std::vector<std::pair<long, std::string>> out;
    long number = 0;
    for (;;) {
        if (skipping)
            number += skip_lines(&in, LINE_SIZE, &starts);
        int len;
        const char *piece = next_line(&in, LINE_SIZE, &len);
        if (!piece)
            break;
        ++number;
        if (keep_rule(piece))
            out.emplace_back(number, std::string(piece, static_cast<size_t>(len)));
    }
    out.emplace_back(number, "(end)");
    std::fclose(fp);
    return out;
}

TEST(LineReader, SkippedLinesCountAsTheirPiecesAcrossEveryBoundary)
{
    // Lines of every kind around the 64 KiB reads and the 64-byte marks: kept ones with
    // and without CR, tabs, lone CRs, empty lines and lines longer than a piece.
    const std::string kinds[] = {"Keep\r\n", "  Keep x\n", "Keep\rx\n", "Keeper\n",
                                 "\tKeep\n", "Ke\n",       "x\r\n",     "\r\n",
                                 "\n",       "   \t x\n",  "a\rb\r\n",  std::string("Kee\0p\n", 6)};
    std::mt19937 rng(7);
    for (int round = 0; round < 4; ++round) {
        std::string bytes;
        while (bytes.size() < 200000) {
            const unsigned pick = rng() % 16;
            if (pick < 12) {
                bytes += kinds[pick];
            } else {
                bytes.append(std::string(rng() % 1100, pick == 12 ? ' ' : 'y'));
                bytes += rng() % 2 ? "\r\n" : "\n";
            }
        }
        if (round == 1)
            bytes.replace(65535 - 4, 6, "Keep\r\n"); // the CR LF falls across the first read
        if (round == 2)
            bytes.resize(bytes.size() - 1); // no LF behind the last line
        EXPECT_EQ(kept_pieces(bytes, true), kept_pieces(bytes, false)) << "round " << round;
    }
    EXPECT_EQ(kept_pieces(std::string(510, ' ') + "\r\nKeep\r\n", true).front().first, 2);
    EXPECT_EQ(kept_pieces("", true).size(), 1u);
}

} // namespace
