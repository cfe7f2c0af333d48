#include "tavlo/MainModule.h"

#include "common/DeleteQUOTE.h"
#include "platform/cp932/cp932.h"
#include "platform/shell/fs.h"
#include "tavlo/Form1.h"
#include "tavlo/Tavlo.h"

#include <QFile>

void MainModule::resetPictureList()
{
    fileCount = 0;
    rowStart = 0;
    boardIconCount = 0;
    curIndex = -1;
    iconArea = kDefaultIconArea;
}

void MainModule::Main(const QStringList &args)
{
    resetPictureList();
    if (!args.isEmpty())
        takeArgumentVector(cmdArgs, args, [this](const QString &a) { return takeOption(a); });
    indexFromBoard = vb::False;
    Form1 &f = app_.form1();
    f.Load();
    if (cmdArgs.argCount == 0) {
        f.Combo1.setVisible(false);
        f.Text3.setText(vb::CStr(fileCount));
    }
    f.Show();
}

bool MainModule::takeOption(const QString &arg)
{
    // An absolute POSIX path begins with the option character: what exists is a name.
    if (fs::fileExists(arg) || fs::folderExists(arg))
        return false;
    const QString head = arg.left(3).toLower();
    if (head == QLatin1String("/gv")) {
        // The fourth character is taken for the equals sign without looking at it.
        gvPath = DeleteQUOTE(arg.mid(4));
        return true;
    }
    if (head == QLatin1String("/dr")) {
        const int eq = arg.indexOf(QLatin1Char('='));
        kestoPath = eq < 0 ? QString() : DeleteQUOTE(arg.mid(eq + 1));
        return true;
    }
    return false;
}

void MainModule::openCommandLine()
{
    resetPictureList();
    Form1 &f = app_.form1();
    for (int k = 0; k < cmdArgs.argCount; ++k) {
        const QString a = cmdArgs.argText[static_cast<size_t>(k)];
        if (a.right(4).toLower() == QLatin1String(".lst")) {
            if (k == 0) {
                f.Combo1.setText(a);
                f.Combo1.setVisible(true);
            }
            if (ReadListFile(a) == 0 && fs::fileExists(a))
                f.Combo1.AddItem(a);
        } else if (fs::fileExists(a) && !listFull()) {
            fileNames[static_cast<size_t>(fileCount)] = a;
            listOfFile[static_cast<size_t>(fileCount)] = -1;
            fileCount += 1;
        }
    }
}

qint16 MainModule::FileKind(const QString &name)
{
    const QString ext = name.right(4).toLower();
    if (name.size() < 4)
        return 0;
    static const char *const pictures[] = {".bmp", ".rle", ".jpg", ".wmf", ".emf", ".ico", ".cur"};
    for (const char *p : pictures)
        if (ext == QLatin1String(p))
            return 1;
    return ext == QLatin1String(".lst") ? 4 : 0;
}

namespace {

// Reads the comma-separated fields of a list file one after the other: a field ends at a
// comma or a line end (CR, LF or CR LF); blanks before it are skipped, blanks after an
// unquoted field removed; a quoted field runs to the next quote and what follows it up to the
// next comma or line end is dropped.
class FieldReader
{
public:
    explicit FieldReader(const QString &text) : s_(text) {}
    bool atEnd() const { return pos_ >= s_.size(); }

    QString next()
    {
        while (pos_ < s_.size() && s_.at(pos_) == QLatin1Char(' '))
            ++pos_;
        QString field;
        if (pos_ < s_.size() && s_.at(pos_) == QLatin1Char('"')) {
            const int close = s_.indexOf(QLatin1Char('"'), pos_ + 1);
            const int end = close < 0 ? s_.size() : close;
            field = s_.mid(pos_ + 1, end - pos_ - 1);
            pos_ = close < 0 ? s_.size() : close + 1;
            while (pos_ < s_.size() && !isFieldEnd(s_.at(pos_)))
                ++pos_;
        } else {
            const int begin = pos_;
            while (pos_ < s_.size() && !isFieldEnd(s_.at(pos_)))
                ++pos_;
            field = s_.mid(begin, pos_ - begin);
            while (field.endsWith(QLatin1Char(' ')))
                field.chop(1);
        }
        skipTerminator();
        return field;
    }

private:
    static bool isFieldEnd(QChar c)
    {
        return c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    }
    void skipTerminator()
    {
        if (pos_ >= s_.size())
            return;
        if (s_.at(pos_) == QLatin1Char(',')) {
            ++pos_;
        } else if (s_.at(pos_) == QLatin1Char('\r')) {
            ++pos_;
            if (pos_ < s_.size() && s_.at(pos_) == QLatin1Char('\n'))
                ++pos_;
        } else if (s_.at(pos_) == QLatin1Char('\n')) {
            ++pos_;
        }
    }

    const QString &s_;
    int pos_ = 0;
};

} // namespace

qint16 MainModule::ReadListFile(const QString &path)
{
    if (path.isEmpty() || fs::folderExists(path))
        return 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QString text = cp932::decode(file.readAll());
    file.close();

    FieldReader fields(text);
    // Reading ends when the picture list is full: there is no slot for a further name.
    while (!fields.atEnd() && !listFull()) {
        const size_t slot = static_cast<size_t>(fileCount);
        fileNames[slot] = fields.next();
        const QString &name = fileNames[slot];
        if (name.startsWith(QLatin1Char(';')))
            continue;
        if (!fs::fileExists(name))
            continue;
        if (FileKind(name) < 1)
            continue;
        listOfFile[slot] = listCount;
        fileCount += 1;
    }
    listCount += 1;
    return 0;
}

bool MainModule::FindForm(const QString &name) const
{
    return app_.forms().find(name) != nullptr;
}
