// The Debian package that the build test made: its control fields, what it holds, what
// lintian says of it, and the package installed into a scratch root and run from there.
#include "PackageSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    size_t start = 0;
    while (start < s.size() && s[start] == ' ')
        ++start;
    return s.substr(start);
}

std::vector<std::string> split(const std::string &text, char at)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, at);)
        parts.push_back(part);
    return parts;
}

bool contains(const std::string &text, const std::string &what)
{
    return text.find(what) != std::string::npos;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The programs with a window and a desktop entry of their own.
const std::set<std::string> desktopPrograms = {"tavlo", "kesto", "pelto", "varvo"};

class Package : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string why = whyNoDebianTools(); !why.empty())
            GTEST_SKIP() << why;
        deb = builtPackage();
        ASSERT_FALSE(deb.empty()) << "no package in " SUITE_PACKAGE_DIR ": the test Package.Builds makes it";
    }

    std::string field(const std::string &name) const
    {
        const RunResult r = run({"dpkg-deb", "--field", deb, name});
        EXPECT_EQ(r.status, 0) << r.err;
        return trimmed(r.out);
    }

    // The package's files, unpacked into a scratch folder.
    std::string unpacked()
    {
        const RunResult r = run({"dpkg-deb", "--extract", deb, scratch.path()});
        EXPECT_EQ(r.status, 0) << r.err;
        return scratch.path();
    }

    std::string deb;
    ScratchDir scratch;
};

TEST_F(Package, ControlFieldsWithDependenciesFromTheBinaries)
{
    EXPECT_EQ(field("Package"), "tavlo-suite");
    EXPECT_EQ(field("Version"), SUITE_VERSION);
    EXPECT_EQ(field("Architecture"), trimmed(run({"dpkg", "--print-architecture"}).out));
    EXPECT_EQ(field("Section"), "graphics");
    EXPECT_TRUE(contains(field("Maintainer"), "<")) << field("Maintainer");
    EXPECT_TRUE(contains(field("Recommends"), "fonts-ipafont-gothic"));
    EXPECT_TRUE(contains(field("Recommends"), "fonts-liberation2"));
    // Found by dpkg-shlibdeps in the programs, each with the version the build used.
    const std::string depends = field("Depends");
    for (const char *library : {"libc6 (>=", "libqt6core6 (>=", "libqt6widgets6 (>=", "libqt6network6 (>="})
        EXPECT_TRUE(contains(depends, library)) << library << " in " << depends;
}

