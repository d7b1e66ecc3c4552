#include "workbook.h"
#include "zip_archive.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace taviro {

namespace {

const QString kRelationships = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// Excel's own limits: a reference beyond them is in no sheet Excel writes.
constexpr int kExcelColumns = 16384; // XFD
constexpr int kExcelRows = 1048576;

// What reading one workbook may cost at most, whatever its bytes say. A zip
// bomb (a part of a few kilobytes that unpacks to gigabytes) or a sheet of
// a million empty cells would otherwise fill the memory or keep Initialise
// busy for long. QXmlStreamReader's time goes by the tokens it reads (tags
// and texts), so they are counted: a list of 10000 rows of 10 columns, all
// its texts different, takes two thirds of them and a tenth of the bytes.
constexpr qint64 kMaxUnpackedBytes = 48LL << 20; // all the parts read, unpacked
constexpr qint64 kMaxXmlTokens = 1500000;

// One part's XML, read within the workbook's budget of tokens. A DTD is
// refused: no spreadsheet writes one, and its entities could expand a few
// bytes into gigabytes or name a file outside the workbook.
class Xml : public QXmlStreamReader
{
public:
    Xml(const QByteArray &bytes, qint64 &budget)
        : QXmlStreamReader(bytes)
        , m_budget(budget)
    {}
    TokenType next()
    {
        const TokenType token = readNext();
        if (token == DTD || token == EntityReference)
            raiseError(QStringLiteral("a DTD or an entity"));
        else
            spend(1);
        return tokenType();
    }
    void spend(qint64 tokens)
    {
        m_budget -= tokens;
        if (m_budget < 0)
            raiseError(QStringLiteral("too much work"));
    }

private:
    qint64 &m_budget;
};

// The parts of a workbook, read within the budgets.
class Package
{
public:
    explicit Package(const QByteArray &bytes)
        : m_zip(bytes)
    {}
    bool isOpen() const { return m_zip.isOpen(); }
    bool contains(const QString &name) const { return m_zip.contains(name); }
    // False for a part that is missing, damaged or beyond what is left of the budget.
    bool read(const QString &name, QByteArray &out)
    {
        if (!m_zip.read(name, out, m_unpacked))
            return false;
        m_unpacked -= out.size();
        return true;
    }
    qint64 tokens = kMaxXmlTokens;

private:
    ZipArchive m_zip;
    qint64 m_unpacked = kMaxUnpackedBytes;
};

// Reads the text of the element the reader stands on, its nested runs
// included but phonetic guides (<rPh>) left out, and leaves the reader on
// its end tag.
QString elementText(Xml &xml)
{
    QString text;
    int depth = 1, skipping = 0;
    while (depth > 0 && !xml.atEnd()) {
        xml.next();
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

// "BC12" -> 55 (the column, from 1); 0 when there is no column, -1 for one beyond Excel's last.
int columnOf(QStringView reference)
{
    int column = 0;
    for (QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (column > kExcelColumns)
            return -1;
    }
    return column;
}

// (1, 16384) -> "XFD1".
QString cellName(int row, int column)
{
    QString letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.prepend(QChar('A' + (column - 1) % 26));
    return letters + QString::number(row);
}

// Joins a relationship's target to the folder of the part that names it;
// empty for a target that climbs above the package's root, which a damaged
// or crafted workbook could give.
QString partPath(const QString &target, const QString &folder)
{
    QStringList parts =
        target.startsWith(QLatin1Char('/')) ? QStringList() : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return QString();
            parts.removeLast();
        } else if (part != QLatin1String(".")) {
            parts.append(part);
        }
    }
    return parts.join(QLatin1Char('/'));
}

// A number format taken apart once, so that each cell only fills in its
// number: parsing and filling in take time in proportion to the code and
// to what is shown, however the code is made.
struct NumberFormat
{
    enum class Kind { General, Date, Digits };
    Kind kind = Kind::General;
    // A date or time: its fields and the literal text between them, in order.
    enum class Field { Text, Year, Month, Day, Hour, Minute, Second, AmPm };
    struct Part
    {
        Field field;
        int run; // how many letters: yy or yyyy, m, mm, mmm or mmmm ...
        QString text;
    };
    QList<Part> parts;
    bool twelveHours = false;
    // Digits: the literal text around them, and how they show.
    QString before, after;
    int minimumDigits = 0, decimals = 0;
    bool grouping = false, percent = false, scientific = false;
};

NumberFormat parseNumberFormat(const QString &code);
QString formatNumber(double value, const NumberFormat &format, bool date1904);

struct WorkbookParts
{
    QString firstSheet;
    bool date1904 = false;
    QStringList sharedStrings;
    QHash<int, QString> customFormats; // the workbook's own format codes, by their ids
    QList<int> cellFormats; // the format id of each cell style, by its index
    QHash<int, NumberFormat> parsed; // the formats in use, taken apart once each

