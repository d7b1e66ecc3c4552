// Printing through the real print service: a cups-pdf queue is the CUPS
// server's default printer and the printout is read back from its PDF.
#include "cups_queue.h"
#include "pdf_text.h"

#include "draw/results_log.h"
#include "output/print_service.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {

struct Log
{
    QString text;
    QStringList lines; // the printed lines that must appear, in order
};

Log makeLog(const QStringList &names)
{
    ResultsLog log;
    Log result;
    result.lines << QString::fromUtf8("摇号结果");
    for (const QString &name : names) {
        log.append(name);
        result.lines << QLatin1Char('[') + QString::number(result.lines.size()) + QStringLiteral("]:") + name;
    }
    result.text = log.text();
    return result;
}

QString checkPrintout(const QString &pdf, const QStringList &lines)
{
    QString error;
    const QString text = pdftext::extract(pdf, 0, &error);
    if (!error.isEmpty())
        return error;
    const QString missing = pdftext::firstMissingInOrder(text, lines);
    if (!missing.isEmpty())
        return missing + QStringLiteral(" is missing from the printout:\n") + text;
    if (pdftext::squeezed(text) != pdftext::squeezed(lines.join(QString())))
        return QStringLiteral("the printout holds more than the results:\n") + text;
    return QString();
}

} // namespace

class TestPrintCups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void printsEveryLine_data();
    void printsEveryLine();
    void printingTwiceGivesTwoPrintouts();

private:
    CupsPdfQueue m_queue;
    QStringList m_printouts; // removed after each test
};

void TestPrintCups::initTestCase()
{
    QString error;
    QVERIFY2(m_queue.start(&error), qPrintable(error));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    QVERIFY2(!printer.isNull(), "the queue is not the default printer");
    QCOMPARE(printer.printerName(), QStringLiteral("TaviroPDF"));
}

void TestPrintCups::cleanupTestCase()
{
    QString error;
    QVERIFY2(m_queue.stop(&error), qPrintable(error));
}

void TestPrintCups::cleanup()
{
    CupsPdfQueue::removeAll(m_printouts);
    m_printouts.clear();
}

void TestPrintCups::printsEveryLine_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("before any draw: the heading alone") << QStringList();
    QTest::newRow("worked example")
        << QStringList{QString::fromUtf8("李四"), QString::fromUtf8("张三"), QString::fromUtf8("王五")};
    QStringList many;
    for (int i = 1; i <= 150; ++i)
        many << QString::fromUtf8("候选人") + QChar(0x4E00 + 97 * i) + QString::number(i);
    QTest::newRow("several pages") << many;
    QStringList full;
    for (int i = 1; i <= 10000; ++i)
        full << QString::fromUtf8("候选人") + QString::number(i);
    QTest::newRow("a full draw of 10000") << full;
    QTest::newRow("blanks, Latin and an undecodable byte")
        << QStringList{QStringLiteral("  Tom  "), QString::fromUtf8("王\uFFFD五"), QString()};
}

void TestPrintCups::printsEveryLine()
{
    QFETCH(QStringList, names);
    Log log = makeLog(names);
    for (QString &line : log.lines)
        line.replace(QChar(QChar::ReplacementCharacter), QLatin1Char('?'));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QSet<QString> before = CupsPdfQueue::pdfs();

    QElapsedTimer clock;
    clock.start();
    const SaveOutcome outcome = printResults(log.text, folder.path(), systemPrintService());
    const qint64 handedOver = clock.elapsed();
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    // Nothing was shown: no dialog, no window.
    QVERIFY(QGuiApplication::topLevelWindows().isEmpty());

    m_printouts = CupsPdfQueue::waitForNewPdfs(before, 1);
    const qint64 printed = clock.elapsed();
    QCOMPARE(m_printouts.size(), 1);
    const QString problem = checkPrintout(m_printouts.constFirst(), log.lines);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    qInfo("%s: handed to CUPS after %lld ms, PDF finished after %lld ms", QTest::currentDataTag(), handedOver,
          printed);
}

void TestPrintCups::printingTwiceGivesTwoPrintouts()
{
    const Log first = makeLog({QString::fromUtf8("李四")});
    const Log second = makeLog({QString::fromUtf8("李四"), QString::fromUtf8("张三")});
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QSet<QString> before = CupsPdfQueue::pdfs();
    QVERIFY(printResults(first.text, folder.path(), systemPrintService()).ok);
    QVERIFY(printResults(second.text, folder.path(), systemPrintService()).ok);

    m_printouts = CupsPdfQueue::waitForNewPdfs(before, 2);
    QCOMPARE(m_printouts.size(), 2);
    QString problem = checkPrintout(m_printouts[0], first.lines);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = checkPrintout(m_printouts[1], second.lines);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_MAIN(TestPrintCups)
#include "test_print_cups.moc"
