#pragma once

#include "text_encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace taviro {

// The rules of the candidate file: at least kMinCandidates lines that take
// part in the draw, at most kMaxCandidates, and (since every text is kept in
// memory) at most kMaxCandidateBytes bytes of text. A heading and blank lines
// may come on top of the candidates, so a list may hold up to kMaxListLines
// lines; reading stops after that many.
constexpr int kMinCandidates = 2;
constexpr int kMaxCandidates = 10000;
constexpr int kMaxListLines = 2 * kMaxCandidates;
constexpr qint64 kMaxCandidateBytes = 64LL * 1024 * 1024;
// A workbook's rows may have up to kMaxListColumns columns: a stray cell far
// to the right would make every line thousands of tabs long.
constexpr int kMaxListColumns = 256;

// What reading bonus.txt found.
struct CandidateFile
{
    enum class Status {
        Ok, // lines holds every record, count == lines.size()
        Missing, // no ordinary file at the path (a folder counts as missing)
        Unreadable, // exists but could not be opened or read; `error` says why
        TooMany, // more than kMaxListLines records (count stops at kMaxListLines + 1)
        TooLarge, // within the line limit but more than kMaxCandidateBytes of text
        Undecodable, // line `badLine` holds bytes that `encoding` cannot decode
        BadWorkbook, // an .xlsx that is an old .xls or protected (error "xls") or damaged ("damaged")
    };

    Status status = Status::Missing;
    int count = 0; // records found (capped at kMaxListLines + 1)
    QStringList lines; // decoded records, only when status == Ok
    QString error; // a short reason, for Unreadable
    ListEncoding encoding = ListEncoding::Gbk; // as recognised (Ok, Undecodable)
    int badLine = 0; // Undecodable: the first such line, from 1
    qint64 size = 0; // the bytes read, and their SHA-256: the whole
    QByteArray sha256; // file unless counting stopped (TooMany)
    bool tabular = false; // a workbook's rows or a CSV file's records: cells apart by tabs
    // A workbook whose sheet is too long (TooMany) or too wide (TooLarge, more
    // than kMaxListColumns columns): the cell farthest down or right, and the
    // columns every row would have.
    QString farthestCell;
    int columns = 0;
};

// Splits raw bytes into records: CR LF, a lone CR and a lone LF each end a
// line, and a line end at the very end starts no record. Stops after
// `maxRecords` records when maxRecords >= 0.
QList<QByteArray> splitRecords(const QByteArray &bytes, int maxRecords = -1);

// Reads candidate records from an open device, `chunkSize` bytes at a time
// (the record rules do not depend on where the chunks end). The encoding is
// recognised from the bytes: a UTF-8 or UTF-16 byte-order mark (never part of
// the first record), else UTF-8 when every byte fits UTF-8 and one is above
// 0x7F, else code page 936. Line ends are the same in each.
CandidateFile readCandidates(QIODevice &device, int chunkSize = 1 << 20);

// Reads a CSV file's records as readCandidates() reads its lines, with the
// encodings and limits of a text list; a record may span lines (csvRecords()).
CandidateFile readCsvCandidates(QIODevice &device);

// Reads the candidate file at `path`. Never blocks on a named pipe and never
// reads more than it needs to decide: counting stops at kMaxListLines + 1.
// A name ending in .xlsx is read as a workbook (its first sheet's rows), one
// ending in .csv as CSV in the encodings of a text list; anything else is a
// text list.
CandidateFile readCandidateFile(const QString &path);

// The list in `folder`: bonus.txt, or when there is none bonus.xlsx, or
// bonus.csv; bonus.txt when none of them is there.
QString findCandidateFile(const QString &folder);

// Indexes (1-based line numbers) of the sample names shown by the roll.
QVector<int> sampleLineNumbers(int count);

} // namespace taviro
