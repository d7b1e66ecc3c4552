#pragma once
// The test doubles, one of each: boxes that record and answer, a scripted draw, a printer that records.

#include "draw/draw_session.h"
#include "output/print_service.h"
#include "ui/message_boxes.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>

struct RecordedBox
{
    QString text, caption;
};

struct RecordingBoxes : taviro::MessageBoxes
{
    QList<RecordedBox> shown;
    std::function<void()> whileShown = [] {};
    void inform(QWidget *, const QString &text, const QString &caption) override { record({text, caption}); }
    bool askYesNo(QWidget *, const QString &text, const QString &title) override
    {
        record({text, title});
        return false;
    }
    QStringList answers; // what askText answers, in turn; cancelled when none is left
    bool askText(QWidget *, const QString &label, const QString &title, QString &text) override
    {
        record({label, title});
        if (answers.isEmpty())
            return false;
        text = answers.takeFirst();
        return true;
    }
    void record(const RecordedBox &box)
    {
        shown.append(box);
        whileShown();
    }
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
    void printFile(const QString &path) override
    {
        QFile file(path);
        handed.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
};
