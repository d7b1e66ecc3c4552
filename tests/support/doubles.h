#pragma once
// The test doubles, one of each: boxes that record and answer, a scripted draw, a printer that records; file helpers.

#include "draw/draw_session.h"
#include "output/print_service.h"
#include "ui/message_boxes.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray numberedLines(int n) // "L1" CR LF "L2" CR LF ... "Ln" CR LF
{
    QByteArray out;
    for (int k = 1; k <= n; ++k)
        out += "L" + QByteArray::number(k) + "\r\n";
    return out;
}

// Starts a round of each count in turn, stopped and revealed when it rolls.
inline void drawRounds(taviro::DrawSession &session, const QStringList &counts)
{
    for (const QString &count : counts)
        if (session.start(count).kind == taviro::StartResult::Kind::Rolling)
            session.stop(), session.reveal();
}

// Each box's text, in turn; a question is answered as `replies` say, else No.
struct RecordingBoxes : taviro::MessageBoxes
{
    QStringList shown;
    std::function<void()> whileShown = [] {};
    QStringList answers; // what askText answers, in turn; cancelled when none is left
    QList<bool> replies; // what askYesNo answers (true: Yes), in turn; No when none is left
    QList<Default> defaults; // each Yes/No question's default button, in turn
    QStringList files; // what askFiles chooses
    void record(const QString &text) { shown.append(text), whileShown(); }
    void inform(QWidget *, const QString &text, const QString &) override { record(text); }
    bool askYesNo(QWidget *, const QString &text, const QString &, Default byDefault) override
    {
        record(text);
        defaults.append(byDefault);
        return !replies.isEmpty() && replies.takeFirst();
    }
    bool askText(QWidget *, const QString &label, const QString &, QString &text) override
    {
        record(label);
        if (answers.isEmpty())
            return false;
        text = answers.takeFirst();
        return true;
    }
    QStringList askFiles(QWidget *, const QString &title, const QString &) override { return record(title), files; }
};

// A known draw: GenRndArray gives the arrays scripted in `arrays`, in turn, then 1, 2, ... NeededNum (the draw
// order is the file order, a round takes the first undrawn); the reveal reverses the round.
struct ScriptedRandomiser : taviro::DrawRandomiser
{
    QList<QVector<int>> arrays;
    QVector<int> genRndArray(int myNum, int neededNum) override
    {
        if (!arrays.isEmpty())
            return arrays.takeFirst();
        QVector<int> values;
        for (int i = 1; neededNum <= myNum && i <= neededNum; ++i)
            values.append(i);
        return values;
    }
    void reshuffle(QStringList &picks) override { std::reverse(picks.begin(), picks.end()); }
};

// Records each request and what the file held when it came.
struct RecordingPrinter : taviro::PrintService
{
    QList<QByteArray> handed;
    void printFile(const QString &path) override { handed.append(readAll(path)); }
};
