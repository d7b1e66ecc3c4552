#include "draw_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace taviro {

DrawFiles::DrawFiles(const QString &folder)
    : m_folder(folder)
{}

SaveOutcome writeRecordFor(const QString &resultsPath, const QByteArray &resultsBytes, DrawRecord record)
{
    record.resultsFile = QFileInfo(resultsPath).fileName();
    record.resultsSha256 = QCryptographicHash::hash(resultsBytes, QCryptographicHash::Sha256);
    // Said only when the list's encoding does not say it already, so that
    // every other record stays as it was.
    const ListEncoding written = writtenEncodingOf(resultsBytes);
    record.resultsEncoding =
        written != plainResultsEncoding(record.list.encoding) ? std::optional(written) : std::nullopt;
    return writeFileAtomically(recordPathForResults(resultsPath), encodeRecord(record));
}

SaveOutcome DrawFiles::save(const QString &logText, ListEncoding list, const DrawRecord *record,
                            const ResultsWriter &writer)
{
    const QString resultsPath = resultsFilePath(m_folder);
    if (!m_ownsFiles) {
        if (const QString error = keepEarlierRun(); !error.isEmpty()) {
            SaveOutcome refused;
            refused.path = resultsPath;
            refused.error = error;
            return refused;
        }
    }
    const QByteArray bytes = encodeResults(logText, list);
    const SaveOutcome saved = writeFileAtomically(resultsPath, bytes, writer);
    if (!saved.ok)
        return saved;
    m_ownsFiles = true;
    return record ? writeRecordFor(resultsPath, bytes, *record) : saved;
}

QString DrawFiles::keepEarlierRun()
{
    const QDir folder(m_folder);
    const QString results = resultsFilePath(m_folder), record = recordPathForResults(results);
    const QFileInfo resultsInfo(results), recordInfo(record);
    const bool hasResults = resultsInfo.isFile(), hasRecord = recordInfo.isFile();
    if (!hasResults && !hasRecord)
        return {};
    // One stamp for both, so that a dated record still names its results.
    const QDateTime written = (hasResults ? resultsInfo : recordInfo).lastModified();
    const QString stamp = QLocale::c().toString(written, QStringLiteral("yyyy-MM-dd_HHmm"));
    const auto dated = [&](const QString &path, int n) {
        const QString base = QFileInfo(path).completeBaseName() + QLatin1Char('_') + stamp;
        return folder.filePath(n < 2 ? base + QStringLiteral(".txt") : base + QStringLiteral("_%1.txt").arg(n));
    };
    int n = 1;
    while (QFileInfo::exists(dated(results, n)) || QFileInfo::exists(dated(record, n)))
        ++n;
    for (const QString &path : {results, record}) {
        if (QFileInfo(path).isFile() && !QFile::rename(path, dated(path, n)))
            return QStringLiteral("无法把上一次的") + QFileInfo(path).fileName() + QStringLiteral("改名保留为")
                + QFileInfo(dated(path, n)).fileName();
    }
    return {};
}

} // namespace taviro
