#pragma once

#include "draw/draw_session.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace taviro {

// The draw record, "摇号记录.txt": everything needed to repeat a draw and to
// check it, as plain text that Notepad shows and a program can parse. One
// field per line, its name and its value apart by a tab; a round's line is
// followed by its winners exactly as logged; the last line ends the record,
// so that a cut-off copy is told from a whole one. UTF-8 with a byte-order
// mark, CR LF.
struct DrawRecord
{
    QString program; // "Taviro" and the version
    ListFacts list;
    DrawSeed seed;
    QByteArray seedSha256; // as read from a record; a written record states the seed's own
    QString generator;
    QList<Prize> plan; // the prize plan the draw followed; empty without one
    QList<DrawRound> rounds;
    QList<Forfeit> forfeits; // in the order they were made, each after the rounds it names
    QString resultsFile; // the results file it belongs to
    QByteArray resultsSha256; // of that file's bytes
    // The results file's encoding ("结果编码"), stated only when the list's
    // encoding alone would not give it: a GBK list's results in UTF-8 with a
    // mark, for a prize name beyond GBK. Records without it read as before.
    std::optional<ListEncoding> resultsEncoding = std::nullopt;
    // The workbook written with the results ("摇号结果.xlsx") and the SHA-256
    // of its bytes; none when it was not written (a recovery copy, a failed
    // write), and records without them read as before.
    QString workbookFile = {};
    QByteArray workbookSha256 = {};
};

QString recordFileName(); // "摇号记录.txt"
// The results file that belongs to a record: the record's own name with
// 摇号记录 turned into 摇号结果, so that dated and recovery copies pair up.
QString resultsPathForRecord(const QString &recordPath);
QString recordPathForResults(const QString &resultsPath);

QByteArray encodeRecord(const DrawRecord &record);

struct ParsedRecord
{
    bool ok = false;
    DrawRecord record;
    QString error; // why the record cannot be read
};
ParsedRecord parseRecord(const QByteArray &bytes);

} // namespace taviro
