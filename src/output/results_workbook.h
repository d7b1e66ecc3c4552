#pragma once

#include "draw/draw_session.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace taviro {

// The results as a spreadsheet for the office, "摇号结果.xlsx" beside the
// results file: one row per winner, under a first row of titles, with the
// winner's text cut at its tabs into one column each (a workbook's row is
// drawn as its cells joined by tabs), so that a list's 工号, 姓名 and 部门
// come back as they stood.
struct ResultsRow
{
    int entry = 0; // its number in the log, the n of [n]
    QString prize; // the prize it was drawn for; empty without a plan
    QString round; // "第k轮" or "最后一组"
    QStringList cells; // the winner's text, cut at its tabs
    QDateTime at; // when its round was decided; the sheet shows it to the second, as the record keeps it
    bool forfeited = false;
};

struct ResultsTable
{
    bool withPrize = false; // a 奖项 column: the draw followed a prize plan
    QStringList listColumns; // the titles of the winner's columns
    QList<ResultsRow> rows;

    // 序号, 奖项 (with a plan), 轮次, the winner's columns, 中奖时间, 备注.
    QStringList titles() const;
};

// The table of a draw's rounds. The winner's columns are named after the
// list's heading row (`heading`, its cells; empty when it had none), or
// 名单第1列, 名单第2列, ... where it names none.
ResultsTable resultsTable(const QList<DrawRound> &rounds, const QList<Forfeit> &forfeits, bool withPrize,
                          const QStringList &heading);
ResultsTable resultsTableOf(const DrawSession &session);

// The sheet's rows as the program's own workbook reader gives them back:
// the titles, then each row's cells as Excel shows them, joined by tabs.
QStringList shownLines(const ResultsTable &table);

QString workbookFileName(); // "摇号结果.xlsx"
// The workbook that belongs to a results file, dated and recovery names
// alike: the same name ending in .xlsx instead of .txt.
QString workbookPathForResults(const QString &resultsPath);

struct EncodedWorkbook
{
    QByteArray bytes; // the .xlsx file; empty when it could not be made
    QString error; // why not, for the message box
};

// The workbook's bytes, made by libxlsxwriter in a temporary file: one sheet,
// 摇号结果, every name and ID a text cell (000123 and 18-digit ID numbers stay
// as they are), the first row bold and frozen, the columns as wide as their
// texts, and printed one page wide with the titles on every page.
EncodedWorkbook encodeWorkbook(const ResultsTable &table);

} // namespace taviro