TEST_F(Package, EveryProgramWithItsManualPage)
{
    const fs::path root = unpacked();
    for (const std::string &program : builtPrograms()) {
        const std::string name = installedName(program);
        EXPECT_TRUE(fs::exists(root / "usr/bin" / name)) << name;
    }
    // Whatever lands on the path has a page, also a program that joins later.
    std::set<std::string> onPath;
    for (const auto &entry : fs::directory_iterator(root / "usr/bin"))
        onPath.insert(entry.path().filename().string());
    EXPECT_EQ(onPath.size(), builtPrograms().size());
    for (const std::string &name : onPath) {
        const fs::path page = root / "usr/share/man/man1" / (name + ".1.gz");
        ASSERT_TRUE(fs::exists(page)) << "no manual page for " << name;
        // As lintian reads a page: groff's warnings are faults of the source.
        const RunResult r = run({"man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page.string()}, "",
                                {{"LC_ALL", "C.UTF-8"}, {"MANWIDTH", "80"}});
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(r.err, "") << name;
        const RunResult shown = run({"man", "-l", page.string()}, "", {{"MANPAGER", "cat"}, {"MANWIDTH", "80"}});
        for (const char *section : {"SYNOPSIS", "OPTIONS", "EXIT STATUS", "SEE ALSO"})
            EXPECT_TRUE(contains(shown.out, std::string("\n") + section + "\n")) << name << " has no " << section;
    }
    // The GV stand-in is reached through its link; the name gv itself is left to others.
    if (onPath.count("tavlo-gv")) {
        EXPECT_TRUE(fs::is_symlink(root / "usr/bin/tavlo-gv"));
        EXPECT_TRUE(fs::exists(root / "usr/libexec/tavlo-suite/gv"));
    }
    EXPECT_TRUE(fs::exists(root / "usr/share/doc/tavlo-suite/copyright"));
    EXPECT_TRUE(fs::exists(root / "usr/share/doc/tavlo-suite/changelog.gz"));
    // Nothing outside /usr.
    for (const auto &entry : fs::directory_iterator(root))
        EXPECT_EQ(entry.path().filename(), "usr");
}

TEST_F(Package, DesktopEntriesIconsAndTheListFileType)
{
    const fs::path root = unpacked();
    const fs::path apps = root / "usr/share/applications";
    int entries = 0;
    for (const std::string &program : builtPrograms()) {
        if (!desktopPrograms.count(program))
            continue;
        ++entries;
        const fs::path entry = apps / (program + ".desktop");
        ASSERT_TRUE(fs::exists(entry)) << entry;
        const RunResult valid = run({"desktop-file-validate", entry.string()});
        EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
        EXPECT_EQ(valid.out, "") << program;
        const std::string text = read_file(entry.string());
        EXPECT_TRUE(contains(text, "\nExec=" + program)) << program;
        EXPECT_TRUE(contains(text, "\nIcon=" + program + "\n")) << program;
        const fs::path icon = root / "usr/share/icons/hicolor/scalable/apps" / (program + ".svg");
        ASSERT_TRUE(fs::exists(icon)) << icon;
        EXPECT_TRUE(contains(read_file(icon.string()), "<svg")) << icon;
    }
    EXPECT_EQ(size_t(std::distance(fs::directory_iterator(apps), fs::directory_iterator())), size_t(entries));

    // A file manager offers Tavlo for every picture type it shows and for its list files.
    const std::string tavlo = read_file((apps / "tavlo.desktop").string());
    const std::string types = tavlo.substr(tavlo.find("\nMimeType=") + 10);
    std::set<std::string> announced;
    for (const std::string &type : split(types.substr(0, types.find('\n')), ';'))
        if (!type.empty())
            announced.insert(type);
    for (const char *type : {"image/bmp", "image/jpeg", "image/wmf", "image/emf", "image/vnd.microsoft.icon",
                             "image/x-win-bitmap", "text/x-tavlo-list"})
        EXPECT_TRUE(announced.count(type)) << type;
    const std::string mime = read_file((root / "usr/share/mime/packages/tavlo-suite.xml").string());
    EXPECT_TRUE(contains(mime, "<mime-type type=\"text/x-tavlo-list\">"));
    EXPECT_TRUE(contains(mime, "<glob pattern=\"*.lst\"/>"));
    // The other types are the system's own: a misspelt one would match no file.
    if (fs::exists("/usr/share/mime/types")) {
        const std::string known = read_file("/usr/share/mime/types");
        for (const std::string &type : announced)
            EXPECT_TRUE(type == "text/x-tavlo-list" || contains("\n" + known, "\n" + type + "\n")) << type << " is not a known type";
    }
}

TEST_F(Package, LintianReportsNoError)
{
    const RunResult r = run({"lintian", "--info", deb});
    ASSERT_NE(r.status, 127) << "lintian is missing: scripts/setup.sh installs it";
    std::string errors;
    for (const std::string &line : split(r.out, '\n'))
        if (line.rfind("E: ", 0) == 0)
            errors += line + "\n";
    EXPECT_EQ(errors, "") << r.out << r.err;
    EXPECT_EQ(r.status, 0) << r.out << r.err;
#ifdef SUITE_HARDENED
    // The binaries are built hardened: lintian's hardening notes (information only) stay quiet.
    const RunResult info = run({"lintian", "--display-info", deb});
    std::string hardening;
    for (const std::string &line : split(info.out, '\n'))
        if (line.find(" hardening-") != std::string::npos)
            hardening += line + "\n";
    EXPECT_EQ(hardening, "") << info.out << info.err;
#endif
}

// --- installed into a scratch root ---------------------------------------------------------

// A scratch root whose package database knows the packages that the suite depends on, as this
// machine has them, so that dpkg checks the dependencies for real.
void prepareRoot(const fs::path &root, const std::string &depends)
{
    const fs::path admin = root / "var/lib/dpkg";
    for (const char *dir : {"info", "updates", "triggers"})
        fs::create_directories(admin / dir);
    std::string status;
    std::set<std::string> names;
    for (const std::string &alternatives : split(depends, ',')) {
        for (std::string name : split(alternatives, '|')) {
            name = trimmed(name.substr(0, name.find('(')));
            name = name.substr(0, name.find(':'));
            if (!name.empty())
                names.insert(name);
        }
    }
    for (const std::string &name : names) {
        const RunResult stanza = run({"dpkg-query", "--status", name});
        if (stanza.status != 0)
            continue; // not installed here: dpkg will say what is missing
        status += trimmed(stanza.out) + "\n\n";
        // The package's file list, named as dpkg names it (with the architecture for
        // Multi-Arch: same); empty, since none of its files is in the scratch root.
        const std::string listName = trimmed(run({"dpkg-query", "--show", "--showformat=${binary:Package}", name}).out);
        write_file((admin / "info" / (listName + ".list")).string(), "");
    }
    write_file((admin / "status").string(), status);
}

TEST_F(Package, InstallsIntoAScratchRootRunsAndIsRemoved)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "dpkg --root installs as root only (CI runs as root); run ctest as root for this test";
    const fs::path root = fs::path(scratch.path()) / "root";
    prepareRoot(root, field("Depends"));
    const std::vector<std::pair<std::string, std::string>> sbin = {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};

    const RunResult install = run({"dpkg", "--root=" + root.string(), "--install", deb}, "", sbin);
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    EXPECT_FALSE(contains(install.err, "warning")) << install.err;
    EXPECT_TRUE(contains(run({"dpkg", "--root=" + root.string(), "--status", "tavlo-suite"}).out,
                         "Status: install ok installed"));

    // Every program answers from the root, under the name it is installed as.
    const fs::path bin = root / "usr/bin";
    for (const std::string &program : builtPrograms()) {
        const std::string name = installedName(program);
        const RunResult version = run({(bin / name).string(), "--version"});
        EXPECT_EQ(version.status, 0) << name << ": " << version.err;
        EXPECT_EQ(version.out, name + " (Tavlo suite) " SUITE_VERSION "\n");
    }

    // The sample project indexed by the installed programs, byte for byte as the golden case.
    ScratchDir project;
    fs::copy(SUITE_SOURCE_DIR "/samples/vbproject", project.path(), fs::copy_options::recursive);
    const RunResult index = run({"/bin/sh", "-c", "prosko PhotoIndex.vbp | fenrik /p /t"}, project.path(),
                                {{"PATH", bin.string() + ":/usr/bin:/bin"}});
    EXPECT_EQ(index.status, 0) << index.err;
    const fs::path expected = SUITE_SOURCE_DIR "/tests/fenrik/cases/sample-project.d/expected";
    for (const char *table : {"File1.txt", "Func2.txt", "Args3.txt"}) {
        const std::string want = replaceAll(read_file((expected / table).string()), "@DIR@", project.path());
        ASSERT_TRUE(fs::exists(project.file(table))) << table << " was not written";
        EXPECT_EQ("", describe_difference(want, read_file(project.file(table)))) << table;
    }

    // Removed again, it leaves nothing of its own behind.
    const RunResult purge = run({"dpkg", "--root=" + root.string(), "--purge", "tavlo-suite"}, "", sbin);
    ASSERT_EQ(purge.status, 0) << purge.out << purge.err;
    for (const char *left : {"usr/bin", "usr/share/doc/tavlo-suite", "usr/share/man", "usr/libexec", "usr/share/applications"}) {
        if (!fs::exists(root / left))
            continue;
        for (const auto &entry : fs::recursive_directory_iterator(root / left))
            ADD_FAILURE() << entry.path() << " is left after removal";
    }
}

} // namespace
