#include "candidate_list.h"
#include "csv_records.h"
#include "list_messages.h"
#include "legacy_text.h"
#include "workbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace taviro {

namespace {

// A read that failed midway: the system's words for it are English.
QString readFailed() { return QStringLiteral("读取时出错"); }

// Where the next line end (CR or LF) lies in units [from, size); size when none does.
template <typename Unit>
qsizetype nextLineEnd(const Unit *data, qsizetype from, qsizetype size)
{
    while (from < size && data[from] != '\r' && data[from] != '\n')
        ++from;
    return from;
}

} // namespace

QList<QByteArray> splitRecords(const QByteArray &bytes, int maxRecords)
{
    QList<QByteArray> records;
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size && (maxRecords < 0 || records.size() < maxRecords)) {
        const qsizetype end = nextLineEnd(data, pos, size);
        records.append(bytes.mid(pos, end - pos));
        pos = end + 1;
        if (end < size && data[end] == '\r' && pos < size && data[pos] == '\n')
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

void appendUnits(QByteArray &text, const char *units, qsizetype n) { text.append(units, n); }
void appendUnits(QString &text, const char16_t *units, qsizetype n)
{
    text.append(reinterpret_cast<const QChar *>(units), n);
}

// Splits a stream of units (bytes, or UTF-16 units) into records chunk by
// chunk, with the same rules as splitRecords(), keeping the records' text
// only while it fits the limit.
template <typename Text, typename Unit>
class RecordCollector
{
public:
    void feed(const Unit *data, qsizetype len)
    {
        if (len == 0)
            return;
        qsizetype i = 0;
        if (m_afterCr) {
            m_afterCr = false;
            if (data[0] == '\n')
                i = 1;
        }
        while (i < len && !full()) {
            const qsizetype end = nextLineEnd(data, i, len);
            addPart(data + i, end - i);
            if (end == len)
                return;
            finishRecord();
            i = end + 1;
            if (data[end] == '\r') {
                if (i == len)
                    m_afterCr = true; // a LF may open the next chunk
                else if (data[i] == '\n')
                    ++i;
            }
        }
    }

    void finish()
    {
        if (m_open && !full())
            finishRecord();
    }

    // Counting stops one record past the limit: that is enough to refuse.
    bool full() const { return m_count > kMaxListLines; }
    int count() const { return m_count; }
    bool tooLarge() const { return m_tooLarge; }
    QList<Text> takeRecords() { return std::move(m_records); }

private:
    void addPart(const Unit *data, qsizetype len)
    {
        m_open = true;
        if (m_tooLarge || len == 0)
            return;
        const qint64 bytes = len * qint64(sizeof(Unit));
        if (m_storedBytes + m_current.size() * qint64(sizeof(Unit)) + bytes > kMaxCandidateBytes) {
            m_tooLarge = true;
            m_current.clear();
            m_records.clear();
            return;
        }
        appendUnits(m_current, data, len);
    }

    void finishRecord()
    {
        ++m_count;
        if (!m_tooLarge) {
            m_storedBytes += m_current.size() * qint64(sizeof(Unit));
            m_records.append(m_current);
        }
        m_current.clear();
        m_open = false;
    }

    QList<Text> m_records;
    Text m_current;
    qint64 m_storedBytes = 0;
    int m_count = 0;
    bool m_open = false;
    bool m_afterCr = false;
    bool m_tooLarge = false;
};

using ByteRecords = RecordCollector<QByteArray, char>;
using Utf16Records = RecordCollector<QString, char16_t>;

// Turns UTF-16 bytes of either order into units, across chunk ends. A byte
// left over at the end is no unit: it becomes a lone surrogate, which the
// decoding step refuses like any other broken unit.
class Utf16Units
{
public:
    explicit Utf16Units(bool bigEndian)
        : m_bigEndian(bigEndian)
    {}

    template <typename Sink>
    void convert(const char *bytes, qsizetype len, Sink &&sink)
    {
        m_units.clear();
        for (qsizetype i = 0; i < len; ++i) {
            if (m_pending < 0) {
                m_pending = static_cast<unsigned char>(bytes[i]);
                continue;
            }
            const auto second = static_cast<unsigned char>(bytes[i]);
            m_units.push_back(static_cast<char16_t>(m_bigEndian ? m_pending << 8 | second : second << 8 | m_pending));
            m_pending = -1;
        }
        sink(m_units.data(), qsizetype(m_units.size()));
    }

    template <typename Sink>
    void finish(Sink &&sink)
    {
        if (m_pending < 0)
            return;
        const char16_t broken = 0xD800;
        sink(&broken, 1);
    }

private:
    bool m_bigEndian;
    int m_pending = -1;
    std::vector<char16_t> m_units;
};

// The list's bytes as they are read: their number and their SHA-256.
struct Fingerprint
{
    QCryptographicHash hash{QCryptographicHash::Sha256};
    qint64 size = 0;
    void add(const char *data, qint64 n)
    {
        hash.addData(QByteArrayView(data, n));
        size += n;
    }
};

// Reads the device to its end, or until the collector has counted enough to
// refuse the list; `feed` hands each chunk on.
template <typename Collector, typename Feed>
bool collect(QIODevice &device, int chunkSize, Collector &collector, Feed &&feed, Fingerprint &print, QString &why)
{
    QByteArray chunk(qMax(1, chunkSize), Qt::Uninitialized);
    while (!collector.full()) {
        const qint64 got = device.read(chunk.data(), chunk.size());
        if (got < 0) {
            why = readFailed();
            return false;
        }
        if (got == 0)
            break;
        print.add(chunk.constData(), got);
        feed(chunk.constData(), got);
    }
    return true;
}

// The status of a collected list before its records are decoded.
template <typename Collector>
CandidateFile counted(const Collector &collector, const Fingerprint &print)
{
    CandidateFile result;
    result.size = print.size;
    result.sha256 = print.hash.result();
    result.count = collector.count();
    result.status = collector.full() ? CandidateFile::Status::TooMany
        : collector.tooLarge()       ? CandidateFile::Status::TooLarge
                                     : CandidateFile::Status::Ok;
    return result;
}

void refuseLine(CandidateFile &result, int index)
{
    result.status = CandidateFile::Status::Undecodable;
    result.badLine = index + 1;
    result.lines.clear();
}

bool hasHighByte(const QByteArray &record)
{
    return std::any_of(record.cbegin(), record.cend(), [](char c) { return c & 0x80; });
}

// A UTF-8 lead byte of U+3000..U+9FFF, where CJK text lies; GBK names that
// pass as UTF-8 almost always do so as two-byte (Greek, Cyrillic) sequences.
bool hasUtf8Cjk(const QByteArray &record)
{
    return std::any_of(record.cbegin(), record.cend(), [](char c) { return quint8(c) >= 0xE3 && quint8(c) <= 0xE9; });
}

// Byte records without a UTF-16 mark: UTF-8 when marked, or when valid
// throughout with some byte above 0x7F; else code page 936, which gives
// nearly every byte sequence a text but marks what it cannot decode with
// U+FFFD. A list whose lines are mostly Chinese UTF-8 but not all valid has
// had lines of another encoding pasted in: decoding it as GBK would garble
// every UTF-8 name, so its first line that is not UTF-8 is named instead.
void decodeByteRecords(const QList<QByteArray> &records, bool marked, CandidateFile &result)
{
    int firstInvalid = -1, invalid = 0, chinese = 0;
    bool beyondAscii = false;
    for (int i = 0; i < records.size() && !marked; ++i) {
        const QByteArray &record = records.at(i);
        if (!isValidUtf8(record.constData(), record.size())) {
            firstInvalid = firstInvalid < 0 ? i : firstInvalid;
            ++invalid;
        } else if (hasHighByte(record)) {
            beyondAscii = true;
            chinese += hasUtf8Cjk(record);
        }
    }
    const bool utf8 = marked || (invalid == 0 && beyondAscii) || chinese > invalid;
    result.encoding = marked ? ListEncoding::Utf8Bom : utf8 ? ListEncoding::Utf8 : ListEncoding::Gbk;
    if (utf8 && invalid > 0)
        return refuseLine(result, firstInvalid);
    result.lines.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const QByteArray &record = records.at(i);
        if (utf8) {
            if (marked && !isValidUtf8(record.constData(), record.size()))
                return refuseLine(result, i);
            result.lines.append(decodeUtf8(record));
        } else {
            result.lines.append(decodeLegacyText(record));
            if (result.lines.constLast().contains(QChar(QChar::ReplacementCharacter)))
                return refuseLine(result, i);
        }
    }
}

