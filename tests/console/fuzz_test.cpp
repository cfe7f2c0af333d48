// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fuzz_test.cpp - random bytes and scrambled VB source thrown at both programs:
 * they must end normally, report nothing and keep their tables well formed.
 */
#include "console_run.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

// Pieces that steer the programs into their less travelled paths.
const char *const fragments[] = {
    "Sub ",        "Function ", "End",      "End ",    " _\n",   " _",   "(",         ")",        "\"",
    "\"\"",        "'",         "Declare ", "Lib ",    "Alias ", "As ",  "Optional ", "ByVal ",   "ByRef ",
    "ParamArray ", "=",         " = ",      "-",       "-1",     "1.5",  "3#",        "(2 * 3)",  " + ",
    "&H",          "\t",        "\r\n",     "\n",      "\r",     "\x82", "\x83\x5B",  "\x95\x5C", "Begin ",
    "Attribute ",  "Private ",  "Public ",  "Global ", "Type ",  ",",    ":=",        ":",        "x",
    "_Click",      "Form=",     "Module=",  "Class=",  "; ",     "{",    "}",         "..\\",     "../",
    "\x00",        "\xFF",      " ",
};

// A file of len random bytes.
std::string random_bytes(std::mt19937 &rng, size_t len)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(len, '\0');
    for (char &c : s)
        c = static_cast<char>(byte(rng));
    return s;
}

// A file of count random fragments, now and then a run long enough to exceed the buffers.
std::string token_soup(std::mt19937 &rng, int count)
{
    const size_t n = sizeof fragments / sizeof fragments[0];
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    std::uniform_int_distribution<int> odds(0, 99), run(200, 1200);
    std::string s;
    for (int i = 0; i < count; ++i) {
        const char *f = fragments[pick(rng)];
        if (odds(rng) == 0)
            s += std::string(static_cast<size_t>(run(rng)), f[0] ? f[0] : 'y');
        else
            s += f[0] ? std::string(f) : std::string(1, '\0');
    }
    return s;
}

// The lines of text, without their line feeds.
std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// Whether a table row begins with its decimal keys.
bool starts_with_keys(const std::string &row, int keys)
{
    size_t at = 0;
    for (int k = 0; k < keys; ++k) {
        while (at < row.size() && row[at] == ' ')
            ++at;
        const size_t digits = at;
        while (at < row.size() && std::isdigit(static_cast<unsigned char>(row[at])))
            ++at;
        if (at == digits || at >= row.size() || row[at] != '\t')
            return false;
        ++at;
    }
    return true;
}

TEST(Fuzz, BothProgramsSurviveRandomInput)
{
    ScratchDir dir;
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<size_t> size(0, 6000);
    std::uniform_int_distribution<int> soup(1, 1500);
    std::string list;
    const int files = 48;
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + (i % 3 == 0 ? ".frm" : ".bas");
        // Two large files make the readers refill and shift their buffers.
        const size_t bytes = i == 4 ? 200000 : size(rng);
        const int pieces = i == 5 ? 40000 : soup(rng);
        write_file(dir.file(name), i % 4 == 0 ? random_bytes(rng, bytes) : token_soup(rng, pieces));
        list += name + "\n";
    }
    write_file(dir.file("list.txt"), list);

    RunRequest request;
    request.cwd = dir.path();
    request.env_unset = {"COMSPEC"};
    request.exe = program_path("fenrik");
    request.argv = {"fenrik", "/t", "/p", "list.txt"};
    RunResult r = run_program(request);
    ASSERT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines(read_file(dir.file("File1.txt"))).size(), static_cast<size_t>(files) + 1);
    for (const auto &[table, keys] : {std::make_pair("Func2.txt", 4), std::make_pair("Args3.txt", 3)}) {
        const std::vector<std::string> rows = lines(read_file(dir.file(table)));
        for (size_t i = 1; i < rows.size(); ++i)
            EXPECT_TRUE(starts_with_keys(rows[i], keys)) << table << " row " << i << ": " << rows[i];
    }

    request.argv = {"fenrik", "/p", "list.txt"};
    r = run_program(request);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");

    request.exe = program_path("prosko");
    for (const char *option : {"/h", "/f"}) {
        request.argv = {"prosko", option, "/p", "list.txt"};
        r = run_program(request);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
    }

    // The same bytes as standard input.
    request.stdin_path = dir.file("f1.bas");
    request.argv = {"prosko"};
    EXPECT_EQ(run_program(request).status, 0);
    request.exe = program_path("fenrik");
    request.argv = {"fenrik"};
    EXPECT_EQ(run_program(request).status, 0);
}

} // namespace
