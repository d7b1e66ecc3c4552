#include "candidate_list.h"
#include "legacy_text.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace taviro {

QList<QByteArray> splitRecords(const QByteArray &bytes, int maxRecords)
{
    QList<QByteArray> records;
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size && (maxRecords < 0 || records.size() < maxRecords)) {
        const void *cr = std::memchr(data + pos, '\r', static_cast<size_t>(size - pos));
        if (!cr) {
            records.append(bytes.mid(pos));
            break;
        }
        const qsizetype end = static_cast<const char *>(cr) - data;
        records.append(bytes.mid(pos, end - pos));
        pos = end + 1;
        if (pos < size && data[pos] == '\n')
            ++pos;
    }
    return records;
}

QVector<int> sampleLineNumbers(int count)
{
    QVector<int> lines;
    if (count <= 10) {
        for (int k = 1; k <= count; ++k)
            lines.append(k);
        return lines;
    }
    const int step = static_cast<int>(count / 10.0);
    for (int k = 1; k <= 10; ++k)
        lines.append(k * step);
    return lines;
}

namespace {

// Splits a byte stream into records chunk by chunk, with the same rules as
// splitRecords(), keeping the records' bytes only while they fit the limit.
class RecordCollector
{
public:
    void feed(const char *data, qsizetype len)
    {
        qsizetype i = 0;
        if (m_afterCr) {
            m_afterCr = false;
            if (len > 0 && data[0] == '\n')
                i = 1;
        }
        while (i < len && !full()) {
            const void *cr = std::memchr(data + i, '\r', static_cast<size_t>(len - i));
            if (!cr) {
                addPart(data + i, len - i);
                return;
            }
            const qsizetype end = static_cast<const char *>(cr) - data;
            addPart(data + i, end - i);
            finishRecord();
            i = end + 1;
            if (i < len) {
                if (data[i] == '\n')
                    ++i;
            } else {
                m_afterCr = true;
            }
        }
    }

    void finish()
    {
        if (m_open && !full())
            finishRecord();
    }

    // Counting stops one record past the limit: that is enough to refuse.
    bool full() const { return m_count > kMaxCandidates; }
    int count() const { return m_count; }
    bool tooLarge() const { return m_tooLarge; }
    QList<QByteArray> takeRecords() { return std::move(m_records); }

private:
    void addPart(const char *data, qsizetype len)
    {
        m_open = true;
        if (m_tooLarge || len == 0)
            return;
        if (m_storedBytes + m_current.size() + len > kMaxCandidateBytes) {
            m_tooLarge = true;
            m_current.clear();
            m_records.clear();
            return;
        }
        m_current.append(data, len);
    }

    void finishRecord()
    {
        ++m_count;
        if (!m_tooLarge) {
            m_storedBytes += m_current.size();
            m_records.append(m_current);
        }
        m_current.clear();
        m_open = false;
    }

    QList<QByteArray> m_records;
    QByteArray m_current;
    qint64 m_storedBytes = 0;
    int m_count = 0;
    bool m_open = false;
    bool m_afterCr = false;
    bool m_tooLarge = false;
};

CandidateFile unreadable(const QString &why)
{
    CandidateFile result;
    result.status = CandidateFile::Status::Unreadable;
    result.error = why;
    return result;
}

// Opens the file for reading without ever blocking (a named pipe would wait
// for a writer) and only if it is a regular file.
bool openRegularFile(const QString &path, QFile &file, QString &why)
{
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        why = QStringLiteral("它不是普通文件");
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        why = file.errorString();
        return false;
    }
    return true;
#else
    file.setFileName(path);
    if (!QFileInfo(path).isFile()) {
        why = QStringLiteral("它不是普通文件");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return false;
    }
    return true;
#endif
}

} // namespace

CandidateFile readCandidates(QIODevice &device, int chunkSize)
{
    RecordCollector collector;
    QByteArray chunk(qMax(1, chunkSize), Qt::Uninitialized);
    while (!collector.full()) {
        const qint64 got = device.read(chunk.data(), chunk.size());
        if (got < 0)
            return unreadable(device.errorString());
        if (got == 0)
            break;
        collector.feed(chunk.constData(), got);
    }
    collector.finish();

    CandidateFile result;
    result.count = collector.count();
    if (collector.full()) {
        result.status = CandidateFile::Status::TooMany;
    } else if (collector.tooLarge()) {
        result.status = CandidateFile::Status::TooLarge;
    } else {
        result.status = CandidateFile::Status::Ok;
        const QList<QByteArray> records = collector.takeRecords();
        result.lines.reserve(records.size());
        for (const QByteArray &record : records)
            result.lines.append(decodeLegacyText(record));
    }
    return result;
}

CandidateFile readCandidateFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return CandidateFile{};

    QFile file;
    QString why;
    if (!openRegularFile(path, file, why))
        return unreadable(why);
    return readCandidates(file);
}

} // namespace taviro
