// Printing when there is no print service: nothing is shown, nothing blocks
// and the results file is written all the same.
#include "draw/results_log.h"
#include "output/print_service.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

class TestPrintOffline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printWithoutService_data();
    void printWithoutService();

private:
    QTemporaryDir m_socketDir;
};

void TestPrintOffline::initTestCase()
{
    // Point the CUPS client at a socket nobody listens on, before anything
    // has asked it for printers.
    QVERIFY(m_socketDir.isValid());
    qputenv("CUPS_SERVER", QFile::encodeName(m_socketDir.filePath(QStringLiteral("cups.sock"))));
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
}

void TestPrintOffline::printWithoutService_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("before any draw") << 0;
    QTest::newRow("a full draw") << 10000;
}

void TestPrintOffline::printWithoutService()
{
    QFETCH(int, entries);
    ResultsLog log;
    for (int i = 1; i <= entries; ++i)
        log.append(QString::fromUtf8("候选人") + QString::number(i));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    QElapsedTimer clock;
    clock.start();
    const SaveOutcome outcome = printResults(log.text(), folder.path(), systemPrintService());
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    QVERIFY(QGuiApplication::topLevelWindows().isEmpty());
    QFile file(resultsFilePath(folder.path()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), encodeResults(log.text()));
}

QTEST_MAIN(TestPrintOffline)
#include "test_print_offline.moc"