void decodeUtf16Records(QList<QString> records, CandidateFile &result)
{
    for (int i = 0; i < records.size(); ++i)
        if (hasLoneSurrogate(records.at(i)))
            return refuseLine(result, i);
    result.lines = std::move(records);
}

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
        why = msg::fileProblem(path, errno);
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
        why = msg::fileProblem(path);
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
        why = msg::fileProblem(path);
        return false;
    }
    return true;
#endif
}

} // namespace

CandidateFile readCandidates(QIODevice &device, int chunkSize)
{
    int markLength = 0;
    const QByteArray start = device.peek(3);
    const ListEncoding marked = markedEncoding(start, &markLength);
    if (markLength > 0 && device.skip(markLength) != markLength)
        return unreadable(readFailed());
    Fingerprint print;
    print.add(start.constData(), markLength);
    QString why;

    if (marked == ListEncoding::Utf16Le || marked == ListEncoding::Utf16Be) {
        Utf16Records collector;
        Utf16Units units(marked == ListEncoding::Utf16Be);
        const auto sink = [&](const char16_t *data, qsizetype n) { collector.feed(data, n); };
        if (!collect(
                device, chunkSize, collector, [&](const char *data, qsizetype n) { units.convert(data, n, sink); },
                print, why))
            return unreadable(why);
        if (!collector.full())
            units.finish(sink);
        collector.finish();
        CandidateFile result = counted(collector, print);
        result.encoding = marked;
        if (result.status == CandidateFile::Status::Ok)
            decodeUtf16Records(collector.takeRecords(), result);
        return result;
    }

    ByteRecords collector;
    if (!collect(
            device, chunkSize, collector, [&](const char *data, qsizetype n) { collector.feed(data, n); }, print, why))
        return unreadable(why);
    collector.finish();
    CandidateFile result = counted(collector, print);
    if (result.status == CandidateFile::Status::Ok)
        decodeByteRecords(collector.takeRecords(), marked == ListEncoding::Utf8Bom, result);
    return result;
}

