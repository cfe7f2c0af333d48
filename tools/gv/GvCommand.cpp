// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/gv/GvCommand.h"

#include <QRegularExpression>
#include <QStringList>

namespace gv {

namespace {

struct Failure
{
    QString why;
};

bool onOff(const QString &arg)
{
    const QString a = arg.trimmed().toUpper();
    if (a == QLatin1String("ON"))
        return true;
    if (a == QLatin1String("OFF"))
        return false;
    throw Failure{QStringLiteral("\"%1\" is neither ON nor OFF").arg(arg)};
}

int whole(const QString &arg, int low, int high)
{
    bool ok = false;
    const int v = arg.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        throw Failure{QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(arg).arg(low).arg(high)};
    return v;
}

QString pathArg(const QString &raw)
{
    QString p = raw.trimmed();
    if (p.size() >= 2 && p.startsWith(QLatin1Char('"')) && p.endsWith(QLatin1Char('"')))
        p = p.mid(1, p.size() - 2);
    else if (p.contains(QLatin1Char('"')))
        throw Failure{QStringLiteral("unbalanced quote in path %1").arg(raw)};
    if (p.isEmpty())
        throw Failure{QStringLiteral("empty path")};
    return p;
}

QStringList fields(const QString &args, int count, const QString &name)
{
    QStringList f = args.split(QLatin1Char(','));
    if (args.trimmed().isEmpty())
        f.clear();
    if (f.size() != count)
        throw Failure{QStringLiteral("%1 takes %2 argument(s), not %3").arg(name).arg(count).arg(f.size())};
    return f;
}

Command parseOne(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*([A-Za-z]+)\\((.*)\\)\\s*$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        throw Failure{QStringLiteral("\"%1\" is not a command").arg(text)};
    const QString name = m.captured(1).toLower();
    const QString args = m.captured(2);
    Command c;
    c.text = text;
    if (name == QLatin1String("fileopen")) {
        c.kind = Command::FileOpen;
        c.path = pathArg(args);
    } else if (name == QLatin1String("zoomrate")) {
        c.kind = Command::ZoomRate;
        c.number = whole(fields(args, 1, QStringLiteral("ZoomRate"))[0], 1, 3200);
    } else if (name == QLatin1String("maxdisp")) {
        const QStringList f = fields(args, 3, QStringLiteral("MaxDisp"));
        c.kind = Command::MaxDisp;
        c.on = onOff(f[0]);
        c.on2 = onOff(f[1]);
        c.colour = QColor::fromString(f[2].trimmed());
        if (!c.colour.isValid())
            throw Failure{QStringLiteral("\"%1\" is not a colour").arg(f[2])};
    } else if (name == QLatin1String("dispmsg") || name == QLatin1String("showgv") ||
               name == QLatin1String("autoopendocument") || name == QLatin1String("icongv")) {
        c.kind = name == QLatin1String("dispmsg")  ? Command::DispMsg
                 : name == QLatin1String("showgv") ? Command::ShowGV
                 : name == QLatin1String("icongv") ? Command::IconGV
                                                   : Command::AutoOpenDocument;
        c.on = onOff(fields(args, 1, m.captured(1))[0]);
    } else if (name == QLatin1String("clipcopyviewimage") || name == QLatin1String("exitgv")) {
        c.kind = name == QLatin1String("exitgv") ? Command::ExitGV : Command::ClipCopyViewImage;
        fields(args, 0, m.captured(1));
    } else if (name == QLatin1String("quantize")) {
        const QStringList f = fields(args, 4, QStringLiteral("Quantize"));
        c.kind = Command::Quantize;
        c.on = onOff(f[0]);
        c.number = whole(f[1], 2, 256);
        c.method = whole(f[2], 0, 99);
        c.on2 = onOff(f[3]);
    } else if (name == QLatin1String("filesaveex")) {
        // The path may hold commas: the two switches are the last two fields.
        const int second = args.lastIndexOf(QLatin1Char(','));
        const int first = second > 0 ? args.lastIndexOf(QLatin1Char(','), second - 1) : -1;
        if (first < 0)
            throw Failure{QStringLiteral("FileSaveEx takes a path and two switches")};
        c.kind = Command::FileSaveEx;
        c.path = pathArg(args.left(first));
        c.on = onOff(args.mid(first + 1, second - first - 1));
        c.on2 = onOff(args.mid(second + 1));
    } else {
        throw Failure{QStringLiteral("unknown command %1").arg(m.captured(1))};
    }
    return c;
}

} // namespace

std::optional<std::vector<Command>> parseExecute(const QString &text, QString *error)
{
    try {
        std::vector<Command> commands;
        const QString t = text.trimmed();
        if (t.isEmpty())
            throw Failure{QStringLiteral("empty command text")};
        if (!t.startsWith(QLatin1Char('['))) {
            commands.push_back(parseOne(t));
            return commands;
        }
        int pos = 0;
        while (pos < t.size()) {
            while (pos < t.size() && t[pos].isSpace())
                ++pos;
            if (pos == t.size())
                break;
            if (t[pos] != QLatin1Char('['))
                throw Failure{QStringLiteral("text after a bracketed command: %1").arg(t.mid(pos))};
            int end = -1;
            for (int at = t.indexOf(QLatin1String(")]"), pos); at >= 0; at = t.indexOf(QLatin1String(")]"), at + 1)) {
                int next = at + 2;
                while (next < t.size() && t[next].isSpace())
                    ++next;
                if (next == t.size() || t[next] == QLatin1Char('[')) {
                    end = at;
                    break;
                }
            }
            if (end < 0)
                throw Failure{QStringLiteral("unclosed bracket: %1").arg(t.mid(pos))};
            commands.push_back(parseOne(t.mid(pos + 1, end + 1 - (pos + 1))));
            pos = end + 2;
        }
        return commands;
    } catch (const Failure &f) {
        if (error)
            *error = f.why;
        return std::nullopt;
    }
}

} // namespace gv
