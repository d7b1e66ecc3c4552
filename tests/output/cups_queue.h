#pragma once

#include "pdf_text.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

// The cups-pdf queue of cups_fixture.sh as the default printer: prints end up
// as PDF files in the PDF folder of the job's owner.
class CupsPdfQueue
{
public:
    // Runs the fixture's start; false with `error` set when it failed.
    bool start(QString *error)
    {
        if (!m_stateDir.isValid()) {
            *error = QStringLiteral("no temporary folder for the fixture's state");
            return false;
        }
        m_started = pdftext::run(QStringLiteral("bash"), {QStringLiteral(TAVIRO_CUPS_FIXTURE), QStringLiteral("start"), statePath()},
                                 error, 60000);
        return m_started;
    }

    // Undoes what start did; stops the scheduler only if start launched it.
    bool stop(QString *error)
    {
        if (!m_started)
            return true;
        m_started = false;
        return pdftext::run(QStringLiteral("bash"), {QStringLiteral(TAVIRO_CUPS_FIXTURE), QStringLiteral("stop"), statePath()},
                            error, 60000);
    }

    // cups-pdf writes to ~/PDF of the job's owner, taken from the password
    // database as the backend does (not from $HOME).
    static QString outputFolder()
    {
        const passwd *entry = getpwuid(getuid());
        const QString home = entry ? QFile::decodeName(entry->pw_dir) : QDir::homePath();
        return home + QStringLiteral("/PDF");
    }

    static QSet<QString> pdfs()
    {
        const QStringList names = QDir(outputFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        return QSet<QString>(names.begin(), names.end());
    }

    static bool queueEmpty()
    {
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o")});
        return lpstat.waitForFinished(10000) && lpstat.exitCode() == 0
            && lpstat.readAllStandardOutput().trimmed().isEmpty();
    }

    // Waits until every job has left the queue and `count` PDFs that were not
    // in `before` stand complete; returns their paths, oldest first, or
    // fewer when the time ran out.
    static QStringList waitForNewPdfs(const QSet<QString> &before, int count, int timeoutMs = 120000)
    {
        QDeadlineTimer deadline(timeoutMs);
        QStringList found;
        do {
            found.clear();
            const QSet<QString> now = pdfs();
            for (const QString &name : now)
                if (!before.contains(name))
                    found << QDir(outputFolder()).filePath(name);
            if (found.size() >= count && queueEmpty()
                && std::all_of(found.cbegin(), found.cend(), [](const QString &pdf) { return pdftext::pageCount(pdf) > 0; }))
                break;
            QCoreApplication::processEvents();
            QThread::msleep(20);
        } while (!deadline.hasExpired());
        // cups-pdf names each file after its job: "...-job_<id>.pdf".
        static const QRegularExpression jobId(QStringLiteral("job_(\\d+)\\.pdf$"));
        auto idOf = [](const QString &path) { return jobId.match(path).captured(1).toLongLong(); };
        std::sort(found.begin(), found.end(), [&](const QString &a, const QString &b) { return idOf(a) < idOf(b); });
        return found;
    }

    static void removeAll(const QStringList &paths)
    {
        for (const QString &path : paths)
            QFile::remove(path);
    }

private:
    QString statePath() const { return m_stateDir.filePath(QStringLiteral("cups-fixture.state")); }

    QTemporaryDir m_stateDir;
    bool m_started = false;
};
