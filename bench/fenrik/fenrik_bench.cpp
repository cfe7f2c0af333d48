// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_bench.cpp - times "fenrik /t /p list" over a generated VB corpus and a
 * plain read of the same bytes, and prints both and their ratio (with a line-by-line
 * read as a second reference).
 *
 *   bench_fenrik [lines [files [folder]]]   (defaults: 1000000 lines in 300 files)
 *
 * The corpus is a mix of forms, standard modules and classes with CR LF line
 * ends, Japanese comments in code page 932, Declare lines, continuations and
 * optional arguments; it lives in a temporary folder that is removed at the end,
 * or in the given folder, which is kept for a closer look.
 */
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char *const comments[] = {
    "' \x8E\xCA\x90\x5E\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDE",                 // 写真を読み込む
    "' \x88\xEA\x97\x97\x95\x5C\x8E\xA6\x82\xF0\x8D\x58\x90\x56\x82\xB7\x82\xE9", // 一覧表示を更新する
    "' TODO: \x83\x47\x83\x89\x81\x5B\x8F\x88\x97\x9D",                           // エラー処理
};

const char *const statements[] = {
    "Dim i As Long",
    "Dim s As String, n As Integer",
    "If n > 0 Then",
    "End If",
    "For i = 1 To n",
    "Next i",
    "s = s & \"abc\" & CStr(i)",
    "Call Refresh(Me.hWnd, True)",
    "Do While Len(s) > 0",
    "Loop",
    "Select Case n",
    "Case 1, 2",
    "End Select",
    "With lstFiles",
    "End With",
    "n = n + 1",
    "Set obj = Nothing",
    "Text1.Text = Format$(Now, \"yyyy/mm/dd\")",
    "MsgBox \"\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\", vbInformation", // 完了しました
    "Exit Sub",
};

const char *const declarations[] = {
    "Private Sub cmd%d_Click()",
    "Public Function Compute%d(ByVal x As Long, Optional ByVal n As Integer = -1) As String",
    "Private Function Find%d(ByRef items() As String, ByVal key As String, _\n"
    "                        Optional ByVal start As Long = 1) As Long",
    "Public Sub Log%d(ByVal fmt As String, ParamArray args() As Variant)",
    "Friend Sub Reset%d()",
};

struct Corpus
{
    std::vector<std::string> names;
    size_t lines = 0, bytes = 0;
};

// Appends one line with the CR LF of a file saved by the VB editor.
void put(std::string &out, const std::string &line, size_t &lines)
{
    size_t from = 0;
    for (size_t lf; (lf = line.find('\n', from)) != std::string::npos; from = lf + 1) {
        out.append(line, from, lf - from).append("\r\n");
        ++lines;
    }
    out.append(line, from, std::string::npos).append("\r\n");
    ++lines;
}

// One source file of about target lines: a form, a module or a class by kind.
std::string make_file(std::mt19937 &rng, int kind, const std::string &name, size_t target, size_t &lines)
{
    std::string out;
    size_t start = lines;
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    char buf[512];
    if (kind == 0) {
        put(out, "VERSION 5.00", lines);
        put(out, "Begin VB.Form " + name, lines);
        put(out, "   Caption         =   \"" + name + "\"", lines);
        for (int c = 0; c < 6; ++c) {
            put(out, "   Begin VB.CommandButton cmd" + std::to_string(c), lines);
            put(out, "      Height          =   375", lines);
            put(out, "   End", lines);
        }
        put(out, "End", lines);
    } else if (kind == 2) {
        put(out, "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND", lines);
    }
    put(out, "Attribute VB_Name = \"" + name + "\"\nOption Explicit", lines);
    if (kind == 1) {
        put(out, "Public Type RECT\n    Left As Long\n    Top As Long\nEnd Type", lines);
        put(out, "Public Declare Function GetTickCount Lib \"kernel32\" () As Long", lines);
        put(out,
            "Public Declare Function ShellExecute Lib \"shell32.dll\" Alias \"ShellExecuteA\" _\n"
            "    (ByVal hWnd As Long, ByVal lpOperation As String, ByVal lpFile As String) As Long",
            lines);
    }
    for (int proc = 0; lines - start < target; ++proc) {
        std::snprintf(buf, sizeof buf, declarations[pick(5)], proc);
        put(out, buf, lines);
        const size_t body = 8 + pick(30);
        for (size_t i = 0; i < body; ++i) {
            const std::string indent(4 * (1 + pick(3)), ' ');
            put(out, indent + (pick(6) == 0 ? comments[pick(3)] : statements[pick(20)]), lines);
        }
        put(out, proc % 2 ? "End Function" : "End Sub", lines);
        put(out, "", lines);
    }
    return out;
}

