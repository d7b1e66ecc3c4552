// The results printed by the desktop's print action to a cups-pdf queue that
// is the CUPS server's default printer (needs root), read back from its PDF.
#include "support.h"

#include "draw/results_log.h"
#include "output/print_service.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace taviro;
using namespace taviro::testing;

class TestPrintCups : public QObject
{
    Q_OBJECT

private slots:
    void printsThroughTheQueue()
    {
        CupsPdfQueue queue;
        QVERIFY2(queue.start(), qPrintable(queue.error));
        ResultsLog log; // the worked example, then enough entries for several pages
        QString lines = "摇号结果";
        for (int i = 0; i < 153; ++i) {
            const QString name = i < 3 ? QStringList{"李四", "张三", "王五"}[i] : "候选人" + QString::number(i);
            log.append(name);
            lines += QString("[%1]:").arg(i + 1) + name;
        }
        QTemporaryDir folder;
        const QStringList before = CupsPdfQueue::folder().entryList({"*.pdf"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(printResults(log.text(), folder.path(), systemPrintService()).ok);
        const qint64 handed = clock.elapsed();
        QString pdf, jobs; // done once the job has left the queue and its PDF stands in the folder
        QVERIFY(QTest::qWaitFor([&] {
            for (const QString &name : CupsPdfQueue::folder().entryList({"*.pdf"}))
                if (!before.contains(name))
                    pdf = CupsPdfQueue::folder().filePath(name);
            return !pdf.isEmpty() && run("lpstat", {"-o"}, nullptr, &jobs) && jobs.trimmed().isEmpty();
        }, 120000));
        qInfo("handed over in %lld ms, PDF finished %lld ms after", handed, clock.elapsed());
        QString error;
        const QString text = printedText(pdf, &error);
        QFile::remove(pdf);
        QCOMPARE(text, lines);
        QVERIFY2(queue.stop(), qPrintable(queue.error));
    }
};

QTEST_MAIN(TestPrintCups)
#include "test_print_cups.moc"
