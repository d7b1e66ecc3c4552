#include "pdf_text.h"

#include "draw/results_log.h"
#include "output/text_pages.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {

struct Painted
{
    int pages = 0;
    QString pdf;
};

Painted paintToPdf(const QTemporaryDir &dir, const QString &text, const QString &name = QStringLiteral("out.pdf"))
{
    Painted result;
    result.pdf = dir.filePath(name);
    QPdfWriter writer(result.pdf);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    result.pages = paintTextPages(writer, text, resultsPrintFont());
    return result;
}

QStringList numberedEntries(int count, const QString &stem)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << stem + QString::number(i);
    return names;
}

} // namespace

class TestTextPages : public QObject
{
    Q_OBJECT

private slots:
    void fontHasChineseGlyphs();
    void linesReachThePage_data();
    void linesReachThePage();
    void noLineLostAtPageBreaks_data();
    void noLineLostAtPageBreaks();
    void tabAlignsTheNames();
    void textSurvivesThePrintersConversion_data();
    void textSurvivesThePrintersConversion();
};

void TestTextPages::fontHasChineseGlyphs()
{
    const QFont font = resultsPrintFont();
    const QStringList families = font.families();
    const QStringList chineseFamilies = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    QVERIFY2(!families.isEmpty(), "no font family chosen");
    // The last family supplies the Chinese text; any before it is Latin only.
    QVERIFY2(chineseFamilies.contains(families.constLast()), qPrintable(families.join(QLatin1Char(','))));
    QVERIFY(families.size() <= 2);
    const QFontMetrics metrics(font);
    const QString chinese = QString::fromUtf8("摇号结果李四张三王五已经保存到软件目录下！，");
    for (const QChar c : chinese)
        QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
    QCOMPARE(font.pointSizeF(), 12.0);
    QCOMPARE(resultsPrintFont(9).pointSizeF(), 9.0);
}

void TestTextPages::linesReachThePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines"); // what must appear, in this order

    ResultsLog example;
    for (const char *name : {"李四", "张三", "王五"})
        example.append(QString::fromUtf8(name));
    QTest::newRow("heading alone") << ResultsLog::heading() + QStringLiteral("\r\n")
                                   << QStringList{QString::fromUtf8("摇号结果")};
    QTest::newRow("worked example")
        << example.text() + QStringLiteral("\r\n")
        << QStringList{QString::fromUtf8("摇号结果"), QString::fromUtf8("[1]:李四"), QString::fromUtf8("[2]:张三"),
                       QString::fromUtf8("[3]:王五")};
    QTest::newRow("CR, LF and CR LF all end a line")
        << QStringLiteral("alpha\rbravo\ncharlie\r\ndelta")
        << QStringList{QStringLiteral("alpha"), QStringLiteral("bravo"), QStringLiteral("charlie"), QStringLiteral("delta")};
    QTest::newRow("empty lines between") << QStringLiteral("one\r\n\r\n\r\ntwo\r\n")
                                        << QStringList{QStringLiteral("one"), QStringLiteral("two")};
    const QString longName = QString::fromUtf8("很长的名字").repeated(80) + QStringLiteral("END");
    QTest::newRow("a line far wider than the page is wrapped, not cut")
        << QString::fromUtf8("摇号结果\r\n\r\n[1]:\t") + longName + QStringLiteral("\r\n")
        << QStringList{QString::fromUtf8("摇号结果"), QStringLiteral("[1]:") + longName};
    QTest::newRow("one word wider than the page")
        << QStringLiteral("x").repeated(600) + QStringLiteral("y\r\n")
        << QStringList{QStringLiteral("x").repeated(600) + QStringLiteral("y")};
}

void TestTextPages::linesReachThePage()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Painted painted = paintToPdf(dir, text);
    QCOMPARE(painted.pages, 1);
    QCOMPARE(pdftext::pageCount(painted.pdf), 1);
    QString error;
    const QString extracted = pdftext::extract(painted.pdf, 0, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString missing = pdftext::firstMissingInOrder(extracted, lines);
    QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral(" not in:\n") + extracted));
    // Nothing else was printed.
    QCOMPARE(pdftext::squeezed(extracted).size(), pdftext::squeezed(lines.join(QString())).size());
}

void TestTextPages::noLineLostAtPageBreaks_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("just over one page") << 60;
    QTest::newRow("several pages") << 300;
    QTest::newRow("a full draw of 10000") << 10000;
}