// Writes the corpus and the list of its files into dir.
Corpus make_corpus(const fs::path &dir, size_t lines, int files)
{
    std::mt19937 rng(1234);
    Corpus c;
    std::string list;
    const char *const ext[] = {".frm", ".bas", ".cls"};
    for (int i = 0; i < files; ++i) {
        const int kind = i % 3;
        const std::string base = (kind == 0 ? "frm" : kind == 1 ? "mod" : "cls") + std::to_string(i);
        const size_t target = (lines - c.lines) / static_cast<size_t>(files - i);
        const std::string text = make_file(rng, kind, base, target, c.lines);
        std::ofstream(dir / (base + ext[kind]), std::ios::binary) << text;
        c.bytes += text.size();
        c.names.push_back(base + ext[kind]);
        list += base + ext[kind] + "\n";
    }
    std::ofstream(dir / "list.txt", std::ios::binary) << list;
    return c;
}

// Reads every file of the corpus in 64 KiB blocks; returns a checksum so the read is not optimised away.
unsigned plain_read(const fs::path &dir, const Corpus &c)
{
    std::vector<char> buf(65536);
    unsigned sum = 0;
    for (const std::string &name : c.names) {
        const int fd = open((dir / name).c_str(), O_RDONLY);
        for (ssize_t n; (n = read(fd, buf.data(), buf.size())) > 0;)
            sum += static_cast<unsigned char>(buf[static_cast<size_t>(n) - 1]);
        close(fd);
    }
    return sum;
}

// Reads every file of the corpus line by line with fgets into a 512-byte buffer, as a
// reference for the cost of merely cutting the bytes into lines; returns the line count.
unsigned line_read(const fs::path &dir, const Corpus &c)
{
    char line[512];
    unsigned lines = 0;
    for (const std::string &name : c.names) {
        FILE *fp = std::fopen((dir / name).c_str(), "r");
        while (std::fgets(line, sizeof line, fp))
            ++lines;
        std::fclose(fp);
    }
    return lines;
}

// Runs fenrik /t /p list.txt in dir with standard output discarded; returns its exit status.
int run_fenrik(const fs::path &dir)
{
    const std::string exe = std::string(SUITE_BIN_DIR) + "/fenrik";
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(exe.c_str(), "fenrik", "/t", "/p", "list.txt", static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

} // namespace

int main(int argc, char **argv)
{
    const size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const int files = argc > 2 ? std::atoi(argv[2]) : 300;
    const bool keep = argc > 3;
    std::string tmpl = (fs::temp_directory_path() / "fenrik-bench-XXXXXX").string();
    if (keep) {
        std::error_code ec;
        fs::create_directories(argv[3], ec);
        tmpl = argv[3];
    } else if (!mkdtemp(&tmpl[0])) {
        tmpl.clear();
    }
    if (tmpl.empty() || !fs::is_directory(tmpl) || files < 1) {
        std::fprintf(stderr, "bench_fenrik: no folder for the corpus\n");
        return 1;
    }
    const fs::path dir = fs::absolute(tmpl);
    const Corpus c = make_corpus(dir, lines, files);
    std::printf("corpus: %zu files, %zu lines, %.1f MB\n", c.names.size(), c.lines, c.bytes / 1e6);

    unsigned sum = plain_read(dir, c); // warms the page cache for both timings
    double best_read = 1e9, best_lines = 1e9, best_fenrik = 1e9;
    int status = 0;
    for (int round = 0; round < 5; ++round) {
        Clock::time_point t0 = Clock::now();
        sum += plain_read(dir, c);
        best_read = std::min(best_read, seconds_since(t0));
        t0 = Clock::now();
        sum += line_read(dir, c);
        best_lines = std::min(best_lines, seconds_since(t0));
        t0 = Clock::now();
        status |= run_fenrik(dir);
        best_fenrik = std::min(best_fenrik, seconds_since(t0));
    }
    const uintmax_t func_bytes = fs::file_size(dir / "Func2.txt"), args_bytes = fs::file_size(dir / "Args3.txt");
    if (!keep)
        fs::remove_all(dir);
    if (status != 0) {
        std::fprintf(stderr, "bench_fenrik: fenrik failed\n");
        return 1;
    }
    std::printf("tables: Func2.txt %ju bytes, Args3.txt %ju bytes (checksum %u)\n", func_bytes, args_bytes, sum);
    std::printf("plain read:        %8.2f ms\n", best_read * 1e3);
    std::printf("line read (fgets): %8.2f ms\n", best_lines * 1e3);
    std::printf("fenrik /t:         %8.2f ms\n", best_fenrik * 1e3);
    std::printf("ratio fenrik / plain read: %.2f (fenrik / line read: %.2f)\n", best_fenrik / best_read,
                best_fenrik / best_lines);
    return 0;
}