CandidateFile readCsvCandidates(QIODevice &device)
{
    CandidateFile result = readCandidates(device);
    if (result.status == CandidateFile::Status::Ok) {
        const QString text = result.lines.join(QLatin1Char('\n'));
        result.lines.clear(); // a list of 64 MB is 128 MB of text: one copy fewer at a time
        result.lines = csvRecords(text);
        result.count = int(result.lines.size());
    }
    return result;
}

namespace {

CandidateFile readWorkbookFile(QFile &file)
{
    CandidateFile result;
    const QByteArray bytes = file.read(kMaxCandidateBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable(readFailed());
    result.size = bytes.size();
    result.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    result.encoding = ListEncoding::Xlsx;
    if (bytes.size() > kMaxCandidateBytes) {
        result.status = CandidateFile::Status::TooLarge;
        return result;
    }
    Worksheet sheet = readFirstWorksheet(bytes, kMaxListLines, kMaxListColumns, kMaxCandidateBytes / 2);
    switch (sheet.status) {
    case Worksheet::Status::Ok:
        result.status = CandidateFile::Status::Ok;
        result.count = int(sheet.rows.size());
        result.lines = std::move(sheet.rows);
        break;
    case Worksheet::Status::TooMany:
        result.status = CandidateFile::Status::TooMany;
        result.count = kMaxListLines + 1;
        result.farthestCell = sheet.farthestCell;
        break;
    case Worksheet::Status::TooWide:
        result.status = CandidateFile::Status::TooLarge;
        result.farthestCell = sheet.farthestCell;
        result.columns = sheet.columns;
        break;
    case Worksheet::Status::TooLarge: // like a text list's, with the rows counted
        result.status = CandidateFile::Status::TooLarge;
        result.count = sheet.rowCount;
        break;
    case Worksheet::Status::NotXlsx:
    case Worksheet::Status::Damaged:
        result.status = CandidateFile::Status::BadWorkbook;
        result.error = sheet.status == Worksheet::Status::NotXlsx ? QStringLiteral("xls") : QStringLiteral("damaged");
        break;
    }
    return result;
}

} // namespace

CandidateFile readCandidateFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return CandidateFile{};

    QFile file;
    QString why;
    if (!openRegularFile(path, file, why))
        return unreadable(why);
    const QString suffix = info.suffix().toLower();
    CandidateFile result = suffix == QLatin1String("xlsx") ? readWorkbookFile(file)
        : suffix == QLatin1String("csv")                   ? readCsvCandidates(file)
                                                           : readCandidates(file);
    result.tabular = suffix == QLatin1String("xlsx") || suffix == QLatin1String("csv");
    return result;
}

QString findCandidateFile(const QString &folder)
{
    const QDir dir(folder);
    for (const char *name : {"bonus.txt", "bonus.xlsx", "bonus.csv"})
        if (QFileInfo(dir.filePath(QLatin1String(name))).isFile())
            return dir.filePath(QLatin1String(name));
    return dir.filePath(QStringLiteral("bonus.txt"));
}

} // namespace taviro
