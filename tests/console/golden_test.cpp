// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * golden_test.cpp - byte-exact cases of a console program, one folder per case.
 *
 * A case folder NAME.d holds the inputs and these files, all optional:
 *   args      the arguments, one per line
 *   stdin     what the program reads as standard input (else nothing)
 *   env       NAME=value lines set for the run (COMSPEC is unset otherwise)
 *   cmd       a shell command run instead, with the built programs on PATH
 *   from      a repository folder whose files are copied in before the inputs
 *   expected/ stdout, stderr, status (0 when missing) and every file the run must
 *             leave in its folder; the run may create no other file
 * "@DIR@" in args, env, cmd and the expected files stands for the run's folder.
 * Built once per program with GOLDEN_PROGRAM and GOLDEN_CASES set.
 */
#include "console_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::set<std::string> control_files = {"args", "stdin", "env", "cmd", "from", "expected"};

// Every NAME.d folder of the program's cases, sorted.
std::vector<std::string> case_names()
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(GOLDEN_CASES))
        if (entry.is_directory() && entry.path().extension() == ".d")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string replace_all(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The lines of a file without their line ends; none when the file is missing.
std::vector<std::string> lines_of(const fs::path &path, const std::string &dir)
{
    std::vector<std::string> lines;
    if (!fs::exists(path))
        return lines;
    const std::string text = replace_all(read_file(path.string()), "@DIR@", dir);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Relative paths of the files below a folder.
std::set<std::string> files_below(const fs::path &dir)
{
    std::set<std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), dir).string());
    return files;
}

class Golden : public ::testing::TestWithParam<std::string>
{};

TEST_P(Golden, OutputsMatchByteForByte)
{
    const fs::path case_dir = fs::path(GOLDEN_CASES) / GetParam();
    ScratchDir scratch;
    const std::string dir = scratch.path();
    const auto copy = fs::copy_options::recursive | fs::copy_options::overwrite_existing;

    for (const std::string &from : lines_of(case_dir / "from", dir))
        fs::copy(fs::path(SUITE_SOURCE_DIR) / from, dir, copy);
    for (const auto &entry : fs::directory_iterator(case_dir))
        if (!control_files.count(entry.path().filename().string()))
            fs::copy(entry.path(), dir / entry.path().filename(), copy);
    const std::set<std::string> inputs = files_below(dir);

    RunRequest request;
    request.cwd = dir;
    request.env_unset = {"COMSPEC"};
    if (fs::exists(case_dir / "stdin"))
        request.stdin_path = (case_dir / "stdin").string();
    for (const std::string &line : lines_of(case_dir / "env", dir)) {
        const size_t eq = line.find('=');
        request.env_set.emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
    }
    const std::vector<std::string> cmd = lines_of(case_dir / "cmd", dir);
    if (!cmd.empty()) {
        request.exe = "/bin/sh";
        request.argv = {"sh", "-c", cmd.front()};
        request.env_set.emplace_back("PATH", std::string(SUITE_BIN_DIR) + ":/usr/bin:/bin");
    } else {
        request.exe = program_path(GOLDEN_PROGRAM);
        request.argv = {GOLDEN_PROGRAM};
        for (const std::string &arg : lines_of(case_dir / "args", dir))
            request.argv.push_back(arg);
    }
    const RunResult r = run_program(request);
    ASSERT_EQ(r.signal, 0) << "ended by signal " << r.signal << "\n" << r.err;

    const fs::path expected = case_dir / "expected";
    const std::vector<std::string> status = lines_of(expected / "status", dir);
    EXPECT_EQ(r.status, status.empty() ? 0 : std::stoi(status.front()));
    const auto expected_text = [&](const std::string &name) {
        const fs::path p = expected / name;
        return fs::exists(p) ? replace_all(read_file(p.string()), "@DIR@", dir) : std::string();
    };
    EXPECT_EQ("", describe_difference(expected_text("stdout"), r.out)) << "standard output";
    EXPECT_EQ("", describe_difference(expected_text("stderr"), r.err)) << "standard error";

    std::set<std::string> outputs;
    if (fs::exists(expected))
        outputs = files_below(expected);
    for (const char *stream : {"stdout", "stderr", "status"})
        outputs.erase(stream);
    for (const std::string &name : outputs) {
        const fs::path made = fs::path(dir) / name;
        if (!fs::exists(made)) {
            ADD_FAILURE() << name << " was not written";
            continue;
        }
        EXPECT_EQ("", describe_difference(expected_text(name), read_file(made.string()))) << name;
    }
    for (const std::string &name : files_below(dir))
        if (!inputs.count(name) && !outputs.count(name))
            ADD_FAILURE() << "the run wrote " << name << ", which the case does not expect";
}

// A case folder's name as a test name: letters, digits and underscores.
std::string test_name(const ::testing::TestParamInfo<std::string> &info)
{
    std::string name = info.param.substr(0, info.param.size() - 2);
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(case_names()), test_name);

} // namespace
