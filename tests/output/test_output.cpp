// The results file's bytes and atomic replacement, the print service when
// there is none, and the printout's pages read back from a PDF.
#include "support.h"

#include "draw/candidate_list.h"
#include "draw/results_log.h"
#include "output/print_service.h"
#include "output/results_file.h"
#include "output/text_pages.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QtTest>

using namespace taviro;
using namespace taviro::testing;

namespace {

const QByteArray kHeading = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n"; // 摇号结果 in GBK, from the code page's table

QByteArray entry(int number, const QByteArray &name) { return "\r\n[" + QByteArray::number(number) + "]:\t" + name; }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString logOf(const QStringList &names)
{
    ResultsLog log;
    for (const QString &name : names)
        log.append(name);
    return log.text();
}

QStringList candidates(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << "候选人" + QString::number(i);
    return names;
}

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
    QTemporaryDir m_socketDir;

private slots:
    void initTestCase()
    {
        // No print service: the CUPS client is pointed at a socket nobody
        // listens on before anything has asked it for printers.
        qputenv("CUPS_SERVER", QFile::encodeName(m_socketDir.filePath("cups.sock")));
        QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    }

    void savedBytes_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("before any draw: 12 bytes") << logOf({}) << kHeading + "\r\n";
        QTest::newRow("worked example") << logOf({"李四", "张三", "王五"})
                                        << kHeading + entry(1, "\xc0\xee\xcb\xc4") + entry(2, "\xd5\xc5\xc8\xfd") + entry(3, "\xcd\xf5\xce\xe5") + "\r\n";
        QTest::newRow("undecodable byte of bonus.txt (U+FFFD) as ?")
            << logOf({decodeRecord(QByteArray::fromHex("c0ee81"))}) << kHeading + entry(1, "\xc0\xee?") + "\r\n";
        QTest::newRow("character outside GBK as ?") << QStringLiteral("a😀b") << QByteArray("a?b\r\n");
        QByteArray many = kHeading;
        for (int i = 1; i <= 10000; ++i)
            many += entry(i, QByteArray::fromHex("baf2d1a1c8cb") + QByteArray::number(i));
        QTest::newRow("10000 entries") << logOf(candidates(10000)) << many + "\r\n";
        // Every byte and byte pair a name in bonus.txt can hold comes back, unless undecodable.
        QString names;
        QByteArray pairs;
        for (int code = 0; code < 0xFF00; ++code) {
            const QByteArray record = code < 256 ? QByteArray(1, char(code)) : QByteArray{char(code >> 8), char(code)};
            const QString name = decodeRecord(record);
            if ((code < 256 || (code >> 8 >= 0x81 && (code & 0xFF) >= 0x40 && (code & 0xFF) != 0x7F))
                && !name.contains(QChar::ReplacementCharacter))
                names += name + "|", pairs += record + "|";
        }
        QTest::newRow("every GBK character") << names << pairs + "\r\n";
    }
    void savedBytes()
    {
        QFETCH(QString, log); QFETCH(QByteArray, bytes);
        QTemporaryDir saved;
        QVERIFY(saveResults(logOf({"李四", "张三", "王五"}), saved.path()).ok); // saved over: only the new text remains
        const SaveOutcome outcome = saveResults(log, saved.path());
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(readAll(outcome.path), bytes);

        // A failure forced once the whole new text is in the temporary file,
        // as a full disk at the flush: the file stays as it was.
        const auto failingWriter = [](QIODevice &file, const QByteArray &text) { file.write(text); return false; };
        const SaveOutcome failed = saveResults(logOf({"王五"}), saved.path(), failingWriter);
        QVERIFY(!failed.ok && !failed.error.isEmpty());
        QVERIFY(readAll(outcome.path) == bytes);
        QCOMPARE(QDir(saved.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"摇号结果.txt"});

        // Handed to the print service when there is none: back at once, nothing shown.
        QElapsedTimer clock;
        clock.start();
        systemPrintService().printFile(outcome.path);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(QGuiApplication::topLevelWindows().isEmpty());
    }

    // Printed on A4 without margins, read back with each word's box: all the
    // text, every word on its page, and every page but the last full.
    // Queued: to PostScript with pdftocairo, as a CUPS queue does, and back
    // to PDF with Ghostscript, as a PDF printer does.
    void pages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("queued");
        QTest::newRow("a line far wider than the page is wrapped") << logOf({QString("很长的名字").repeated(80) + "END"}) << false;
        QTest::newRow("10000 entries over many pages") << logOf(candidates(10000)) << false;
        QTest::newRow("Latin, accents and full-width forms, queued") << logOf({"Tom Smith", "José，李", "Ａ组 ０１号"}) << true;
        QStringList distinct; // more distinct characters than one font subset holds (256 glyphs)
        for (int i = 0; i < 60; ++i) {
            QString name;
            for (int k = 0; k < 10; ++k)
                name += QChar(0x4E00 + 29 * (i * 10 + k));
            distinct << name + " No." + QString::number(i);
        }
        QTest::newRow("600 distinct characters, queued") << logOf(distinct) << true;
    }
    void pages()
    {
        QFETCH(QString, text); QFETCH(bool, queued);
        QTemporaryDir dir;
        QString pdf = dir.filePath("job.pdf"), error;
        int painted = 0;
        {
            QPdfWriter writer(pdf);
            writer.setResolution(1200);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            painted = paintTextPages(writer, text, resultsPrintFont());
        }
        if (queued) {
            QVERIFY2(run("pdftocairo", {"-ps", pdf, dir.filePath("job.ps")}, &error), qPrintable(error));
            QVERIFY2(run("ps2pdf", {dir.filePath("job.ps"), pdf = dir.filePath("back.pdf")}, &error), qPrintable(error));
        }
        QCOMPARE(printedText(pdf, &error), squeezed(text));
        QString boxes;
        QVERIFY2(run("pdftotext", {"-bbox", pdf, "-"}, &error, &boxes), qPrintable(error));
        const QStringList pages = boxes.split("<page ").mid(1);
        QCOMPARE(pages.size(), painted);
        for (int i = 0; i < pages.size(); ++i) {
            const auto number = [&](const QString &s, const char *name, int from = 0) {
                return s.mid(s.indexOf(QLatin1String(name) + QLatin1String("=\""), from) + qstrlen(name) + 2).section('"', 0, 0).toDouble();
            };
            const double width = number(pages[i], "width"), height = number(pages[i], "height");
            double bottom = 0, rowHeight = 0;
            for (int at = pages[i].indexOf("<word"); at >= 0; at = pages[i].indexOf("<word", at + 1)) {
                const double yMax = number(pages[i], "yMax", at);
                QVERIFY2(yMax <= height + 1 && number(pages[i], "xMax", at) <= width + 1, qPrintable(QString("page %1").arg(i + 1)));
                bottom = qMax(bottom, yMax);
                rowHeight = qMax(rowHeight, yMax - number(pages[i], "yMin", at));
            }
            QVERIFY2(i == pages.size() - 1 || bottom > height - 2.5 * rowHeight, qPrintable(QString("page %1 ends at %2 of %3").arg(i + 1).arg(bottom).arg(height)));
        }
    }
};

QTEST_MAIN(TestOutput)
#include "test_output.moc"
