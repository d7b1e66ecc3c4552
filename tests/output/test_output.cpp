// The results file's bytes and atomic replacement, the print service when
// there is none, and the printout read back as text.
#include "pdf_text.h"

#include "draw/candidate_list.h"
#include "draw/results_log.h"
#include "output/print_service.h"
#include "output/results_file.h"
#include "output/text_pages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {

// GBK bytes taken from the code page's table, independent of the encoder.
const QByteArray kHeading = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n"; // 摇号结果 and its line end
const QByteArray kCrLf("\r\n");

QByteArray entry(int number, const QByteArray &name)
{
    return kCrLf + '[' + QByteArray::number(number) + "]:\t" + name;
}

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

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedBytes_data();
    void savedBytes();
    void everyGbkCharacterComesBack();
    void fontHasChineseGlyphs();
    void everyCharacterIsPrinted_data();
    void everyCharacterIsPrinted();

private:
    QTemporaryDir m_socketDir;
};

void TestOutput::initTestCase()
{
    // No print service: the CUPS client is pointed at a socket nobody
    // listens on before anything has asked it for printers.
    QVERIFY(m_socketDir.isValid());
    qputenv("CUPS_SERVER", QFile::encodeName(m_socketDir.filePath(QStringLiteral("cups.sock"))));
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
}

void TestOutput::savedBytes_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("before any draw: 12 bytes") << logOf({}) << kHeading + kCrLf;
    QTest::newRow("two entries") << logOf({"李四", "张三"})
                                 << kHeading + entry(1, "\xc0\xee\xcb\xc4") + entry(2, "\xd5\xc5\xc8\xfd") + kCrLf;
    QTest::newRow("undecodable byte of bonus.txt (U+FFFD) as ?")
        << logOf({decodeRecord(QByteArray::fromHex("c0ee81"))}) << kHeading + entry(1, "\xc0\xee?") + kCrLf;
    QTest::newRow("character outside GBK as ?") << QStringLiteral("a😀b") << QByteArray("a?b") + kCrLf;
    QStringList many;
    QByteArray manyBytes = kHeading;
    for (int i = 1; i <= 10000; ++i) {
        many << QStringLiteral("候选人") + QString::number(i);
        manyBytes += entry(i, QByteArray::fromHex("baf2d1a1c8cb") + QByteArray::number(i));
    }
    QTest::newRow("10000 entries") << logOf(many) << manyBytes + kCrLf;
}

void TestOutput::savedBytes()
{
    QFETCH(QString, log);
    QFETCH(QByteArray, bytes);
    QTemporaryDir saved;
    QVERIFY(saved.isValid());

    // Saved over an earlier text: only the new one remains.
    QVERIFY(saveResults(logOf({"李四", "张三", "王五"}), saved.path()).ok);
    const SaveOutcome outcome = saveResults(log, saved.path());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(readAll(outcome.path), bytes);

    // A failure forced through the write seam once the whole new text is in
    // the temporary file, as a full disk at the flush: the file stays as it was.
    const auto failingWriter = [](QIODevice &file, const QByteArray &text) {
        file.write(text);
        return false;
    };
    const SaveOutcome failed = saveResults(logOf({"王五"}), saved.path(), failingWriter);
    QVERIFY(!failed.ok && !failed.error.isEmpty());
    QVERIFY(readAll(outcome.path) == bytes);
    QCOMPARE(QDir(saved.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("摇号结果.txt")});

    // Handed to the print service when there is none: back at once, nothing
    // shown, the file left as it is.
    QElapsedTimer clock;
    clock.start();
    systemPrintService().printFile(outcome.path);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(QGuiApplication::topLevelWindows().isEmpty());
    QVERIFY(readAll(outcome.path) == bytes);
}

// Every byte and byte pair a name in bonus.txt can hold comes back unchanged
// through the results file, unless the engine could not decode it.
void TestOutput::everyGbkCharacterComesBack()
{
    QList<QByteArray> records;
    for (int b = 0; b < 256; ++b)
        records << QByteArray(1, char(b));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F)
                records << QByteArray{char(lead), char(trail)};
    int undecodable = 0;
    QStringList changed; // hex of the records that came back different
    for (const QByteArray &record : records) {
        const QString name = decodeRecord(record);
        if (name.contains(QChar(QChar::ReplacementCharacter)))
            ++undecodable;
        else if (encodeResults(name) != record + kCrLf)
            changed << QString::fromLatin1(record.toHex());
    }
    QVERIFY2(changed.isEmpty(), qPrintable(changed.mid(0, 20).join(QLatin1Char(' '))));
    QVERIFY2(undecodable < records.size() / 4, qPrintable(QString::number(undecodable)));
}

void TestOutput::fontHasChineseGlyphs()
{
    const QStringList families = resultsPrintFont().families();
    QVERIFY2(!families.isEmpty()
                 && QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(families.constLast()),
             qPrintable(families.join(QLatin1Char(','))));
    const QFontMetrics metrics(resultsPrintFont());
    for (const QChar c : QStringLiteral("摇号结果李四张三王五！，"))
        QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
}

void TestOutput::everyCharacterIsPrinted_data()
{
    // Queued: turned into PostScript with pdftocairo, as a CUPS queue does,
    // and back into PDF with Ghostscript, as a PDF printer does.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("throughTheQueue");

    QTest::newRow("a line far wider than the page is wrapped, not cut")
        << logOf({QStringLiteral("很长的名字").repeated(80) + QStringLiteral("END")}) << false;
    QStringList full;
    for (int i = 1; i <= 10000; ++i)
        full << QStringLiteral("候选人") + QString::number(i);
    QTest::newRow("10000 entries over many pages") << logOf(full) << false;

    QTest::newRow("worked example, queued") << logOf({"李四", "张三", "王五"}) << true;
    QTest::newRow("Latin, accents and full-width forms, queued") << logOf({"Tom Smith", "José，李", "Ａ组 ０１号"}) << true;
    // More distinct characters than one font subset holds (256 glyphs).
    QStringList distinct;
    for (int i = 0; i < 60; ++i) {
        QString name;
        for (int k = 0; k < 10; ++k)
            name += QChar(0x4E00 + 29 * (i * 10 + k));
        distinct << name + QStringLiteral(" No.") + QString::number(i);
    }
    QTest::newRow("600 distinct characters, queued") << logOf(distinct) << true;
}

void TestOutput::everyCharacterIsPrinted()
{
    QFETCH(QString, text);
    QFETCH(bool, throughTheQueue);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString pdf = dir.filePath(QStringLiteral("job.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QVERIFY(paintTextPages(writer, text, resultsPrintFont()) > 0);
    }
    QString error;
    if (throughTheQueue) {
        const QString ps = dir.filePath(QStringLiteral("job.ps"));
        QVERIFY2(pdftext::run("pdftocairo", {"-ps", pdf, ps}, &error), qPrintable(error));
        pdf = dir.filePath(QStringLiteral("back.pdf"));
        QVERIFY2(pdftext::run("ps2pdf", {ps, pdf}, &error), qPrintable(error));
    }
    const QString printed = pdftext::printedText(pdf, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(printed, pdftext::squeezed(text));
}

QTEST_MAIN(TestOutput)
#include "test_output.moc"
