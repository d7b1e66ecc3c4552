#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Reading a PDF back with poppler's tools, to check what a printout holds.
namespace pdftext {

// The text of `path` (all pages, or page `page` counted from 1) with its
// physical layout, so the parts of one printed line stay on one line; empty
// on failure, with `error` set.
inline QString extract(const QString &path, int page = 0, QString *error = nullptr)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << QStringLiteral("-enc") << QStringLiteral("UTF-8") << path << QStringLiteral("-");
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), args);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftotext failed: ") + tool.errorString() + QLatin1Char(' ')
                + QString::fromLocal8Bit(tool.readAllStandardError());
        return QString();
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// Runs a tool to its end; false (with `error` set) unless it exits with 0.
inline bool run(const QString &program, const QStringList &args, QString *error = nullptr, int timeoutMs = 120000)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, args);
    const bool ok = tool.waitForFinished(timeoutMs) && tool.exitStatus() == QProcess::NormalExit
        && tool.exitCode() == 0;
    if (!ok && error)
        *error = program + QStringLiteral(" failed: ") + tool.errorString() + QLatin1Char(' ')
            + QString::fromLocal8Bit(tool.readAll());
    return ok;
}

// The number of pages, or -1.
inline int pageCount(const QString &path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {path});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return -1;
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(QString::fromUtf8(tool.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Text without any white space: the extracted layout of blanks, tabs and
// line breaks is the tool's, the characters are the printout's.
inline QString squeezed(QString text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.remove(space);
}

// The first of `lines` that does not follow the previous ones in `text`
// (both compared squeezed), or an empty string when all are there in order.
inline QString firstMissingInOrder(const QString &text, const QStringList &lines, int *matched = nullptr)
{
    const QString haystack = squeezed(text);
    qsizetype from = 0;
    int count = 0;
    for (const QString &line : lines) {
        const QString needle = squeezed(line);
        const qsizetype at = haystack.indexOf(needle, from);
        if (at < 0) {
            if (matched)
                *matched = count;
            return line.isEmpty() ? QStringLiteral("<empty line>") : line;
        }
        from = at + needle.size();
        ++count;
    }
    if (matched)
        *matched = count;
    return QString();
}

} // namespace pdftext