    // The format of cell style `style`; `otherwise` (a format id) for a cell without one.
    const NumberFormat &format(int style, int otherwise)
    {
        const int id = cellFormats.value(style, otherwise);
        auto at = parsed.find(id);
        if (at == parsed.end())
            at = parsed.insert(id, parseNumberFormat(customFormats.value(id, builtInNumberFormat(id))));
        return *at;
    }
};

bool readWorkbook(Package &zip, WorkbookParts &parts)
{
    QByteArray bytes;
    if (!zip.read(QStringLiteral("xl/workbook.xml"), bytes))
        return false;
    QString sheetId;
    Xml workbook(bytes, zip.tokens);
    while (!workbook.atEnd()) {
        workbook.next();
        const auto attribute = [&](const char *name) { return workbook.attributes().value(QLatin1String(name)); };
        if (workbook.isStartElement() && workbook.name() == QLatin1String("workbookPr"))
            parts.date1904 =
                attribute("date1904") == QLatin1String("1") || attribute("date1904") == QLatin1String("true");
        if (workbook.isStartElement() && workbook.name() == QLatin1String("sheet") && sheetId.isEmpty())
            sheetId = workbook.attributes().value(kRelationships, QLatin1String("id")).toString();
    }
    if (workbook.hasError() || sheetId.isEmpty() || !zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"), bytes))
        return false;
    Xml relationships(bytes, zip.tokens);
    while (!relationships.atEnd()) {
        relationships.next();
        const QXmlStreamAttributes attributes = relationships.attributes();
        if (relationships.isStartElement() && relationships.name() == QLatin1String("Relationship")
            && attributes.value(QLatin1String("Id")) == sheetId)
            parts.firstSheet = attributes.value(QLatin1String("TargetMode")) == QLatin1String("External")
                ? QString()
                : partPath(attributes.value(QLatin1String("Target")).toString(), QStringLiteral("xl"));
    }
    if (relationships.hasError() || parts.firstSheet.isEmpty())
        return false;

    // Both parts may be missing (a workbook of numbers only, one without styles); a part there must be whole.
    const QString sharedStrings = QStringLiteral("xl/sharedStrings.xml"), styles = QStringLiteral("xl/styles.xml");
    if (zip.contains(sharedStrings)) {
        if (!zip.read(sharedStrings, bytes))
            return false;
        Xml xml(bytes, zip.tokens);
        while (!xml.atEnd()) {
            xml.next();
            // One string to an <si>, however many runs of formatting (<r>) it is made of.
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                parts.sharedStrings.append(elementText(xml));
        }
        if (xml.hasError())
            return false;
    }
    if (zip.contains(styles)) {
        if (!zip.read(styles, bytes))
            return false;
        bool inCellXfs = false;
        Xml xml(bytes, zip.tokens);
        while (!xml.atEnd()) {
            xml.next();
            const auto attribute = [&](const char *name) { return xml.attributes().value(QLatin1String(name)); };
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                parts.customFormats.insert(attribute("numFmtId").toInt(), attribute("formatCode").toString());
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellXfs = xml.isStartElement();
            else if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf"))
                parts.cellFormats.append(attribute("numFmtId").toInt());
        }
        if (xml.hasError())
            return false;
    }
    return true;
}

// A cell's number. QString::toDouble() goes through the locale's machinery
// and took longer than all the rest of reading a sheet of numbers; Excel
// writes plain numbers ("-1.5E-3"), which std::from_chars reads exactly.
double cellNumber(QStringView text, bool *ok)
{
    char ascii[64];
    qsizetype n = 0;
    for (; n < text.size() && n < qsizetype(sizeof ascii) && text.at(n).unicode() < 0x80; ++n)
        ascii[n] = char(text.at(n).unicode());
    double value = 0;
    if (n == text.size()) {
        const auto [end, error] = std::from_chars(ascii, ascii + n, value);
        if (error == std::errc() && end == ascii + n) {
            *ok = true;
            return value;
        }
    }
    return text.toDouble(ok); // blanks around it, a plus sign: as Qt reads them
}

// A cell's text as Excel shows it. A shared string that is not there
// makes the sheet damaged (the reader's error).
QString cellText(Xml &xml, WorkbookParts &parts)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView type = attributes.value(QLatin1String("t"));
    const int style = attributes.value(QLatin1String("s")).toInt();
    QString value, inlineText;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.next();
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
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("str") || type == QLatin1String("e") || value.isEmpty())
        return value;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= parts.sharedStrings.size()) {
            xml.raiseError(QStringLiteral("no such shared string"));
            return QString();
        }
        return parts.sharedStrings.at(index);
    }
    if (type == QLatin1String("d")) { // an ISO date, written by some programs
        const QDateTime at = QDateTime::fromString(value, Qt::ISODate);
        const double serial = QDate(1899, 12, 30).daysTo(at.date()) + at.time().msecsSinceStartOfDay() / 86400000.0;
        const NumberFormat &format = parts.format(style, 14 /* yyyy/m/d */);
        xml.spend(format.parts.size() / 8);
        return formatNumber(serial, format, false);
    }
    bool ok = false;
    const double number = cellNumber(value, &ok);
    if (!ok)
        return value;
    const NumberFormat &format = parts.format(style, 0 /* General */);
    xml.spend(format.parts.size() / 8); // eight parts of a date take about as long to fill in as a token to read
    return formatNumber(number, format, parts.date1904);
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

