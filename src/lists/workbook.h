#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace taviro {

// The first worksheet of an .xlsx workbook, as a person gets it by selecting
// the sheet's used rows in Excel and pasting them into Notepad: one line per
// row from the first used row to the last (empty rows between included),
// the cells from column A to the last used column joined by tabs, each cell
// as Excel shows it (text as it stands, numbers and dates in their format).
// A line end inside a cell becomes a blank, so that a cell stays on its line.
struct Worksheet
{
    enum class Status {
        Ok,
        NotXlsx, // an old .xls, or a workbook protected by a password (both are OLE files, not zip)
        Damaged, // not a workbook that can be read
        TooMany, // more than `maxRows` rows
        TooWide, // more than `maxColumns` columns
        TooLarge, // more than `maxChars` characters of text
    };
    Status status = Status::Damaged;
    QStringList rows;
    // TooMany and TooWide: the cell farthest down or right ("XFD1"), which
    // is often a stray one; TooWide: the columns every row would have.
    QString farthestCell;
    int columns = 0;
    int rowCount = 0; // TooLarge: the rows that would have been read
};

// A damaged workbook (a part missing, bad XML, a DTD, a shared string that
// is not there, a part that unpacks to more than any list needs) is Damaged.
Worksheet readFirstWorksheet(const QByteArray &bytes, int maxRows, int maxColumns, qint64 maxChars);

// A number as Excel shows it in a cell of the given format code ("General",
// "0.00", "000000", "yyyy/m/d", ...); `date1904` for workbooks counting days
// from 1904.
QString formatCellNumber(double value, const QString &formatCode, bool date1904 = false);

// The format code of one of Excel's built-in number formats, as a Chinese
// (PRC) Excel shows them; "General" for an unknown one.
QString builtInNumberFormat(int id);

} // namespace taviro
