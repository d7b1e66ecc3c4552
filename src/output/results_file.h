#pragma once

#include "lists/text_encoding.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace taviro {

// The results file's name, in the application folder.
QString resultsFileName(); // "摇号结果.txt"
QString resultsFilePath(const QString &folder);

// The exact bytes of the results file for a log text drawn from a list in
// `list`'s encoding: the text and one CR LF, in GBK without a byte-order mark
// for a GBK or ASCII list, in UTF-8 with a mark for a Unicode list, so that
// every character of every name is kept.
QByteArray encodeResults(const QString &logText, ListEncoding list);
// The encoding the list's encoding alone gives the results (GBK, or UTF-8
// with a mark): theirs unless a text in them needs more.
ListEncoding plainResultsEncoding(ListEncoding list);

struct SaveOutcome
{
    bool ok = false;
    QString path;
    QString error; // why the write failed, for the message box
};

// The step that puts the bytes into the open temporary file; false when it
// failed. Saving uses writeAllBytes; tests pass a writer that fails.
using ResultsWriter = std::function<bool(QIODevice &file, const QByteArray &bytes)>;
bool writeAllBytes(QIODevice &file, const QByteArray &bytes);

// Replaces the file at `path` with `bytes` through a temporary file that is
// flushed to the disk before it takes the file's name, so that at every
// instant the file holds either its previous or its new complete content.
SaveOutcome writeFileAtomically(const QString &path, const QByteArray &bytes,
                                const ResultsWriter &writer = writeAllBytes);

// Opens the results file in `folder` for replacing, as Save does, and drops
// it again: whether a Save would be refused, known before anything is drawn.
SaveOutcome checkSaving(const QString &folder);

// The confirmation after a successful save, naming the folder the file went
// to unless it is the program's own (`namedFolder` empty); and the failure message.
QString savedMessage(const QString &namedFolder = {});
QString saveFailedMessage(const SaveOutcome &outcome);

} // namespace taviro