// Every line is on exactly one page, in order, and each page is full before
// the next begins.
void TestTextPages::noLineLostAtPageBreaks()
{
    QFETCH(int, entries);
    ResultsLog log;
    const QStringList names = numberedEntries(entries, QString::fromUtf8("候选人"));
    for (const QString &name : names)
        log.append(name);
    QStringList lines{QString::fromUtf8("摇号结果")};
    for (int i = 0; i < entries; ++i)
        lines << QLatin1Char('[') + QString::number(i + 1) + QStringLiteral("]:") + names[i];

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Painted painted = paintToPdf(dir, log.text() + QStringLiteral("\r\n"));
    QVERIFY(painted.pages > 1);
    QCOMPARE(pdftext::pageCount(painted.pdf), painted.pages);

    QString error;
    const QString all = pdftext::extract(painted.pdf, 0, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString missing = pdftext::firstMissingInOrder(all, lines);
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    QCOMPARE(pdftext::squeezed(all).size(), pdftext::squeezed(lines.join(QString())).size());

    if (entries > 1000)
        return; // page by page only for the shorter logs; the whole text was checked above
    int next = 0;
    int rowsPerPage = 0;
    for (int page = 1; page <= painted.pages; ++page) {
        const QString text = pdftext::extract(painted.pdf, page, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        int matched = 0;
        pdftext::firstMissingInOrder(text, lines.mid(next), &matched);
        QVERIFY2(matched > 0, qPrintable(QStringLiteral("page %1 starts with a gap").arg(page)));
        // Every full page holds as many rows; the first one also holds the
        // empty row after the heading.
        if (page == 1)
            rowsPerPage = matched + 1;
        else if (page < painted.pages)
            QCOMPARE(matched, rowsPerPage);
        else
            QVERIFY(matched <= rowsPerPage);
        next += matched;
    }
    QCOMPARE(next, lines.size());
}

void TestTextPages::tabAlignsTheNames()
{
    ResultsLog log;
    for (int i = 1; i <= 12; ++i)
        log.append(QString::fromUtf8("名") + QString::number(i));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Painted painted = paintToPdf(dir, log.text());
    QString error;
    const QStringList rows = pdftext::extract(painted.pdf, 1, &error).split(QLatin1Char('\n'));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // "[9]:" and "[10]:" differ in width; the tab puts both names in one column.
    int column = -1;
    int seen = 0;
    for (const QString &row : rows) {
        const qsizetype at = row.indexOf(QString::fromUtf8("名"));
        if (at < 0)
            continue;
        QVERIFY2(row.left(at).contains(QStringLiteral("]:")), qPrintable(row));
        QVERIFY2(row.mid(row.indexOf(QStringLiteral("]:")) + 2, at - row.indexOf(QStringLiteral("]:")) - 2).trimmed().isEmpty(),
                 qPrintable(row));
        if (column < 0)
            column = int(at);
        QCOMPARE(int(at), column);
        ++seen;
    }
    QCOMPARE(seen, 12);
}

void TestTextPages::textSurvivesThePrintersConversion_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("worked example")
        << QStringList{QString::fromUtf8("李四"), QString::fromUtf8("张三"), QString::fromUtf8("王五")};
    QTest::newRow("Latin, accents and full-width punctuation")
        << QStringList{QStringLiteral("Tom Smith"), QString::fromUtf8("José，李"), QString::fromUtf8("Ａ组 ０１号")};
    // More distinct characters than fit one font subset (256 glyphs).
    QStringList many;
    for (int i = 0; i < 60; ++i) {
        QString name;
        for (int k = 0; k < 10; ++k)
            name += QChar(0x4E00 + 29 * (i * 10 + k)); // all within the common CJK block
        many << name + QStringLiteral(" No.") + QString::number(i);
    }
    QTest::newRow("six hundred distinct characters") << many;
}

// A print job reaches a CUPS queue as PDF and is turned into PostScript by
// pdftocairo; a PDF printer turns that back into PDF with Ghostscript. Every
// line must keep its text through that chain.
void TestTextPages::textSurvivesThePrintersConversion()
{
    QFETCH(QStringList, names);
    ResultsLog log;
    QStringList lines{QString::fromUtf8("摇号结果")};
    for (const QString &name : names) {
        log.append(name);
        lines << QLatin1Char('[') + QString::number(lines.size()) + QStringLiteral("]:") + name;
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Painted painted = paintToPdf(dir, log.text() + QStringLiteral("\r\n"));
    const QString ps = dir.filePath(QStringLiteral("job.ps"));
    const QString back = dir.filePath(QStringLiteral("back.pdf"));
    QString error;
    QVERIFY2(pdftext::run(QStringLiteral("pdftocairo"), {QStringLiteral("-ps"), painted.pdf, ps}, &error),
             qPrintable(error));
    QVERIFY2(pdftext::run(QStringLiteral("ps2pdf"), {ps, back}, &error), qPrintable(error));
    const QString text = pdftext::extract(back, 0, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString missing = pdftext::firstMissingInOrder(text, lines);
    QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral(" not in:\n") + text));
}

QTEST_MAIN(TestTextPages)
#include "test_text_pages.moc"