// "1.5e+011" -> "1.5E+11": an exponent as Excel writes it, with a capital E
// and two digits unless it needs more. (Done by hand: a regular expression
// made for every cell took most of the time of reading a sheet of numbers.)
QString excelExponent(QString text)
{
    const qsizetype e = text.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    if (e < 0 || e + 1 >= text.size() || (text.at(e + 1) != QLatin1Char('+') && text.at(e + 1) != QLatin1Char('-')))
        return text;
    qsizetype from = e + 2, end = from;
    while (end < text.size() && text.at(end).isDigit())
        ++end;
    if (end - from < 2)
        return text;
    text[e] = QLatin1Char('E');
    qsizetype zeros = 0;
    while (end - from - zeros > 2 && text.at(from + zeros) == QLatin1Char('0'))
        ++zeros;
    return text.remove(from, zeros);
}

// Excel's General: up to 11 significant digits, then scientific notation.
QString formatGeneral(double value)
{
    if (value == std::floor(value) && std::abs(value) < 1e11)
        return QString::number(value, 'f', 0);
    return excelExponent(QString::number(value, 'g', std::abs(value) >= 1e11 || std::abs(value) < 1e-9 ? 6 : 10));
}

// A date or time format's fields, as Excel reads its letters: m is the
// minute after an hour or before a colon or seconds, else the month.
void parseDate(const QString &section, NumberFormat &format)
{
    using Field = NumberFormat::Field;
    format.kind = NumberFormat::Kind::Date;
    format.twelveHours = section.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive);
    const auto literal = [&](QChar c) {
        if (format.parts.isEmpty() || format.parts.constLast().field != Field::Text)
            format.parts.append({Field::Text, 0, QString()});
        format.parts.last().text += c;
    };
    bool quoted = false, afterHour = false;
    for (qsizetype i = 0; i < section.size();) {
        const QChar c = section.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (quoted || !QStringLiteral("yYmMdDhHsSaA").contains(c)) {
            literal(c);
            ++i;
            continue;
        }
        int run = 1;
        while (i + run < section.size() && section.at(i + run).toLower() == c.toLower())
            ++run;
        const QChar kind = c.toLower();
        if (kind == QLatin1Char('a')) {
            format.parts.append({Field::AmPm, run, QString()});
            i += QStringView(section).mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0 ? 5 : run;
            continue;
        }
        qsizetype next = i + run;
        while (next < section.size() && section.at(next).isSpace())
            ++next;
        const bool minutes = kind == QLatin1Char('m')
            && (afterHour || (next < section.size() && section.at(next) == QLatin1Char(':'))
                || QStringView(section).mid(i + run, 3).contains(QLatin1Char('s'), Qt::CaseInsensitive));
        const Field field = kind == QLatin1Char('y') ? Field::Year
            : kind == QLatin1Char('d')               ? Field::Day
            : kind == QLatin1Char('h')               ? Field::Hour
            : kind == QLatin1Char('s')               ? Field::Second
            : minutes                                ? Field::Minute
                                                     : Field::Month;
        format.parts.append({field, run, QString()});
        afterHour = kind == QLatin1Char('h');
        i += run;
    }
}

