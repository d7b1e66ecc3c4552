#pragma once

#include "left_out_lines.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace taviro {

// Earlier winners who take no part in this draw (a second sitting from the
// same list, a late-comer's restart): the texts the organiser's files name,
// and the lines of the list they leave out. A line is left out when its text
// equals one of the texts, character for character.
struct Exclusion
{
    QStringList texts; // distinct and sorted; given only when drawing anew
    // What the record states: how many texts there were and their SHA-256
    // (exclusionSha256), and the lines they left out. A replay leaves out
    // these lines, so that no exclusion file is needed to check the draw.
    int textCount = 0;
    QByteArray sha256;
    QVector<int> lines; // from 1, in order

    bool any() const { return textCount > 0 || !lines.isEmpty(); }
    static Exclusion ofTexts(const QStringList &texts);
};

// The SHA-256 of the texts as one UTF-8 text: each followed by a line feed,
// in sorted order (by UTF-16 code units), so that the same winners give the
// same SHA-256 whichever files named them and in whichever order.
QByteArray exclusionSha256(const QStringList &sortedTexts);

// What one file names. `message` says why it cannot be read; empty when it was.
struct ExclusionFile
{
    QStringList texts;
    QString message;
};

// Reads a file of texts to leave out: an earlier results file (摇号结果…,
// its winners), a draw record (摇号记录…, its winners), or a plain list of
// texts, one a line, in the encodings of a candidate list (a workbook or a
// CSV file too). A winner who forfeited did not win and is not named; blank
// lines name nobody.
ExclusionFile readExclusionFile(const QString &path);

// The lines of `lines` (from 1) whose text is one of `sortedTexts`, leaving
// aside those already left out.
QVector<int> excludedLines(const QStringList &lines, const QList<LeftOutLine> &leftOut, const QStringList &sortedTexts);

// `leftOut` with `excluded` among them, in the order of the list.
QList<LeftOutLine> withExcluded(QList<LeftOutLine> leftOut, const QVector<int> &excluded);

} // namespace taviro
