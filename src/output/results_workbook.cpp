#include "results_workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace taviro {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss"); // as the sheet shows it
const char *const kSheetTimeFormat = "yyyy-mm-dd hh:mm:ss"; // the same, in Excel's words
const QString kForfeit = QStringLiteral("弃奖");

// Excel measures a column in widths of a digit; a Chinese character takes two.
int shownWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.isLowSurrogate() ? 0 : c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

// libxlsxwriter takes file names in UTF-8 on Windows (it opens them by their
// wide name) and as the system's bytes elsewhere.
QByteArray lxwPath(const QString &path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

QString lxwError(const QString &what, lxw_error error)
{
    return what + QStringLiteral("（") + QString::fromUtf8(lxw_strerror(error)) + QStringLiteral("）");
}

// Writes the table into the sheet, remembering the first error; a cell too
// long for Excel (32767 characters) is one.
class SheetWriter
{
public:
    SheetWriter(lxw_workbook *book, lxw_worksheet *sheet, int columns)
        : m_sheet(sheet)
        , m_widths(columns, 0)
    {
        m_bold = workbook_add_format(book);
        format_set_bold(m_bold);
        m_text = workbook_add_format(book);
        format_set_num_format(m_text, "@");
        m_time = workbook_add_format(book);
        format_set_num_format(m_time, kSheetTimeFormat);
    }

    void text(int row, int column, const QString &value, bool title = false)
    {
        m_widths[column] = std::max(m_widths[column], shownWidth(value));
        if (!value.isEmpty())
            check(worksheet_write_string(m_sheet, row, column, value.toUtf8().constData(), title ? m_bold : m_text));
    }
    void number(int row, int column, int value)
    {
        m_widths[column] = std::max(m_widths[column], int(QString::number(value).size()));
        check(worksheet_write_number(m_sheet, row, column, value, nullptr));
    }
    void time(int row, int column, const QDateTime &at)
    {
        if (!at.isValid())
            return;
        const QDate d = at.date();
        const QTime t = at.time();
        // Whole seconds, as the record keeps them.
        lxw_datetime when{d.year(), d.month(), d.day(), t.hour(), t.minute(), double(t.second())};
        m_widths[column] = std::max(m_widths[column], int(kTimeFormat.size()));
        check(worksheet_write_datetime(m_sheet, row, column, &when, m_time));
    }
    // Each column as wide as its widest text and a little more, up to a limit
    // beyond which a long text rather spills over.
    void fitColumns()
    {
        for (int c = 0; c < m_widths.size(); ++c)
            worksheet_set_column(m_sheet, c, c, std::clamp(m_widths[c] + 2, 6, 60), nullptr);
    }
    lxw_error error() const { return m_error; }

private:
    void check(lxw_error error)
    {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }

    lxw_worksheet *m_sheet;
    lxw_format *m_bold = nullptr, *m_text = nullptr, *m_time = nullptr;
    QVector<int> m_widths;
    lxw_error m_error = LXW_NO_ERROR;
};

// The sheet into an open workbook; the first error, or none.
lxw_error fillWorkbook(lxw_workbook *book, const ResultsTable &table)
{
    lxw_worksheet *sheet = workbook_add_worksheet(book, "摇号结果");
    if (!sheet)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    const QStringList titles = table.titles();
    SheetWriter writer(book, sheet, int(titles.size()));
    for (int c = 0; c < titles.size(); ++c)
        writer.text(0, c, titles.at(c), true);
    int row = 1;
    for (const ResultsRow &winner : table.rows) {
        int c = 0;
        writer.number(row, c++, winner.entry);
        if (table.withPrize)
            writer.text(row, c++, winner.prize);
        writer.text(row, c++, winner.round);
        for (int i = 0; i < table.listColumns.size(); ++i, ++c)
            writer.text(row, c, winner.cells.value(i));
        writer.time(row, c++, winner.at);
        writer.text(row, c++, winner.forfeited ? kForfeit : QString());
        ++row;
    }
    writer.fitColumns();
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_repeat_rows(sheet, 0, 0);
    worksheet_print_area(sheet, 0, 0, row - 1, lxw_col_t(titles.size() - 1));
    worksheet_fit_to_pages(sheet, 1, 0); // one page wide, as many long as it takes
    return writer.error();
}

} // namespace