// Where the digits stand, as the first match of
// ([#0,]*0[#0,]*|#[#,]*)(\.(0+|#+))?(E[+-]0+)? would find them, found in
// one pass: a regular expression takes time in the square of the length.
bool parseDigits(const QString &section, NumberFormat &format)
{
    const auto placeholder = [&](qsizetype i) {
        return i < section.size() && QStringView(u"#0,").contains(section.at(i));
    };
    const auto at = [&](qsizetype i, char c) { return i < section.size() && section.at(i) == QLatin1Char(c); };
    qsizetype start = -1, end = 0;
    for (qsizetype i = 0; i < section.size() && start < 0;) {
        if (!placeholder(i)) {
            ++i;
            continue;
        }
        qsizetype firstHash = -1;
        bool zero = false;
        for (end = i; placeholder(end); ++end) {
            zero = zero || at(end, '0');
            firstHash = firstHash < 0 && at(end, '#') ? end : firstHash;
        }
        start = zero ? i : firstHash;
        i = end;
    }
    if (start < 0)
        return false;
    const QStringView integer = QStringView(section).mid(start, end - start);
    format.minimumDigits = int(integer.count(QLatin1Char('0')));
    format.grouping = integer.contains(QLatin1Char(','));
    if (at(end, '.') && (at(end + 1, '0') || at(end + 1, '#'))) {
        const char digit = at(end + 1, '0') ? '0' : '#';
        for (++end; at(end, digit); ++end)
            ++format.decimals;
    }
    if (at(end, 'E') && (at(end + 1, '+') || at(end + 1, '-')) && at(end + 2, '0')) {
        format.scientific = true;
        for (end += 2; at(end, '0');)
            ++end;
    }
    format.kind = NumberFormat::Kind::Digits;
    format.percent = section.contains(QLatin1Char('%'));
    format.before = section.left(start).remove(QLatin1Char('"'));
    format.after = section.mid(end).remove(QLatin1Char('"'));
    return true;
}

NumberFormat parseNumberFormat(const QString &code)
{
    NumberFormat format;
    bool isDate = false;
    const QString section = firstSection(code, &isDate);
    if (code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || section == QLatin1String("@")
        || section.isEmpty())
        return format;
    if (isDate)
        parseDate(section, format);
    else
        parseDigits(section, format);
    return format;
}

