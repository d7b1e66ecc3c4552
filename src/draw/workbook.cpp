#include "workbook.h"
#include "zip_archive.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace taviro {

namespace {

const QString kRelationships = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// Reads the text of the element the reader stands on, its nested runs
// included but phonetic guides (<rPh>) left out, and leaves the reader on
// its end tag.
QString elementText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1, skipping = 0;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("rPh") || skipping)
                ++skipping;
        } else if (xml.isEndElement()) {
            --depth;
            if (skipping)
                --skipping;
        } else if (xml.isCharacters() && !skipping) {
            text += xml.text();
        }
    }
    return text;
}

// "BC12" -> 55 (the column, from 1); 0 when there is no column.
int columnOf(QStringView reference)
{
    int column = 0;
    for (QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column;
}

// Joins a relative target to the folder of the part that names it.
QString partPath(const QString &target, const QString &folder)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : target.split(QLatin1Char('/'))) {
        if (part == QLatin1String(".."))
            parts.removeLast();
        else if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

struct WorkbookParts
{
    QString firstSheet;
    bool date1904 = false;
    QStringList sharedStrings;
    QStringList cellFormats; // the format code of each cell style, by its index
};

bool readWorkbook(const ZipArchive &zip, WorkbookParts &parts)
{
    QByteArray bytes;
    if (!zip.read(QStringLiteral("xl/workbook.xml"), bytes))
        return false;
    QString sheetId;
    for (QXmlStreamReader xml(bytes); !xml.atEnd() && sheetId.isEmpty();) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("workbookPr"))
            parts.date1904 = xml.attributes().value(QLatin1String("date1904")) == QLatin1String("1")
                || xml.attributes().value(QLatin1String("date1904")) == QLatin1String("true");
        if (xml.isStartElement() && xml.name() == QLatin1String("sheet"))
            sheetId = xml.attributes().value(kRelationships, QLatin1String("id")).toString();
    }
    if (sheetId.isEmpty() || !zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"), bytes))
        return false;
    for (QXmlStreamReader xml(bytes); !xml.atEnd();) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")
            && xml.attributes().value(QLatin1String("Id")) == sheetId)
            parts.firstSheet =
                partPath(xml.attributes().value(QLatin1String("Target")).toString(), QStringLiteral("xl"));
    }
    if (parts.firstSheet.isEmpty())
        return false;

    if (zip.read(QStringLiteral("xl/sharedStrings.xml"), bytes)) {
        for (QXmlStreamReader xml(bytes); !xml.atEnd();) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                parts.sharedStrings.append(elementText(xml));
        }
    }
    if (zip.read(QStringLiteral("xl/styles.xml"), bytes)) {
        QHash<int, QString> custom;
        bool inCellXfs = false;
        for (QXmlStreamReader xml(bytes); !xml.atEnd();) {
            xml.readNext();
            const auto attribute = [&](const char *name) { return xml.attributes().value(QLatin1String(name)); };
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                custom.insert(attribute("numFmtId").toInt(), attribute("formatCode").toString());
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellXfs = xml.isStartElement();
            else if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
                const int id = attribute("numFmtId").toInt();
                parts.cellFormats.append(custom.value(id, builtInNumberFormat(id)));
            }
        }
    }
    return true;
}

// A cell's text as Excel shows it.
QString cellText(QXmlStreamReader &xml, const WorkbookParts &parts)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView type = attributes.value(QLatin1String("t"));
    const int style = attributes.value(QLatin1String("s")).toInt();
    QString value, inlineText;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("v")) {
            value = elementText(xml);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("is")) {
            inlineText = elementText(xml);
        } else if (xml.isStartElement()) {
            ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (type == QLatin1String("s"))
        return parts.sharedStrings.value(value.toInt());
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("str") || type == QLatin1String("e") || value.isEmpty())
        return value;
    if (type == QLatin1String("d")) { // an ISO date, written by some programs
        const QDateTime at = QDateTime::fromString(value, Qt::ISODate);
        const double serial = QDate(1899, 12, 30).daysTo(at.date()) + at.time().msecsSinceStartOfDay() / 86400000.0;
        return formatCellNumber(serial, parts.cellFormats.value(style, QStringLiteral("yyyy/m/d")), false);
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? formatCellNumber(number, parts.cellFormats.value(style, QStringLiteral("General")), parts.date1904)
              : value;
}

// The format's first section (the one for positive numbers), without colours
// and conditions in brackets, and whether it shows a date or a time.
QString firstSection(const QString &code, bool *isDate)
{
    QString section;
    bool quoted = false, dateParts = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char(';'))
            break;
        else if (!quoted && c == QLatin1Char('[')) {
            const int end = code.indexOf(QLatin1Char(']'), i);
            const QString inside = code.mid(i + 1, end - i - 1).toLower();
            if (inside == QLatin1String("h") || inside == QLatin1String("hh") || inside == QLatin1String("mm")
                || inside == QLatin1String("ss"))
                section += inside; // elapsed time, shown as a time
            i = end < 0 ? int(code.size()) : end;
            continue;
        } else if (!quoted && c == QLatin1Char('\\') && i + 1 < code.size()) {
            section += QLatin1Char('"') + code.at(++i) + QLatin1Char('"');
            continue;
        }
        if (!quoted && QStringLiteral("yYdDhHsS").contains(c))
            dateParts = true;
        section += c;
    }
    *isDate = dateParts
        || (section.contains(QLatin1Char('m'), Qt::CaseInsensitive) && !section.contains(QLatin1Char('0'))
            && !section.contains(QLatin1Char('#')));
    return section;
}

