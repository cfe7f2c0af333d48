// SPDX-License-Identifier: GPL-2.0-or-later
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

bool contains(const std::string &text, const std::string &what) { return text.find(what) != std::string::npos; }

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
    // The address is the one given when configuring.
    EXPECT_EQ(field("Maintainer"), SUITE_PACKAGE_MAINTAINER);
    EXPECT_EQ(std::string(SUITE_PACKAGE_MAINTAINER).rfind("Tavlo suite developers <", 0), 0u);
    // A Japanese font, and faces with the metrics of those that other programs' pictures name.
    const std::vector<std::string> recommends = split(field("Recommends"), ',');
    std::set<std::string> recommended;
    for (const std::string &r : recommends)
        recommended.insert(trimmed(r));
    EXPECT_EQ(recommended, (std::set<std::string>{"fonts-ipafont-gothic | fonts-noto-cjk", "fonts-liberation2"}));
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
            EXPECT_TRUE(type == "text/x-tavlo-list" || contains("\n" + known, "\n" + type + "\n"))
                << type << " is not a known type";
    }
}

TEST_F(Package, CopyrightIsMachineReadableAndGpl2OrLater)
{
    const fs::path root = unpacked();
    const std::string text = read_file((root / "usr/share/doc/tavlo-suite/copyright").string());
    EXPECT_EQ(text.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0), 0u);
    // One stanza for all our files, under the licence the stanza after it states.
    EXPECT_TRUE(contains(text, "\n\nFiles: *\nCopyright: 2026 Tavlo suite developers\nLicense: GPL-2+\n")) << text;
    EXPECT_TRUE(contains(text, "\n\nLicense: GPL-2+\n This program is free software;")) << text;
    EXPECT_TRUE(contains(text, "either version 2 of the License, or\n (at your option) any later version.")) << text;
    EXPECT_TRUE(contains(text, "/usr/share/common-licenses/GPL-2.")) << text;
    EXPECT_TRUE(contains(text, "\nUpstream-Contact: " SUITE_PACKAGE_MAINTAINER "\n")) << text;
    EXPECT_FALSE(contains(text, "@SUITE")) << "unconfigured: " << text;
    EXPECT_FALSE(contains(text, "All rights reserved")) << text;
    // The licence named is the one the source tree carries in full.
    EXPECT_EQ(read_file(SUITE_SOURCE_DIR "/LICENSE")
                  .rfind("                    GNU GENERAL PUBLIC LICENSE\n"
                         "                       Version 2, June 1991\n",
                         0),
              0u);
}

// The value of every <tag>...</tag> in an XML text, in order.
std::vector<std::string> elements(const std::string &xml, const std::string &tag)
{
    std::vector<std::string> found;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const size_t start = at + open.size(), end = xml.find(close, start);
        if (end == std::string::npos)
            break;
        found.push_back(xml.substr(start, end - start));
    }
    return found;
}

TEST_F(Package, AppStreamMetadataForTavloAndKestoOnly)
{
    const fs::path root = unpacked();
    const fs::path metainfo = root / "usr/share/metainfo";
    const std::vector<std::string> programs = builtPrograms();
    const auto built = [&](const char *p) { return std::find(programs.begin(), programs.end(), p) != programs.end(); };

    // Software centres list Tavlo and Kesto; the samples Pelto and Varvo stay out.
    std::set<std::string> files;
    if (fs::exists(metainfo))
        for (const auto &entry : fs::directory_iterator(metainfo))
            files.insert(entry.path().filename().string());
    std::set<std::string> expected;
    for (const char *program : {"tavlo", "kesto"})
        if (built(program))
            expected.insert(std::string("org.example.tavlo_suite.") + program + ".metainfo.xml");
    EXPECT_EQ(files, expected);

    for (const std::string &file : files) {
        const fs::path path = metainfo / file;
        const RunResult valid = run({"appstreamcli", "validate", "--no-net", "--pedantic", path.string()});
        ASSERT_NE(valid.status, 127) << "appstreamcli is missing: scripts/setup.sh packaging installs it";
        EXPECT_EQ(valid.status, 0) << file << ":\n" << valid.out << valid.err;
        EXPECT_FALSE(contains(valid.out, "\nP: ") || valid.out.rfind("P: ", 0) == 0) << valid.out;

        const std::string xml = read_file(path.string());
        const std::string program =
            file.substr(std::string("org.example.tavlo_suite.").size(),
                        file.size() - std::string("org.example.tavlo_suite..metainfo.xml").size());
        EXPECT_EQ(elements(xml, "id"), std::vector<std::string>{"org.example.tavlo_suite." + program});
        EXPECT_TRUE(contains(xml, "<launchable type=\"desktop-id\">" + program + ".desktop</launchable>")) << file;
        EXPECT_TRUE(fs::exists(root / "usr/share/applications" / (program + ".desktop"))) << file;
        EXPECT_EQ(elements(xml, "binary"), std::vector<std::string>{program});
        EXPECT_EQ(elements(xml, "project_license"), std::vector<std::string>{"GPL-2.0-or-later"});
        EXPECT_TRUE(contains(xml, "<release version=\"" SUITE_VERSION "\"")) << file;
        EXPECT_TRUE(contains(xml, "<content_rating type=\"oars-1.1\"/>")) << file;
        const std::vector<std::string> images = elements(xml, "image");
        ASSERT_EQ(images.size(), 1u) << file;
        EXPECT_EQ(images[0].rfind("https://", 0), 0u) << images[0];
        EXPECT_TRUE(contains(images[0], "/screenshots/" + program + ".png")) << images[0];
        EXPECT_FALSE(contains(xml, "@")) << "unconfigured: " << xml;
    }

    // As a software centre reads the installed tree: each launches a desktop entry it holds.
    const RunResult tree = run({"appstreamcli", "validate-tree", "--no-net", root.string()});
    EXPECT_EQ(tree.status, 0) << tree.out << tree.err;

    // Tavlo offers itself for exactly the types its desktop entry opens.
    if (built("tavlo")) {
        const std::string xml = read_file((metainfo / "org.example.tavlo_suite.tavlo.metainfo.xml").string());
        const std::vector<std::string> listed = elements(xml, "mediatype");
        const std::set<std::string> offered(listed.begin(), listed.end());
        EXPECT_EQ(offered.size(), listed.size());
        const std::string entry = read_file((root / "usr/share/applications/tavlo.desktop").string());
        const std::string line = entry.substr(entry.find("\nMimeType=") + 10);
        std::set<std::string> opened;
        for (const std::string &type : split(line.substr(0, line.find('\n')), ';'))
            if (!type.empty())
                opened.insert(type);
        EXPECT_EQ(offered, opened);
        EXPECT_TRUE(offered.count("text/x-tavlo-list"));
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
    for (const char *left :
         {"usr/bin", "usr/share/doc/tavlo-suite", "usr/share/man", "usr/libexec", "usr/share/applications"}) {
        if (!fs::exists(root / left))
            continue;
        for (const auto &entry : fs::recursive_directory_iterator(root / left))
            ADD_FAILURE() << entry.path() << " is left after removal";
    }
}

} // namespace
