#include "results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace taviro {

namespace {

QString reasonWithDetail(const QString &reason, const QFileDevice &file)
{
    if (file.error() == QFileDevice::NoError || file.errorString().isEmpty())
        return reason;
    return reason + QStringLiteral("（") + file.errorString() + QStringLiteral("）");
}

SaveOutcome failure(SaveOutcome outcome, const QString &error)
{
    outcome.ok = false;
    outcome.error = error;
    return outcome;
}

// QSaveFile flushes the data before the rename; the new name itself is on
// the disk only once the folder is, and until then a power cut could bring
// the previous file back.
void syncFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

// Why `file` cannot be opened for replacing its target; empty when it is open.
QString openRefusal(QSaveFile &file)
{
    if (QFileInfo(file.fileName()).isDir())
        return QStringLiteral("那里有一个同名的文件夹");
    if (!file.open(QIODevice::WriteOnly))
        return reasonWithDetail(QStringLiteral("无法创建文件"), file);
    return {};
}

} // namespace

QString resultsFileName() { return QStringLiteral("摇号结果.txt"); }

QString resultsFilePath(const QString &folder) { return QDir(folder).filePath(resultsFileName()); }

QByteArray encodeResults(const QString &logText, ListEncoding list)
{
    return encodeWrittenText(logText + QStringLiteral("\r\n"), list);
}

ListEncoding plainResultsEncoding(ListEncoding list) { return writtenEncodingOf(encodeResults({}, list)); }

bool writeAllBytes(QIODevice &file, const QByteArray &bytes) { return file.write(bytes) == bytes.size(); }

SaveOutcome writeFileAtomically(const QString &path, const QByteArray &bytes, const ResultsWriter &writer)
{
    SaveOutcome outcome;
    outcome.path = path;

    // The new text goes to a temporary file beside the old one and replaces
    // it only once it is complete and flushed; any failure before that
    // leaves the previous file exactly as it was.
    QSaveFile file(outcome.path);
    if (const QString refused = openRefusal(file); !refused.isEmpty())
        return failure(outcome, refused);
    if (!writer(file, bytes)) {
        const QString error = reasonWithDetail(QStringLiteral("写入时出错"), file);
        file.cancelWriting();
        return failure(outcome, error);
    }
    if (!file.commit())
        return failure(outcome, reasonWithDetail(QStringLiteral("无法替换原来的文件"), file));
    syncFolderOf(outcome.path);

    outcome.ok = true;
    return outcome;
}

SaveOutcome checkSaving(const QString &folder)
{
    SaveOutcome outcome;
    outcome.path = resultsFilePath(folder);
    QSaveFile file(outcome.path);
    if (const QString refused = openRefusal(file); !refused.isEmpty())
        return failure(outcome, refused);
    file.cancelWriting(); // the temporary file goes, the results file is untouched
    outcome.ok = true;
    return outcome;
}

QString savedMessage(const QString &namedFolder)
{
    const QString where = namedFolder.isEmpty()
        ? QStringLiteral("摇号软件目录下")
        : QStringLiteral("文件夹“") + QDir::toNativeSeparators(namedFolder) + QStringLiteral("”中");
    return QStringLiteral("已经保存到") + where + QStringLiteral("！文件名叫") + resultsFileName();
}

QString saveFailedMessage(const SaveOutcome &outcome)
{
    return QStringLiteral("摇号结果没有保存！\n无法写入文件：") + QDir::toNativeSeparators(outcome.path)
        + QStringLiteral("\n原因：") + outcome.error
        + QStringLiteral("\n原有的摇号结果.txt（如果有）没有改动，窗口中的结果也都还在，请排除问题后再保存。");
}

} // namespace taviro
