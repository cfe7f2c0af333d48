// The collector list: appending with the item limit, list files, pasted text, folder walks,
// the selection text and the list file that Label3 writes.
#include "kesto/Form1.h"

#include "common/DeleteQUOTE.h"
#include "kesto/Kesto.h"
#include "platform/cp932/cp932.h"
#include "platform/forms/Forms.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Cuts text into the pieces that a line end (CR LF, LF or CR) closes; a last piece without one
// is left out.
QStringList closedLines(const QString &text)
{
    QStringList out;
    int start = 0;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        out << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    return out;
}

} // namespace

void Form1::pace() { forms::yieldEvents(); }

void Form1::appendItem(forms::ListBox &list, const QString &item)
{
    if (app_.ended())
        throw StopAppending{};
    if (list.ListCount() >= kListLimit) {
        // The list stays as it is; what would pass the limit is refused.
        reportOverflow();
        throw StopAppending{};
    }
    list.AddItem(item);
    updateCount();
}

void Form1::updateCount()
{
    Label1.setCaption(vb::CStr(List1.ListCount()));
    if (!paintClock_.isValid() || paintClock_.elapsed() >= 10) {
        Label1.Refresh();
        paintClock_.start();
    }
}

void Form1::removeSelected()
{
    List1.removeSelected();
    overflowReported_ = false;
    Label1.setCaption(vb::CStr(List1.ListCount()));
}

void Form1::DropFile(forms::ListBox &txt, const QString &strFN)
{
    QFile f(strFN);
    // A folder opens as a file on Linux, and then cannot be read.
    if (fs::folderExists(strFN) || !f.open(QIODevice::ReadOnly)) {
        report(QString::fromUtf8("リストファイルを読めません: %1 (%2)")
                   .arg(strFN, fs::folderExists(strFN) ? QString::fromUtf8("フォルダーです") : f.errorString()));
        return;
    }
    const QString text = cp932::decode(f.readAll());
    f.close();
    // The last line of a file counts even without a line end behind it.
    const bool open = !text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r'));
    const QStringList lines = closedLines(open ? text + QLatin1Char('\n') : text);
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char(';')))
            continue;
        appendItem(txt, repairDrivePath(line));
        pace();
    }
}

void Form1::addTextLines(const QString &text)
{
    for (const QString &line : closedLines(text)) {
        if (line.isEmpty())
            continue;
        appendItem(List1, line);
        pace();
    }
}

void Form1::addFolder(const QString &path, forms::ListBox &list, bool deep)
{
    pace();
    if (!fs::folderExists(path)) {
        appendItem(list, path);
        return;
    }
    appendItem(list, path);
    bool ok = true;
    if (deep) {
        const QStringList subs = fs::subFolders(path, &ok);
        if (!ok)
            return; // a folder that cannot be read ends its own walk only
        for (const QString &s : subs) {
            const QString sub = joinPath(path, s);
            if (QFileInfo(sub).isSymLink())
                appendItem(list, sub); // listed, never walked: a link to a parent would loop
            else
                addFolder(sub, list, true);
        }
    }
    const QStringList files = fs::folderFiles(path, &ok);
    if (!ok)
        return;
    for (const QString &f : files) {
        appendItem(list, joinPath(path, f));
        pace();
    }
}

QString Form1::selectedText() const
{
    QString s;
    const std::vector<int> rows = List1.selectedIndexes();
    for (int i : rows)
        s += List1.List(i) + QStringLiteral("\r\n");
    if (!rows.empty())
        s += QStringLiteral("\r\n");
    return s;
}

bool Form1::writeOutputFile(const QString &text)
{
    if (!fs::fileExists(outputFile))
        return true;
    QFile f(outputFile);
    const QByteArray bytes = cp932::encode(text);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()) {
        report(QString::fromUtf8("リストファイルに書けません: %1 (%2)").arg(outputFile, f.errorString()));
        return false;
    }
    return true;
}

QString Form1::joinPath(const QString &folder, const QString &name)
{
    return repairDrivePath(fs::buildPath(folder, name));
}
