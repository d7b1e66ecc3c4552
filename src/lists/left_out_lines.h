#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace taviro {

// Why a line of the list takes no part in the draw. Initialise asks about
// a heading and blank lines before it draws, and the record states the
// answers and the lines excluded, so that a checker leaves out the same lines.
enum class LeftOutReason {
    Heading, // the first row of a workbook or CSV file: its columns' titles
    Blank, // empty, or nothing but spaces, tabs and full-width spaces
    Excluded, // an earlier winner's text, from the files the organiser named (exclusion_list.h)
};

struct LeftOutLine
{
    int line = 0; // in the list, from 1
    LeftOutReason reason = LeftOutReason::Blank;
};

// What Initialise asks about a list before it draws from it.
struct ListQuestions
{
    QStringList heading; // the first row's cells when it looks like a heading; empty otherwise
    QVector<int> blankLines; // from 1, in order
    bool any() const { return !heading.isEmpty() || !blankLines.isEmpty(); }
};

// The answers to those questions, with what they were asked about, as the
// record keeps them.
struct ListChoices
{
    enum class Heading { NotAsked, LeftOut, TakesPart };
    Heading heading = Heading::NotAsked;
    QVector<int> blankLines; // the blank lines asked about; empty when there were none
    bool blanksLeftOut = false;
    // False for a record that states no answer (one written before these
    // questions, or for a list that raised none): every line takes part and
    // there is nothing to check.
    bool stated = true;

    static ListChoices everyLine();
    // Whether the answers are about the lines the list has now.
    bool fit(const ListQuestions &questions) const;
};

bool isBlankLine(const QString &line);

// The questions a list raises; `tabular` for a workbook's rows or a CSV
// file's records, whose cells stand apart by tabs (only they have a heading).
ListQuestions listQuestions(const QStringList &lines, bool tabular);

// The lines the answers leave out, in the order of the list.
QList<LeftOutLine> leftOutLines(const ListQuestions &questions, const ListChoices &choices);

} // namespace taviro
