#include "recovery_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <utility>

namespace taviro {

RecoveryFile::RecoveryFile(const QString &folder)
    : m_folder(folder)
{
}

void RecoveryFile::begin(const QDateTime &initialisedAt)
{
    m_baseName = recoveryBaseName(initialisedAt);
}

QString RecoveryFile::keep(const QString &logText)
{
    if (m_baseName.isEmpty())
        return {};
    // The name is claimed by the first write, so a copy that another run
    // left behind, even one initialised in the same second, is never replaced.
    if (m_written.isEmpty())
        m_path = firstFreePath();
    const QByteArray bytes = encodeResults(logText);
    const SaveOutcome outcome = writeFileAtomically(m_path, bytes);
    if (outcome.ok) {
        m_written = bytes;
        m_failureReported = false;
        return {};
    }
    // One message per spell of failures: the draw must not be held up by a
    // box after every round while the disk stays full.
    if (std::exchange(m_failureReported, true))
        return {};
    return recoveryFailedMessage(outcome);
}

void RecoveryFile::resultsSaved(const QString &logText)
{
    // A copy that holds something else (a round whose copy failed, say) stays.
    if (m_written.isEmpty() || m_written != encodeResults(logText))
        return;
    if (QFile::remove(m_path))
        m_written.clear();
}

QString RecoveryFile::firstFreePath() const
{
    const QDir folder(m_folder);
    QString name = m_baseName + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(folder.filePath(name)); ++n)
        name = m_baseName + QStringLiteral("_%1.txt").arg(n);
    return folder.filePath(name);
}

QString recoveryBaseName(const QDateTime &initialisedAt)
{
    return QStringLiteral("摇号结果_自动保存_") + QLocale::c().toString(initialisedAt, QStringLiteral("yyyyMMdd-HHmmss"));
}

QString recoveryFailedMessage(const SaveOutcome &outcome)
{
    return QStringLiteral("摇号结果没有自动保存，程序意外退出时会丢失！\n无法写入文件：")
        + QDir::toNativeSeparators(outcome.path) + QStringLiteral("\n原因：") + outcome.error
        + QStringLiteral("\n摇号照常进行，窗口中的结果都还在，请尽快点击保存。");
}

} // namespace taviro
