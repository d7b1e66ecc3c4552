#include "left_out_lines.h"

#include "candidate_list.h"

#include <algorithm>
#include <vector>

namespace taviro {

namespace {

// The blanks people leave in lists: spaces, tabs (a workbook's empty cells)
// and the full-width space of Chinese input methods.
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000); }

QStringView withoutBlanksAround(QStringView cell)
{
    qsizetype from = 0, to = cell.size();
    while (from < to && isBlank(cell.at(from)))
        ++from;
    while (to > from && isBlank(cell.at(to - 1)))
        --to;
    return cell.mid(from, to - from);
}

// The cells of a line, one after the other, without a string made for each:
// a list of 64 MB may hold thirty million of them.
class Cells
{
public:
    explicit Cells(const QString &line)
        : m_line(line)
    {}
    // The next cell; an empty one once the line has no more.
    QStringView next()
    {
        if (m_from > m_line.size())
            return QStringView();
        qsizetype to = m_line.indexOf(QLatin1Char('\t'), m_from);
        to = to < 0 ? m_line.size() : to;
        const QStringView cell = QStringView(m_line).mid(m_from, to - m_from);
        m_from = to + 1;
        return cell;
    }

private:
    const QString &m_line;
    qsizetype m_from = 0;
};

// A cell as a spreadsheet shows a number, a date or a time: digits with
// signs, separators and a percent sign, 年月日, E notation, AM or PM. A 工号
// kept as text ("0012") counts too: no heading is made of digits. By hand,
// in one pass, what
// ^[+-]?[0-9.,:/% 年月日时分秒-]*[0-9][0-9.,:/% 年月日时分秒-]*(E[+-]?[0-9]+)?( ?[AP]M)?$
// matches, case aside: a regular expression for every cell of a large list
// took seconds.
bool looksLikeNumber(QStringView cell)
{
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const auto part = [&](QChar c) { return digit(c) || QStringView(u".,:/% 年月日时分秒-").contains(c); };
    const auto is = [](QChar c, char letter) { return c.unicode() == letter || c.unicode() == letter + 'a' - 'A'; };
    qsizetype end = cell.size();
    const bool clock =
        end >= 2 && is(cell.at(end - 1), 'M') && (is(cell.at(end - 2), 'A') || is(cell.at(end - 2), 'P'));
    if (clock)
        end -= 2; // a blank before AM stays: it may belong to the number, or to AM after an exponent
    qsizetype exponent = -1;
    for (qsizetype i = 0; i < end && exponent < 0; ++i)
        if (is(cell.at(i), 'E'))
            exponent = i;
    if (exponent >= 0) {
        qsizetype i = exponent + 1, last = clock && end > i && cell.at(end - 1) == QLatin1Char(' ') ? end - 1 : end;
        if (i < last && (cell.at(i) == QLatin1Char('+') || cell.at(i) == QLatin1Char('-')))
            ++i;
        if (i == last)
            return false;
        for (; i < last; ++i)
            if (!digit(cell.at(i)))
                return false;
        end = exponent;
    }
    qsizetype i = end > 0 && cell.at(0) == QLatin1Char('+') ? 1 : 0;
    bool digits = false;
    for (; i < end; ++i) {
        if (!part(cell.at(i)))
            return false;
        digits = digits || digit(cell.at(i));
    }
    return digits;
}

// A column's title as lists of people have them. A Chinese word counts
// anywhere in the cell (员工姓名, 手机号码, 所在部门), since no name holds
// one; a Latin one only as a word of its own, since "id" is inside "David".
// Both are looked for in one pass: a cell may be millions of characters long.
bool isTitle(QStringView cell)
{
    static const QStringList chinese{"姓名", "名字", "工号", "编号", "序号", "部门", "手机", "电话", "单位",
                                     "职位", "职务", "岗位", "员工", "邮箱", "性别", "学号", "班级", "备注"};
    static const QStringList latin{"name",   "id",  "no",    "number", "dept",     "department", "phone",
                                   "mobile", "tel", "email", "e-mail", "employee", "staff"};
    static const std::vector<char16_t> firstChinese = [] { // sorted, to be looked up fast
        std::vector<char16_t> first;
        for (const QString &word : chinese)
            first.push_back(word.at(0).unicode());
        std::sort(first.begin(), first.end());
        return first;
    }();
    for (qsizetype i = 0; i + 1 < cell.size(); ++i)
        if (std::binary_search(firstChinese.cbegin(), firstChinese.cend(), cell.at(i).unicode())
            && chinese.contains(cell.mid(i, 2)))
            return true;
    // The words: runs of Latin letters and hyphens, taken from the cell in lower case.
    const QString lower = cell.toString().toLower();
    const auto letter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || c == QLatin1Char('-');
    };
    for (qsizetype i = 0; i < lower.size();) {
        qsizetype end = i;
        while (end < lower.size() && letter(lower.at(end)))
            ++end;
        if (end - i >= 2 && end - i <= 10 && latin.contains(QStringView(lower).mid(i, end - i)))
            return true;
        i = qMax(end, i + 1);
    }
    return false;
}

// Whether some column holds a number or date in every row after the first
// that is not blank, and text in the first: 座位 above 12, 7, 31.
bool numbersUnderText(const QStringList &lines, const QStringList &first)
{
    QVector<bool> numbers(first.size());
    qsizetype left = 0; // columns that may still be one
    for (int c = 0; c < first.size(); ++c)
        left += numbers[c] = !first.at(c).isEmpty();
    bool below = false;
    for (int i = 1; i < lines.size() && left > 0; ++i) {
        if (isBlankLine(lines.at(i)))
            continue;
        below = true;
        Cells cells(lines.at(i));
        for (int c = 0; c < numbers.size(); ++c) {
            const QStringView cell = cells.next();
            if (numbers[c] && !looksLikeNumber(withoutBlanksAround(cell))) {
                numbers[c] = false;
                --left;
            }
        }
    }
    return below && left > 0;
}

// The first row's cells when it looks like a row of column titles: all its
// cells text, none a number or date, and one of them a common title or a
// column of numbers or dates below it. A list of names has neither, and no
// list has titles in more than kMaxListColumns columns or 64 KB of them.
QStringList headingCells(const QStringList &lines)
{
    if (lines.isEmpty() || lines.first().size() > 32768 || lines.first().count(QLatin1Char('\t')) >= kMaxListColumns)
        return {};
    const QStringList cells = lines.first().split(QLatin1Char('\t'));
    QStringList texts;
    for (const QString &cell : cells)
        texts.append(withoutBlanksAround(cell).toString());
    if (std::any_of(texts.cbegin(), texts.cend(), [](const QString &text) { return looksLikeNumber(text); }))
        return {};
    if (std::any_of(texts.cbegin(), texts.cend(), [](const QString &text) { return isTitle(text); })
        || numbersUnderText(lines, texts))
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
