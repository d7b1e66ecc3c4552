#include "draw_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace taviro {

DrawFiles::DrawFiles(const QString &folder)
    : m_folder(folder)
{}

SaveOutcome writeRecordFor(const QString &resultsPath, const QByteArray &resultsBytes, DrawRecord record,
                           const QByteArray &workbookBytes)
{
    record.resultsFile = QFileInfo(resultsPath).fileName();
    record.resultsSha256 = QCryptographicHash::hash(resultsBytes, QCryptographicHash::Sha256);
    // Said only when the list's encoding does not say it already, so that
    // every other record stays as it was.
    const ListEncoding written = writtenEncodingOf(resultsBytes);
    record.resultsEncoding =
        written != plainResultsEncoding(record.list.encoding) ? std::optional(written) : std::nullopt;
    if (!workbookBytes.isEmpty()) {
        record.workbookFile = QFileInfo(workbookPathForResults(resultsPath)).fileName();
        record.workbookSha256 = QCryptographicHash::hash(workbookBytes, QCryptographicHash::Sha256);
    }
    return writeFileAtomically(recordPathForResults(resultsPath), encodeRecord(record));
}

SavedFiles DrawFiles::save(const QString &logText, ListEncoding list, const DrawRecord *record,
                           const QStringList &heading, const ResultsWriter &writer)
{
    SavedFiles outcome;
    const QString resultsPath = resultsFilePath(m_folder);
    if (!m_ownsFiles) {
        if (const QString error = keepEarlierRun(); !error.isEmpty()) {
            outcome.path = resultsPath;
            outcome.error = error;
            return outcome;
        }
    }
    const QByteArray bytes = encodeResults(logText, list);
    static_cast<SaveOutcome &>(outcome) = writeFileAtomically(resultsPath, bytes, writer);
    if (!outcome.ok)
        return outcome;
    m_ownsFiles = true;
    const ResultsTable table =
        record ? resultsTable(record->rounds, record->forfeits, !record->plan.isEmpty(), heading) : ResultsTable();
    QByteArray workbook;
    outcome.workbook = saveWorkbook(table, workbook);
    if (record)
        static_cast<SaveOutcome &>(outcome) = writeRecordFor(resultsPath, bytes, *record, workbook);
    return outcome;
}

SaveOutcome DrawFiles::saveWorkbook(const ResultsTable &table, QByteArray &bytes)
{
    SaveOutcome outcome;
    outcome.path = workbookPathForResults(resultsFilePath(m_folder));
    // The earlier run's workbook is never written over: until it has moved,
    // this run's is not written.
    if (const QString error = keepEarlierWorkbook(); !error.isEmpty()) {
        outcome.error = error;
        return outcome;
    }
    EncodedWorkbook encoded = encodeWorkbook(table);
    if (encoded.bytes.isEmpty()) {
        outcome.error = encoded.error;
        return outcome;
    }
    outcome = writeFileAtomically(outcome.path, encoded.bytes);
    if (outcome.ok)
        bytes = std::move(encoded.bytes);
    return outcome;
}

// Why an earlier run's file could not be kept under its dated name.
static QString keptUnderDateRefused(const QString &path, const QString &dated)
{
    return QStringLiteral("无法把上一次的") + QFileInfo(path).fileName() + QStringLiteral("改名保留为")
        + QFileInfo(dated).fileName();
}

QString DrawFiles::keepEarlierRun()
{
    const QDir folder(m_folder);
    const QString results = resultsFilePath(m_folder), record = recordPathForResults(results),
                  workbook = workbookPathForResults(results);
    const QList<QFileInfo> found{QFileInfo(results), QFileInfo(record), QFileInfo(workbook)};
    const auto there = std::find_if(found.cbegin(), found.cend(), [](const QFileInfo &f) { return f.isFile(); });
    if (there == found.cend())
        return {};
    // One stamp for all, so that a dated record still names its results; the
    // results' time, else the record's, else the workbook's.
    const QString stamp = QLocale::c().toString(there->lastModified(), QStringLiteral("yyyy-MM-dd_HHmm"));
    const auto dated = [&](const QString &path, int n) {
        const QFileInfo info(path);
        const QString base = info.completeBaseName() + QLatin1Char('_') + stamp;
        return folder.filePath((n < 2 ? base : base + QStringLiteral("_%1").arg(n)) + QLatin1Char('.') + info.suffix());
    };
    int n = 1;
    while (QFileInfo::exists(dated(results, n)) || QFileInfo::exists(dated(record, n))
           || QFileInfo::exists(dated(workbook, n)))
        ++n;
    for (const QString &path : {results, record}) {
        if (QFileInfo(path).isFile() && !QFile::rename(path, dated(path, n)))
            return keptUnderDateRefused(path, dated(path, n));
    }
    m_earlierWorkbook = found.at(2).isFile() ? dated(workbook, n) : QString();
    return {};
}

QString DrawFiles::keepEarlierWorkbook()
{
    const QString workbook = workbookPathForResults(resultsFilePath(m_folder));
    if (m_earlierWorkbook.isEmpty() || !QFileInfo(workbook).isFile()) {
        m_earlierWorkbook.clear();
        return {};
    }
    if (!QFile::rename(workbook, m_earlierWorkbook))
        return keptUnderDateRefused(workbook, m_earlierWorkbook);
    m_earlierWorkbook.clear();
    return {};
}

QString workbookFailedMessage(const SaveOutcome &workbook)
{
    const QString name = QFileInfo(workbook.path).fileName();
    return resultsFileName() + QStringLiteral("已经保存，") + name + QStringLiteral("却没有保存！\n无法写入文件：")
        + QDir::toNativeSeparators(workbook.path) + QStringLiteral("\n原因：") + workbook.error
        + QStringLiteral("\n如果") + name + QStringLiteral("正在Excel中打开，请在Excel中关闭它，再保存一次。原有的")
        + name + QStringLiteral("（如果有）没有改动，窗口中的结果也都还在。");
}

} // namespace taviro
