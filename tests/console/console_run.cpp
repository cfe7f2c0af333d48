// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_run.cpp - process runner and file helpers of the console tests.
 */
#include "console_run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string program_path(const std::string &name) { return std::string(SUITE_BIN_DIR) + "/" + name; }

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

ScratchDir::ScratchDir()
{
    std::string tmpl = (fs::temp_directory_path() / "console-test-XXXXXX").string();
    if (!mkdtemp(&tmpl[0]))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

// Points fd at the named file or ends the child.
static void redirect(int fd, const char *path, int flags)
{
    const int f = open(path, flags, 0644);
    if (f < 0 || dup2(f, fd) < 0)
        _exit(127);
    close(f);
}

RunResult run_program(const RunRequest &request)
{
    ScratchDir capture;
    const std::string out_path = capture.file("stdout"), err_path = capture.file("stderr");
    std::vector<char *> argv;
    for (const std::string &a : request.argv)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        redirect(0, request.stdin_path.empty() ? "/dev/null" : request.stdin_path.c_str(), O_RDONLY);
        redirect(1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        redirect(2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        if (!request.cwd.empty() && chdir(request.cwd.c_str()) != 0)
            _exit(127);
        for (const std::string &name : request.env_unset)
            unsetenv(name.c_str());
        for (const auto &[name, value] : request.env_set)
            setenv(name.c_str(), value.c_str(), 1);
        execv(request.exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    RunResult r;
    if (WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        r.signal = WTERMSIG(status);
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

// One line of a hex dump: offset, 16 bytes in hex, the printable ones as text.
static std::string hex_line(const std::string &bytes, size_t from)
{
    char buf[128];
    std::string line;
    std::snprintf(buf, sizeof buf, "%06zx ", from);
    line = buf;
    std::string text;
    for (size_t i = from; i < from + 16; ++i) {
        if (i < bytes.size()) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            std::snprintf(buf, sizeof buf, " %02x", c);
            line += buf;
            text += c >= 32 && c < 127 ? static_cast<char>(c) : '.';
        } else {
            line += "   ";
        }
    }
    return line + "  " + text + "\n";
}

std::string describe_difference(const std::string &expected, const std::string &actual)
{
    if (expected == actual)
        return std::string();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at & ~static_cast<size_t>(15);
    std::ostringstream s;
    s << "first difference at byte " << at << " (expected " << expected.size() << " bytes, got " << actual.size()
      << ")\nexpected:\n";
    for (size_t row = from >= 16 ? from - 16 : 0; row < from + 32 && row < expected.size(); row += 16)
        s << hex_line(expected, row);
    s << "actual:\n";
    for (size_t row = from >= 16 ? from - 16 : 0; row < from + 32 && row < actual.size(); row += 16)
        s << hex_line(actual, row);
    return s.str();
}
