#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The texts about the organiser's files that the readers' outcomes are told
// with, character for character.
namespace taviro::msg {

inline QString missingFile()
{
    return QStringLiteral(
        "请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus.txt即可。");
}
inline QString tooFew() { return QStringLiteral("记录起码需要两条以上，请检查!"); }
inline QString tooMany() { return QStringLiteral("记录总数不要超过10000条！"); }
// The file Initialise read, by its name, and why it was refused. `what` is
// what would show garbled: the list's names, or a plan's prize names.
QString unreadable(const QString &fileName, const QString &reason);
QString tooLarge(const QString &fileName);
// A file of earlier winners to leave out that cannot be read.
QString unreadableExclusion(const QString &fileName, const QString &reason);
QString undecodable(const QString &fileName, int line, const QString &what = QStringLiteral("名单中的名字"));
// Why the file at `path` could not be opened or read, in words of the
// messages' own language: the system's (English) words would stand in the
// middle of a Chinese sentence. `error` is the errno of a failed open, if any.
QString fileProblem(const QString &path, int error = 0);
// A workbook that is an old .xls or protected by a password (`oldOrLocked`), or damaged.
QString badWorkbook(const QString &fileName, bool oldOrLocked);
// A prize plan whose line `line` is not a prize and its count; one too long
// (more than `prizes` prizes or `lines` lines); one too large to be a plan.
QString badPlan(const QString &fileName, int line);
QString longPlan(const QString &fileName, int prizes, int lines);
QString largePlan(const QString &fileName);
// Lines of the list by their numbers: "5、23、24行", or the first ten and "等25行".
QString lineNumbers(const QVector<int> &lines);
// Initialise's questions about a heading row (its cells) and blank lines.
QString headingQuestion(const QStringList &cells);
QString blankLinesQuestion(const QVector<int> &lines);
// The list changed while those questions were open: the answers may be about other lines.
QString listChangedWhileAsking(const QString &fileName);
// A workbook's sheet that reaches `cell`, far down or right (often a stray
// cell): more rows than a list may have, or `columns` columns in every row.
QString sheetTooLong(const QString &fileName, const QString &cell);
QString sheetTooWide(const QString &fileName, const QString &cell, int columns);

} // namespace taviro::msg
