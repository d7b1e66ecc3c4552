// The Print button of the real window, after a scripted draw, printing to a
// cups-pdf queue that is the CUPS server's default printer.
#include "cups_queue.h"
#include "pdf_text.h"
#include "window_harness.h"

#include "output/print_service.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>

using namespace taviro;

class TestPrintWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void printButtonReachesThePrinter();

private:
    CupsPdfQueue m_queue;
    QStringList m_printouts;
};

void TestPrintWindow::initTestCase()
{
    QString error;
    QVERIFY2(m_queue.start(&error), qPrintable(error));
}

void TestPrintWindow::cleanupTestCase()
{
    QString error;
    QVERIFY2(m_queue.stop(&error), qPrintable(error));
}

void TestPrintWindow::cleanup()
{
    CupsPdfQueue::removeAll(m_printouts);
    m_printouts.clear();
}

void TestPrintWindow::printButtonReachesThePrinter()
{
    WindowHarness h(systemPrintService());
    QVERIFY(h.ready());
    QVERIFY(h.drawWorkedExample());
    const QStringList lines{QString::fromUtf8("摇号结果"), QString::fromUtf8("[1]:李四"), QString::fromUtf8("[2]:张三"),
                            QString::fromUtf8("[3]:王五")};
    const DrawSnapshot before = h.snapshot();

    // Several presses, each timed from the click to the finished PDF.
    constexpr int kPresses = 5;
    QList<qint64> times;
    for (int press = 0; press < kPresses; ++press) {
        const QSet<QString> existing = CupsPdfQueue::pdfs();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(h.button("Cmd_Print"), Qt::LeftButton);
        const qint64 clickReturned = clock.elapsed();
        const QStringList printouts = CupsPdfQueue::waitForNewPdfs(existing, 1);
        times << clock.elapsed();
        m_printouts << printouts;
        QCOMPARE(printouts.size(), 1);

        QString error;
        const QString text = pdftext::extract(printouts.constFirst(), 0, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QString missing = pdftext::firstMissingInOrder(text, lines);
        QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral(" is missing from:\n") + text));
        QCOMPARE(pdftext::squeezed(text), pdftext::squeezed(lines.join(QString())));
        qInfo("press %d: click handled in %lld ms, PDF finished %lld ms after the click", press + 1, clickReturned,
              times.constLast());
    }
    // Print shows nothing and leaves the draw alone.
    QVERIFY(h.boxes.boxes.isEmpty());
    QVERIFY(h.snapshot() == before);

    std::sort(times.begin(), times.end());
    qInfo("click to finished PDF over %d presses: min %lld ms, median %lld ms, max %lld ms", kPresses,
          times.constFirst(), times[kPresses / 2], times.constLast());
}

QTEST_MAIN(TestPrintWindow)
#include "test_print_window.moc"
