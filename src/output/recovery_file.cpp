#include "recovery_file.h"
#include "draw_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <tuple>

#include <utility>

namespace taviro {

RecoveryFile::RecoveryFile(const QString &folder)
    : m_folder(folder)
{}

QString RecoveryFile::begin(const QDateTime &initialisedAt)
{
    m_baseName = recoveryBaseName(initialisedAt);
    // Told before the first round, not after winners are drawn that could then
    // be kept nowhere.
    const SaveOutcome check = checkSaving(m_folder);
    m_failureReported = !check.ok;
    return check.ok ? QString() : folderRefusesResultsMessage(check);
}

QString RecoveryFile::keep(const QString &logText, ListEncoding list, const DrawRecord *record)
{
    if (m_baseName.isEmpty())
        return {};
    // The name is claimed by the first write, so a copy that another run
    // left behind, even one initialised in the same second, is never replaced.
    if (!m_written)
        m_path = firstFreePath();
    const QByteArray bytes = encodeResults(logText, list);
    SaveOutcome outcome = writeFileAtomically(m_path, bytes);
    if (outcome.ok && record)
        outcome = writeRecordFor(m_path, bytes, *record);
    if (outcome.ok) {
        m_written = true;
        m_failureReported = false;
        return {};
    }
    // One message per spell of failures: the draw must not be held up by a
    // box after every round while the disk stays full.
    if (std::exchange(m_failureReported, true))
        return {};
    return recoveryFailedMessage(outcome);
}

void RecoveryFile::resultsSaved()
{
    // Also a copy behind the log, left by a round whose write failed: its
    // entries are all in the results file now. Another run's copy is never
    // this run's path.
    if (m_written && QFile::remove(m_path)) {
        QFile::remove(recordPathForResults(m_path));
        m_written = false;
    }
}

void RecoveryFile::carryOn(const QString &path)
{
    m_baseName = QFileInfo(path).completeBaseName();
    m_path = path;
    m_written = true;
}

QString RecoveryFile::firstFreePath() const
{
    const QDir folder(m_folder);
    QString name = m_baseName + QStringLiteral(".txt");
    const auto taken = [&](const QString &name) {
        return QFileInfo::exists(folder.filePath(name))
            || QFileInfo::exists(recordPathForResults(folder.filePath(name)));
    };
    for (int n = 2; taken(name); ++n)
        name = m_baseName + QStringLiteral("_%1.txt").arg(n);
    return folder.filePath(name);
}

QList<InterruptedDraw> interruptedDraws(const QString &folder, const QString &listName)
{
    static const QRegularExpression copy(QStringLiteral("^摇号记录_自动保存_(\\d{8}-\\d{6})(?:_(\\d+))?\\.txt$"));
    struct Found
    {
        QString stamp;
        int n;
        InterruptedDraw draw;
    };
    QList<Found> found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("摇号记录_自动保存_*.txt")}, QDir::Files)) {
        const QRegularExpressionMatch m = copy.match(name);
        QFile file(dir.filePath(name));
        if (!m.hasMatch() || !file.open(QIODevice::ReadOnly))
            continue;
        const ParsedRecord parsed = parseRecord(file.readAll());
        if (parsed.ok && parsed.record.list.fileName == listName)
            found.append({m.captured(1),
                          m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(),
                          {dir.filePath(name), parsed.record}});
    }
    std::sort(found.begin(), found.end(),
              [](const Found &a, const Found &b) { return std::tie(a.stamp, a.n) > std::tie(b.stamp, b.n); });
    QList<InterruptedDraw> draws;
    for (Found &f : found)
        draws.append(std::move(f.draw));
    return draws;
}

QString recoveryBaseName(const QDateTime &initialisedAt)
{
    return QStringLiteral("摇号结果_自动保存_")
        + QLocale::c().toString(initialisedAt, QStringLiteral("yyyyMMdd-HHmmss"));
}

QString recoveryFailedMessage(const SaveOutcome &outcome)
{
    return QStringLiteral("摇号结果没有自动保存，程序意外退出时会丢失！\n无法写入文件：")
        + QDir::toNativeSeparators(outcome.path) + QStringLiteral("\n原因：") + outcome.error
        + QStringLiteral("\n摇号照常进行，窗口中的结果都还在，请尽快点击保存。");
}

QString folderRefusesResultsMessage(const SaveOutcome &outcome)
{
    return QStringLiteral("摇号结果无法保存在这个文件夹里！\n无法写入文件：") + QDir::toNativeSeparators(outcome.path)
        + QStringLiteral("\n原因：") + outcome.error
        + QStringLiteral("\n名单已经读入，可以摇号，但保存、打印和自动保存都会失败。"
                         "请排除问题后再开始摇号，或者关闭本程序，到可以写入的文件夹里重新开始。");
}

} // namespace taviro
