#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// The tools that convert a printout and read it back.
namespace pdftext {

// Runs a tool to its end; false (with `error` set) unless it exits with 0.
inline bool run(const QString &program, const QStringList &args, QString *error = nullptr, QString *output = nullptr)
{
    QProcess tool;
    tool.start(program, args);
    const bool ok = tool.waitForFinished(120000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput());
    if (!ok && error)
        *error = program + QStringLiteral(" failed: ") + tool.errorString() + QLatin1Char(' ')
            + QString::fromLocal8Bit(tool.readAllStandardError());
    return ok;
}

inline QString squeezed(QString text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.remove(space);
}

// The characters pdftotext finds in a PDF, without the white space it lays
// out between them.
inline QString printedText(const QString &pdf, QString *error)
{
    QString text;
    run("pdftotext", {"-layout", "-enc", "UTF-8", pdf, "-"}, error, &text);
    return squeezed(text);
}

} // namespace pdftext