QString formatDate(double serial, const NumberFormat &format, bool date1904)
{
    using Field = NumberFormat::Field;
    // Excel's dates end with 9999; outside them it shows no date (#####).
    if (!(serial >= 0 && serial < 2958466))
        return formatGeneral(serial);
    qint64 days = qint64(std::floor(serial));
    int seconds = int(std::lround((serial - days) * 86400));
    if (seconds == 86400) { // 23:59:59.5 and later show as 0:00 of the next day
        ++days;
        seconds = 0;
    }
    // Excel counts 1900-02-29, which never was: serials before it are a day off.
    const QDate day =
        (date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30)).addDays(days + (!date1904 && days < 60 ? 1 : 0));
    int year = 0, month = 0, dayOfMonth = 0;
    day.getDate(&year, &month, &dayOfMonth);
    const int hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;
    static const QLocale c = QLocale::c();
    QString out;
    const auto number = [&out](int v, int width) { // digit by digit: a string for each field took long
        char digits[12];
        int n = 0;
        do
            digits[n++] = char('0' + v % 10);
        while ((v /= 10) > 0);
        if (width > 1 && n < 2)
            digits[n++] = '0';
        while (n > 0)
            out += QLatin1Char(digits[--n]);
    };
    for (const NumberFormat::Part &part : format.parts) {
        const int run = part.run;
        const auto name = [run](QString (QLocale::*of)(int, QLocale::FormatType) const, int which) {
            return (c.*of)(which, run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        };
        switch (part.field) {
        case Field::Text:
            out += part.text;
            break;
        case Field::AmPm:
            out += hour < 12 ? QLatin1String("AM") : QLatin1String("PM");
            break;
        case Field::Year:
            run <= 2 ? number(year % 100, 2) : number(year, 1);
            break;
        case Field::Day:
            run <= 2 ? number(dayOfMonth, run) : void(out += name(&QLocale::dayName, day.dayOfWeek()));
            break;
        case Field::Hour:
            number(format.twelveHours ? (hour + 11) % 12 + 1 : hour, run);
            break;
        case Field::Minute:
            number(minute, run);
            break;
        case Field::Second:
            number(second, run);
            break;
        case Field::Month:
            run <= 2 ? number(month, run) : void(out += name(&QLocale::monthName, month));
            break;
        }
    }
    return out;
}

QString formatNumber(double value, const NumberFormat &format, bool date1904)
{
    if (format.kind == NumberFormat::Kind::General)
        return formatGeneral(value);
    if (format.kind == NumberFormat::Kind::Date)
        return formatDate(value, format, date1904);
    // Digit placeholders: zeros pad (工号 000123), a comma groups thousands,
    // a percent sign scales; a literal around them stays.
    const double shown = format.percent ? value * 100 : value;
    QString text;
    if (format.scientific) {
        text = excelExponent(QString::number(shown, 'E', format.decimals));
    } else {
        text = QString::number(std::abs(shown), 'f', format.decimals);
        QString whole = text.section(QLatin1Char('.'), 0, 0), fraction = text.section(QLatin1Char('.'), 1);
        if (whole == QLatin1String("0") && format.minimumDigits == 0)
            whole.clear();
        if (whole.size() < format.minimumDigits)
            whole.prepend(QString(format.minimumDigits - whole.size(), QLatin1Char('0')));
        if (format.grouping) {
            QString grouped;
            for (qsizetype i = 0; i < whole.size(); ++i) {
                if (i > 0 && (whole.size() - i) % 3 == 0)
                    grouped += QLatin1Char(',');
                grouped += whole.at(i);
            }
            whole = grouped;
        }
        text =
            (shown < 0 && std::abs(shown) >= 0.5 * std::pow(10.0, -format.decimals) ? QStringLiteral("-") : QString())
            + whole + (format.decimals == 0 ? QString() : QLatin1Char('.') + fraction);
    }
    return format.before + text + format.after;
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
    return formatNumber(value, parseNumberFormat(formatCode), date1904);
}

