#include "left_out_lines.h"

#include <QRegularExpression>

#include <algorithm>

namespace taviro {

namespace {

// The blanks people leave in lists: spaces, tabs (a workbook's empty cells)
// and the full-width space of Chinese input methods.
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000); }

QString withoutBlanksAround(const QString &cell)
{
    qsizetype from = 0, to = cell.size();
    while (from < to && isBlank(cell.at(from)))
        ++from;
    while (to > from && isBlank(cell.at(to - 1)))
        --to;
    return cell.mid(from, to - from);
}

// A cell as a spreadsheet shows a number, a date or a time: digits with
// signs, separators and a percent sign, 年月日, E notation, AM or PM. A 工号
// kept as text ("0012") counts too: no heading is made of digits.
bool looksLikeNumber(const QString &cell)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?[0-9.,:/% 年月日时分秒-]*[0-9][0-9.,:/% 年月日时分秒-]*(E[+-]?[0-9]+)?( ?[AP]M)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return number.match(cell).hasMatch();
}

// A column's title as lists of people have them. A Chinese word counts
// anywhere in the cell (员工姓名, 手机号码, 所在部门), since no name holds
// one; a Latin one only as a word of its own, since "id" is inside "David".
bool isTitle(const QString &cell)
{
    static const QStringList chinese{"姓名", "名字", "工号", "编号", "序号", "部门", "手机", "电话", "单位",
                                     "职位", "职务", "岗位", "员工", "邮箱", "性别", "学号", "班级", "备注"};
    static const QStringList latin{"name",   "id",  "no",    "number", "dept",     "department", "phone",
                                   "mobile", "tel", "email", "e-mail", "employee", "staff"};
    static const QRegularExpression notWord(QStringLiteral("[^A-Za-z-]+"));
    const auto in = [&](const QString &word) { return cell.contains(word); };
    const QStringList words = cell.toLower().split(notWord, Qt::SkipEmptyParts);
    return std::any_of(chinese.cbegin(), chinese.cend(), in)
        || std::any_of(words.cbegin(), words.cend(), [](const QString &word) { return latin.contains(word); });
}

// Whether some column holds a number or date in every row after the first
// that is not blank, and text in the first: 座位 above 12, 7, 31.
bool numbersUnderText(const QStringList &lines, const QStringList &first)
{
    QVector<bool> numbers(first.size());
    for (int c = 0; c < first.size(); ++c)
        numbers[c] = !first.at(c).isEmpty();
    bool below = false;
    for (int i = 1; i < lines.size(); ++i) {
        if (isBlankLine(lines.at(i)))
            continue;
        below = true;
        const QStringList cells = lines.at(i).split(QLatin1Char('\t'));
        for (int c = 0; c < numbers.size(); ++c)
            numbers[c] = numbers[c] && looksLikeNumber(withoutBlanksAround(cells.value(c)));
    }
    return below && numbers.contains(true);
}

// The first row's cells when it looks like a row of column titles: all its
// cells text, none a number or date, and one of them a common title or a
// column of numbers or dates below it. A list of names has neither.
QStringList headingCells(const QStringList &lines)
{
    if (lines.isEmpty())
        return {};
    const QStringList cells = lines.first().split(QLatin1Char('\t'));
    QStringList texts;
    for (const QString &cell : cells)
        texts.append(withoutBlanksAround(cell));
    if (std::any_of(texts.cbegin(), texts.cend(), looksLikeNumber))
        return {};
    if (std::any_of(texts.cbegin(), texts.cend(), isTitle) || numbersUnderText(lines, texts))
        return cells;
    return {};
}

} // namespace

ListChoices ListChoices::everyLine()
{
    ListChoices choices;
    choices.stated = false;
    return choices;
}

bool ListChoices::fit(const ListQuestions &questions) const
{
    return (heading != Heading::NotAsked) == !questions.heading.isEmpty() && blankLines == questions.blankLines;
}

bool isBlankLine(const QString &line) { return std::all_of(line.cbegin(), line.cend(), isBlank); }

ListQuestions listQuestions(const QStringList &lines, bool tabular)
{
    ListQuestions questions;
    if (tabular)
        questions.heading = headingCells(lines);
    for (int i = 0; i < lines.size(); ++i)
        if (isBlankLine(lines.at(i)))
            questions.blankLines.append(i + 1);
    return questions;
}

QList<LeftOutLine> leftOutLines(const ListQuestions &questions, const ListChoices &choices)
{
    QList<LeftOutLine> lines;
    if (!choices.stated)
        return lines;
    if (choices.heading == ListChoices::Heading::LeftOut && !questions.heading.isEmpty())
        lines.append({1, LeftOutReason::Heading});
    if (choices.blanksLeftOut)
        for (int line : questions.blankLines)
            lines.append({line, LeftOutReason::Blank});
    return lines;
}

} // namespace taviro