QString formatDate(double serial, const QString &section, bool date1904)
{
    // Excel counts 1900-02-29, which never was: serials before it are a day off.
    QDate day = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double whole = std::floor(serial);
    day = day.addDays(qint64(whole) + (!date1904 && whole < 60 ? 1 : 0));
    const int seconds = int(std::lround((serial - whole) * 86400));
    const QTime time = QTime(0, 0).addSecs(seconds % 86400);
    const bool twelveHours = section.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive);
    QString out;
    bool quoted = false, afterHour = false;
    for (int i = 0; i < section.size();) {
        const QChar c = section.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (quoted || !QStringLiteral("yYmMdDhHsSaA").contains(c)) {
            out += c;
            ++i;
            continue;
        }
        int run = 1;
        while (i + run < section.size() && section.at(i + run).toLower() == c.toLower())
            ++run;
        const QChar kind = c.toLower();
        if (kind == QLatin1Char('a')) { // AM/PM
            out += time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            i += section.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0 ? 5 : run;
            continue;
        }
        const bool minutes = kind == QLatin1Char('m')
            && (afterHour || section.mid(i + run).trimmed().startsWith(QLatin1Char(':'))
                || section.mid(i + run, 3).contains(QLatin1Char('s'), Qt::CaseInsensitive));
        const auto padded = [&](int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); };
        if (kind == QLatin1Char('y'))
            out += run <= 2 ? padded(day.year() % 100, 2) : QString::number(day.year());
        else if (kind == QLatin1Char('d'))
            out += run == 1 ? QString::number(day.day())
                : run == 2
                ? padded(day.day(), 2)
                : QLocale::c().dayName(day.dayOfWeek(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        else if (kind == QLatin1Char('h'))
            out += padded(twelveHours ? (time.hour() + 11) % 12 + 1 : time.hour(), qMin(run, 2));
        else if (kind == QLatin1Char('s'))
            out += padded(time.second(), qMin(run, 2));
        else if (minutes)
            out += padded(time.minute(), qMin(run, 2));
        else
            out += run <= 2
                ? padded(day.month(), run)
                : QLocale::c().monthName(day.month(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        afterHour = kind == QLatin1Char('h');
        i += run;
    }
    return out;
}

// Excel's General: up to 11 significant digits, then scientific notation.
QString formatGeneral(double value)
{
    if (value == std::floor(value) && std::abs(value) < 1e11)
        return QString::number(value, 'f', 0);
    QString text = QString::number(value, 'g', std::abs(value) >= 1e11 || std::abs(value) < 1e-9 ? 6 : 10);
    text.replace(QRegularExpression(QStringLiteral("e([+-])0*(\\d\\d)")), QStringLiteral("E\\1\\2"));
    return text;
}

} // namespace

QString builtInNumberFormat(int id)
{
    static const QHash<int, QString> formats{{1, "0"},
                                             {2, "0.00"},
                                             {3, "#,##0"},
                                             {4, "#,##0.00"},
                                             {9, "0%"},
                                             {10, "0.00%"},
                                             {11, "0.00E+00"},
                                             {14, "yyyy/m/d"},
                                             {15, "d-mmm-yy"},
                                             {16, "d-mmm"},
                                             {17, "mmm-yy"},
                                             {18, "h:mm AM/PM"},
                                             {19, "h:mm:ss AM/PM"},
                                             {20, "h:mm"},
                                             {21, "h:mm:ss"},
                                             {22, "yyyy/m/d h:mm"},
                                             {27, "yyyy\"年\"m\"月\""},
                                             {28, "m\"月\"d\"日\""},
                                             {29, "m\"月\"d\"日\""},
                                             {30, "m-d-yy"},
                                             {31, "yyyy\"年\"m\"月\"d\"日\""},
                                             {32, "h\"时\"mm\"分\""},
                                             {33, "h\"时\"mm\"分\"ss\"秒\""},
                                             {37, "#,##0"},
                                             {38, "#,##0"},
                                             {39, "#,##0.00"},
                                             {40, "#,##0.00"},
                                             {45, "mm:ss"},
                                             {46, "[h]:mm:ss"},
                                             {47, "mm:ss.0"},
                                             {48, "##0.0E+0"},
                                             {49, "@"},
                                             {57, "yyyy\"年\"m\"月\""},
                                             {58, "m\"月\"d\"日\""}};
    return formats.value(id, QStringLiteral("General"));
}

QString formatCellNumber(double value, const QString &formatCode, bool date1904)
{
    bool isDate = false;
    const QString section = firstSection(formatCode, &isDate);
    if (formatCode.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || section == QLatin1String("@")
        || section.isEmpty())
        return formatGeneral(value);
    if (isDate)
        return formatDate(value, section, date1904);
    // Digit placeholders: zeros pad (工号 000123), a comma groups thousands,
    // a percent sign scales; a literal around them stays.
    static const QRegularExpression digits(QStringLiteral("([#0,]*0[#0,]*|#[#,]*)(\\.(0+|#+))?(E[+-]0+)?"));
    const QRegularExpressionMatch m = digits.match(section);
    if (!m.hasMatch())
        return formatGeneral(value);
    const QString integer = m.captured(1), decimals = m.captured(3);
    const bool percent = section.contains(QLatin1Char('%'));
    const double shown = percent ? value * 100 : value;
    QString text;
    if (!m.captured(4).isEmpty()) {
        text = QString::number(shown, 'E', int(decimals.size()));
        text.replace(QRegularExpression(QStringLiteral("E([+-])0*(\\d\\d)")), QStringLiteral("E\\1\\2"));
    } else {
        text = QString::number(std::abs(shown), 'f', int(decimals.size()));
        const int minimum = int(integer.count(QLatin1Char('0')));
        QString whole = text.section(QLatin1Char('.'), 0, 0), fraction = text.section(QLatin1Char('.'), 1);
        if (whole == QLatin1String("0") && minimum == 0)
            whole.clear();
        while (whole.size() < minimum)
            whole.prepend(QLatin1Char('0'));
        if (integer.contains(QLatin1Char(',')))
            for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
                whole.insert(at, QLatin1Char(','));
        text =
            (shown < 0 && std::abs(shown) >= 0.5 * std::pow(10.0, -decimals.size()) ? QStringLiteral("-") : QString())
            + whole + (decimals.isEmpty() ? QString() : QLatin1Char('.') + fraction);
    }
    QString literal = section;
    literal.replace(m.capturedStart(0), m.capturedLength(0), text);
    return literal.remove(QLatin1Char('"'));
}

Worksheet readFirstWorksheet(const QByteArray &bytes, int maxRows, qint64 maxChars)
{
    Worksheet sheet;
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        sheet.status = Worksheet::Status::NotXlsx;
        return sheet;
    }
    const ZipArchive zip(bytes);
    WorkbookParts parts;
    QByteArray xmlBytes;
    if (!zip.isOpen() || !readWorkbook(zip, parts) || !zip.read(parts.firstSheet, xmlBytes))
        return sheet;

    // The non-empty cells, row by row in the order written (rows and cells
    // stand in their order in a sheet): (row, [(column, text)]).
    using Line = QList<std::pair<int, QString>>;
    QList<std::pair<int, Line>> cells;
    int row = 0, column = 0, lastColumn = 1;
    qint64 chars = 0;
    QXmlStreamReader xml(xmlBytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("row")) {
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            row = r > 0 ? r : row + 1;
            column = 0;
        } else if (xml.name() == QLatin1String("c")) {
            const int c = columnOf(xml.attributes().value(QLatin1String("r")));
            column = c > 0 ? c : column + 1;
            QString text = cellText(xml, parts);
            static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
            if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
                text.replace(lineEnd, QStringLiteral(" "));
            if (text.isEmpty())
                continue;
            if (cells.isEmpty() || cells.constLast().first != row)
                cells.append(std::make_pair(row, Line()));
            chars += text.size();
            lastColumn = qMax(lastColumn, column);
            cells.last().second.append({column, std::move(text)});
        }
    }
    if (xml.hasError())
        return sheet;
    sheet.status = Worksheet::Status::Ok;
    if (cells.isEmpty())
        return sheet;
    // Excel writes rows and cells in order; a sheet that does not is put in order, the first cell of a place kept.
    const auto byPlace = [](const auto &a, const auto &b) { return a.first < b.first; };
    std::stable_sort(cells.begin(), cells.end(), byPlace);
    for (auto &[r, line] : cells)
        std::stable_sort(line.begin(), line.end(), byPlace);
    const qint64 rowCount = qint64(cells.constLast().first) - cells.constFirst().first + 1;
    if (rowCount > maxRows) {
        sheet.status = Worksheet::Status::TooMany;
        return sheet;
    }
    if (chars + rowCount * (lastColumn - 1) > maxChars) {
        sheet.status = Worksheet::Status::TooLarge;
        return sheet;
    }
    sheet.rows.reserve(rowCount);
    int next = cells.constFirst().first;
    for (const auto &[r, line] : qAsConst(cells)) {
        if (r < next) // the same row again
            continue;
        for (; next < r; ++next) // empty rows between
            sheet.rows.append(QString(lastColumn - 1, QLatin1Char('\t')));
        QString text;
        int at = 1, written = 0;
        for (const auto &[c, cell] : line) {
            if (c <= written) // the same place again
                continue;
            text += QString(c - at, QLatin1Char('\t')) + cell;
            at = written = c;
        }
        sheet.rows.append(text + QString(lastColumn - at, QLatin1Char('\t')));
        next = r + 1;
    }
    return sheet;
}

} // namespace taviro