Worksheet readFirstWorksheet(const QByteArray &bytes, int maxRows, int maxColumns, qint64 maxChars)
{
    Worksheet sheet;
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        sheet.status = Worksheet::Status::NotXlsx;
        return sheet;
    }
    Package zip(bytes);
    WorkbookParts parts;
    QByteArray xmlBytes;
    if (!zip.isOpen() || !readWorkbook(zip, parts) || !zip.read(parts.firstSheet, xmlBytes))
        return sheet;

    // The non-empty cells in the order written, their texts one after the
    // other in `texts`. Once the sheet is too long, too wide or too large the
    // cells are no longer kept, but the farthest one is still looked for.
    struct Cell
    {
        int row, column;
        qsizetype from, size;
    };
    std::vector<Cell> cells;
    QString texts;
    int row = 0, column = 0, firstRow = kExcelRows, lastRow = 0, lastColumn = 1;
    QString lowest, widest; // the first cells seen in the last row and in the last column
    qint64 chars = 0;
    bool keeping = true;
    Xml xml(xmlBytes, zip.tokens);
    while (!xml.atEnd()) {
        if (xml.next() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("row")) {
            const QStringView reference = xml.attributes().value(QLatin1String("r"));
            bool ok = false;
            const int r = reference.toInt(&ok);
            if (!reference.isEmpty() && (!ok || r < 1 || r > kExcelRows))
                xml.raiseError(QStringLiteral("no such row"));
            row = reference.isEmpty() ? row + 1 : r;
            column = 0;
        } else if (xml.name() == QLatin1String("c")) {
            const int c = columnOf(xml.attributes().value(QLatin1String("r")));
            column = c > 0 ? c : column + 1;
            if (c < 0 || column > kExcelColumns || row < 1 || row > kExcelRows) {
                xml.raiseError(QStringLiteral("no such cell"));
                break;
            }
            QString text = cellText(xml, parts);
            static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
            if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
                text.replace(lineEnd, QStringLiteral(" "));
            if (text.isEmpty())
                continue;
            firstRow = qMin(firstRow, row);
            if (row > lastRow) {
                lastRow = row;
                lowest = cellName(row, column);
            }
            if (column > lastColumn) {
                lastColumn = column;
                widest = cellName(row, column);
            }
            keeping = keeping && lastRow - firstRow < maxRows && lastColumn <= maxColumns;
            if (!keeping)
                continue;
            chars += text.size();
            keeping = chars <= maxChars;
            cells.push_back({row, column, texts.size(), text.size()});
            texts += text;
        }
    }
    if (xml.hasError())
        return sheet;
    sheet.status = Worksheet::Status::Ok;
    if (lastRow == 0)
        return sheet;
    const qint64 rowCount = qint64(lastRow) - firstRow + 1;
    if (rowCount > maxRows) {
        sheet.status = Worksheet::Status::TooMany;
        sheet.farthestCell = lowest;
        return sheet;
    }
    if (lastColumn > maxColumns) {
        sheet.status = Worksheet::Status::TooWide;
        sheet.farthestCell = widest;
        sheet.columns = lastColumn;
        return sheet;
    }
    if (chars + rowCount * (lastColumn - 1) > maxChars) {
        sheet.status = Worksheet::Status::TooLarge;
        sheet.rowCount = int(rowCount);
        return sheet;
    }
    // Excel writes rows and cells in order; a sheet that does not is put in order, the first cell of a place kept.
    std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
        return a.row < b.row || (a.row == b.row && a.column < b.column);
    });
    sheet.rows.reserve(rowCount);
    int next = firstRow;
    for (size_t i = 0; i < cells.size();) {
        const int r = cells[i].row;
        for (; next < r; ++next) // empty rows between
            sheet.rows.append(QString(lastColumn - 1, QLatin1Char('\t')));
        QString text;
        int at = 1, written = 0;
        for (; i < cells.size() && cells[i].row == r; ++i) {
            const Cell &cell = cells[i];
            if (cell.column <= written) // the same place again
                continue;
            text.resize(text.size() + cell.column - at, QLatin1Char('\t'));
            text += QStringView(texts).mid(cell.from, cell.size);
            at = written = cell.column;
        }
        text.resize(text.size() + lastColumn - at, QLatin1Char('\t'));
        sheet.rows.append(text);
        next = r + 1;
    }
    return sheet;
}

} // namespace taviro
