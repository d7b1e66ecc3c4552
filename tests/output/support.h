#pragma once
// The tools that read a printout back, and a cups-pdf queue to print to.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

namespace taviro::testing {

// Runs a tool to its end; false (with `error` set) unless it exits with 0.
inline bool run(const QString &program, const QStringList &args, QString *error = nullptr, QString *output = nullptr)
{
    QProcess tool;
    tool.start(program, args);
    const bool ok = tool.waitForFinished(120000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput());
    if (!ok && error)
        *error = program + " failed: " + tool.errorString() + ' ' + QString::fromLocal8Bit(tool.readAllStandardError());
    return ok;
}

inline QString squeezed(QString text) { return text.remove(QRegularExpression("\\s+")); }

// The characters pdftotext finds in a PDF, without the white space between them.
inline QString printedText(const QString &pdf, QString *error)
{
    QString text;
    run("pdftotext", {"-layout", "-enc", "UTF-8", pdf, "-"}, error, &text);
    return squeezed(text);
}

// cups_fixture.sh around one test; its stop runs even when a check fails.
struct CupsPdfQueue
{
    QTemporaryDir state;
    QString error;
    bool started = false;
    bool run(const char *action) { return testing::run("bash", {TAVIRO_CUPS_FIXTURE, action, state.filePath("state")}, &error); }
    bool start() { return (started = true) && run("start"); }
    bool stop() { return !std::exchange(started, false) || run("stop"); }
    ~CupsPdfQueue() { stop(); }
    // cups-pdf writes to ~/PDF of the job's owner, from the password database.
    static QDir folder() { return QDir(QFile::decodeName(getpwuid(getuid())->pw_dir) + "/PDF"); }
};

} // namespace taviro::testing