QStringList ResultsTable::titles() const
{
    QStringList titles{QStringLiteral("序号")};
    if (withPrize)
        titles << QStringLiteral("奖项");
    return titles << QStringLiteral("轮次") << listColumns << QStringLiteral("中奖时间") << QStringLiteral("备注");
}

ResultsTable resultsTable(const QList<DrawRound> &rounds, const QList<Forfeit> &forfeits, bool withPrize,
                          const QStringList &heading)
{
    ResultsTable table;
    table.withPrize = withPrize;
    qsizetype columns = std::max<qsizetype>(heading.size(), 1);
    for (const DrawRound &round : rounds) {
        const QString name = round.number > 0 ? QStringLiteral("第%1轮").arg(round.number) : QStringLiteral("最后一组");
        for (int i = 0; i < round.winners.size(); ++i) {
            const int entry = round.firstEntry + i;
            const bool forfeited =
                std::any_of(forfeits.cbegin(), forfeits.cend(), [&](const Forfeit &f) { return f.entry == entry; });
            table.rows.append(
                {entry, round.prize, name, round.winners.at(i).split(QLatin1Char('\t')), round.at, forfeited});
            columns = std::max(columns, table.rows.constLast().cells.size());
        }
    }
    for (int i = 0; i < columns; ++i) {
        const QString title = heading.value(i).trimmed();
        table.listColumns << (title.isEmpty() ? QStringLiteral("名单第%1列").arg(i + 1) : title);
    }
    return table;
}

ResultsTable resultsTableOf(const DrawSession &session)
{
    return resultsTable(session.rounds(), session.forfeits(), !session.plan().isEmpty(), session.heading());
}

QStringList shownLines(const ResultsTable &table)
{
    QStringList lines{table.titles().join(QLatin1Char('\t'))};
    for (const ResultsRow &row : table.rows) {
        QStringList cells{QString::number(row.entry)};
        if (table.withPrize)
            cells << row.prize;
        cells << row.round;
        for (int i = 0; i < table.listColumns.size(); ++i)
            cells << row.cells.value(i);
        cells << QLocale::c().toString(row.at, kTimeFormat) << (row.forfeited ? kForfeit : QString());
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines;
}

QString workbookFileName() { return QStringLiteral("摇号结果.xlsx"); }

QString workbookPathForResults(const QString &resultsPath)
{
    const QString stem =
        resultsPath.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? resultsPath.chopped(4) : resultsPath;
    return stem + QStringLiteral(".xlsx");
}

EncodedWorkbook encodeWorkbook(const ResultsTable &table)
{
    EncodedWorkbook encoded;
    // libxlsxwriter writes a file of its own naming; the program's one atomic
    // write then puts its bytes in place, as for every file it saves.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("taviro-XXXXXX.xlsx")));
    if (!file.open()) {
        encoded.error = QStringLiteral("无法创建临时文件（") + file.errorString() + QStringLiteral("）");
        return encoded;
    }
    file.close(); // libxlsxwriter opens it again by its name
    lxw_workbook *book = workbook_new(lxwPath(file.fileName()).constData());
    if (!book) {
        encoded.error = QStringLiteral("无法生成工作簿");
        return encoded;
    }
    const lxw_error filled = fillWorkbook(book, table);
    const lxw_error closed = workbook_close(book); // writes the file and frees the workbook either way
    if (filled != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        encoded.error = lxwError(QStringLiteral("无法生成工作簿"), filled != LXW_NO_ERROR ? filled : closed);
        return encoded;
    }
    if (!file.open()) {
        encoded.error = QStringLiteral("无法读取生成的工作簿（") + file.errorString() + QStringLiteral("）");
        return encoded;
    }
    encoded.bytes = file.readAll();
    return encoded;
}

} // namespace taviro
