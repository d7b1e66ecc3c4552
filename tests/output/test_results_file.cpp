#include "recording_printer.h"

#include "draw/candidate_list.h"
#include "draw/results_log.h"
#include "output/print_service.h"
#include "output/results_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {

// GBK bytes taken from the code page's table, independent of the encoder.
const QByteArray kHeading = QByteArray::fromHex("d2a1bac5bde1b9fb"); // 摇号结果
const QByteArray kLiSi = QByteArray::fromHex("c0eecbc4");            // 李四
const QByteArray kZhangSan = QByteArray::fromHex("d5c5c8fd");        // 张三
const QByteArray kWangWu = QByteArray::fromHex("cdf5cee5");          // 王五
const QByteArray kHouXuanRen = QByteArray::fromHex("baf2d1a1c8cb");  // 候选人
const QByteArray kCrLf("\r\n");

QByteArray entryBytes(int number, const QByteArray &name)
{
    return kCrLf + '[' + QByteArray::number(number) + "]:\t" + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString logOf(const QStringList &names)
{
    ResultsLog log;
    for (const QString &name : names)
        log.append(name);
    return log.text();
}

} // namespace

class TestResultsFile : public QObject
{
    Q_OBJECT

private slots:
    void fileNameAndPath_data();
    void fileNameAndPath();
    void encodedBytes_data();
    void encodedBytes();
    void everyGbkCharacterSurvives();
    void savedFileBytes_data();
    void savedFileBytes();
    void savingTwiceKeepsOnlyTheSecondText();
    void tenThousandEntries();
    void newFileGetsOrdinaryPermissions();
    void replacedFileKeepsItsPermissions();
    void confirmationText();
    void failedSave_data();
    void failedSave();
    void failedWriteKeepsPreviousFile_data();
    void failedWriteKeepsPreviousFile();
    void printWritesTheSameBytesAsSave_data();
    void printWritesTheSameBytesAsSave();
    void printTwiceSendsTwoRequests();
    void failedPrintSendsNoRequest();
};

void TestResultsFile::fileNameAndPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain folder") << "/opt/taviro" << QString::fromUtf8("/opt/taviro/摇号结果.txt");
    QTest::newRow("trailing slash") << "/opt/taviro/" << QString::fromUtf8("/opt/taviro/摇号结果.txt");
    QTest::newRow("filesystem root") << "/" << QString::fromUtf8("/摇号结果.txt");
    QTest::newRow("Chinese folder") << QString::fromUtf8("/home/张三/摇号")
                                    << QString::fromUtf8("/home/张三/摇号/摇号结果.txt");
}

void TestResultsFile::fileNameAndPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(resultsFileName(), QString::fromUtf8("摇号结果.txt"));
    QCOMPARE(resultsFilePath(folder), path);
}

void TestResultsFile::encodedBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty text is one line end") << QString() << kCrLf;
    QTest::newRow("heading alone, 12 bytes") << ResultsLog::heading() << kHeading + kCrLf + kCrLf;
    QTest::newRow("replacement character becomes ?")
        << QString::fromUtf8("李\uFFFD四") << QByteArray::fromHex("c0ee") + '?' + QByteArray::fromHex("cbc4") + kCrLf;
    QTest::newRow("two replacement characters, two ?")
        << QString::fromUtf8("\uFFFD\uFFFD") << QByteArray("??") + kCrLf;
    QTest::newRow("character outside GBK becomes one ?")
        << QString::fromUtf8("a😀b") << QByteArray("a?b") + kCrLf;
    QTest::newRow("lone surrogate becomes ?")
        << (QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y")) << QByteArray("x?y") + kCrLf;
    QTest::newRow("question mark itself unchanged") << QStringLiteral("?") << QByteArray("?") + kCrLf;
    QTest::newRow("euro sign of code page 936") << QString::fromUtf8("€") << QByteArray("\x80") + kCrLf;
    QTest::newRow("blanks and tabs kept")
        << QStringLiteral("  a\t b  ") << QByteArray("  a\t b  ") + kCrLf;
    QTest::newRow("lone LF and lone CR inside a name kept")
        << QStringLiteral("a\nb\rc") << QByteArray("a\nb\rc") + kCrLf;
    QTest::newRow("text ending in a line end gets a second one")
        << QStringLiteral("a\r\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("NUL character kept") << QString(QChar(0)) << QByteArray(1, '\0') + kCrLf;
}

void TestResultsFile::encodedBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeResults(text).toHex(' '), bytes.toHex(' '));
}

// Every character the candidate file can hold, as the engine decodes it,
// must come back through the results file: no GBK character may fail to
// encode or turn into something else.
void TestResultsFile::everyGbkCharacterSurvives()
{
    int checked = 0;
    int replaced = 0;
    QStringList mismatches;
    auto check = [&](const QByteArray &original) {
        const QString decoded = decodeRecord(original);
        QByteArray encoded = encodeResults(decoded);
        QVERIFY(encoded.endsWith(kCrLf));
        encoded.chop(2);
        QString expected = decoded;
        expected.replace(QChar(QChar::ReplacementCharacter), QLatin1Char('?'));
        if (decoded.contains(QChar(QChar::ReplacementCharacter)))
            ++replaced;
        else if (encoded != original)
            mismatches << QString::fromLatin1(original.toHex());
        if (decodeResults(encoded) != expected)
            mismatches << QString::fromLatin1(original.toHex()) + QStringLiteral(" (text)");
        ++checked;
    };
    for (int b = 0; b < 256; ++b)
        check(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F)
                check(QByteArray{char(lead), char(trail)});
    QCOMPARE(checked, 256 + 126 * 190);
    // Some byte pairs are not GBK at all; they must be the exception.
    QVERIFY2(replaced < checked / 4, qPrintable(QString::number(replaced)));
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 20).join(QLatin1Char(' '))));
}

void TestResultsFile::savedFileBytes_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("before any draw: 12 bytes") << QStringList() << kHeading + kCrLf + kCrLf;
    QTest::newRow("two entries")
        << QStringList{QString::fromUtf8("李四"), QString::fromUtf8("张三")}
        << kHeading + kCrLf + entryBytes(1, kLiSi) + entryBytes(2, kZhangSan) + kCrLf;
    QTest::newRow("worked example, three entries")
        << QStringList{QString::fromUtf8("李四"), QString::fromUtf8("张三"), QString::fromUtf8("王五")}
        << kHeading + kCrLf + entryBytes(1, kLiSi) + entryBytes(2, kZhangSan) + entryBytes(3, kWangWu) + kCrLf;
    QTest::newRow("empty winner line ends at the tab")
        << QStringList{QString()} << kHeading + kCrLf + entryBytes(1, QByteArray()) + kCrLf;
    QTest::newRow("blanks around a name kept")
        << QStringList{QStringLiteral(" A B ")} << kHeading + kCrLf + entryBytes(1, " A B ") + kCrLf;
    QTest::newRow("undecodable byte of a name as ?")
        << QStringList{decodeRecord(QByteArray::fromHex("c0ee81"))}
        << kHeading + kCrLf + entryBytes(1, QByteArray::fromHex("c0ee") + '?') + kCrLf;
}

void TestResultsFile::savedFileBytes()
{
    QFETCH(QStringList, names);
    QFETCH(QByteArray, bytes);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    const SaveOutcome outcome = saveResults(logOf(names), folder.path());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(outcome.error.isEmpty());
    QCOMPARE(outcome.path, folder.filePath(QString::fromUtf8("摇号结果.txt")));
    QCOMPARE(readAll(outcome.path).toHex(' '), bytes.toHex(' '));
    // Nothing else is left in the folder (no temporary file, no backup).
    QCOMPARE(folderEntries(folder.path()), QStringList{QString::fromUtf8("摇号结果.txt")});
}

void TestResultsFile::savingTwiceKeepsOnlyTheSecondText()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString longer = logOf({QString::fromUtf8("李四"), QString::fromUtf8("张三"), QString::fromUtf8("王五")});
    QVERIFY(saveResults(longer, folder.path()).ok);
    QVERIFY(saveResults(ResultsLog::heading(), folder.path()).ok);
    QCOMPARE(readAll(resultsFilePath(folder.path())).toHex(' '), (kHeading + kCrLf + kCrLf).toHex(' '));
    QCOMPARE(folderEntries(folder.path()), QStringList{QString::fromUtf8("摇号结果.txt")});
}

void TestResultsFile::tenThousandEntries()
{
    ResultsLog log;
    QByteArray expected = kHeading + kCrLf;
    for (int i = 1; i <= 10000; ++i) {
        log.append(QString::fromUtf8("候选人") + QString::number(i));
        expected += entryBytes(i, kHouXuanRen + QByteArray::number(i));
    }
    expected += kCrLf;

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const SaveOutcome outcome = saveResults(log.text(), folder.path());
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QByteArray written = readAll(outcome.path);
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
    QVERIFY(written.endsWith(entryBytes(10000, kHouXuanRen + "10000") + kCrLf));
}

void TestResultsFile::newFileGetsOrdinaryPermissions()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A file created the ordinary way, under the same umask.
    const QString reference = folder.filePath(QStringLiteral("reference"));
    QVERIFY(writeFile(reference, "x"));
    QVERIFY(saveResults(ResultsLog::heading(), folder.path()).ok);
    QCOMPARE(QFileInfo(resultsFilePath(folder.path())).permissions(), QFileInfo(reference).permissions());
}

void TestResultsFile::replacedFileKeepsItsPermissions()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = resultsFilePath(folder.path());
    QVERIFY(writeFile(path, "old"));
    const QFileDevice::Permissions chosen =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QVERIFY(QFile::setPermissions(path, chosen));
    QVERIFY(saveResults(ResultsLog::heading(), folder.path()).ok);
    QCOMPARE(readAll(path).size(), 12);
    QCOMPARE(QFileInfo(path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser
                                                | QFileDevice::ExeUser),
             chosen);
}

void TestResultsFile::confirmationText()
{
    QCOMPARE(savedMessage(), QString::fromUtf8("已经保存到摇号软件目录下！文件名叫摇号结果.txt"));
}

void TestResultsFile::failedSave_data()
{
    QTest::addColumn<QString>("obstacle"); // what stands in the way
    QTest::newRow("a folder named like the results file") << "folder";
    QTest::newRow("the application folder is gone") << "missing";
    QTest::newRow("the application folder is a file") << "file";
}

void TestResultsFile::failedSave()
{
    QFETCH(QString, obstacle);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QString folder = root.path();
    if (obstacle == QLatin1String("folder")) {
        QVERIFY(QDir(folder).mkdir(resultsFileName()));
    } else if (obstacle == QLatin1String("missing")) {
        folder = root.filePath(QStringLiteral("gone"));
    } else {
        folder = root.filePath(QStringLiteral("plain"));
        QVERIFY(writeFile(folder, "not a folder"));
    }
    const QStringList before = folderEntries(root.path());

    const SaveOutcome outcome = saveResults(logOf({QString::fromUtf8("李四")}), folder);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(outcome.path, resultsFilePath(folder));

    const QString message = saveFailedMessage(outcome);
    QVERIFY(message.contains(QDir::toNativeSeparators(outcome.path)));
    QVERIFY(message.contains(outcome.error));
    QVERIFY(!message.contains(savedMessage()));
    // Nothing was created or left behind anywhere.
    QCOMPARE(folderEntries(root.path()), before);
    if (obstacle == QLatin1String("folder")) {
        QVERIFY(QFileInfo(outcome.path).isDir());
        QVERIFY(folderEntries(outcome.path).isEmpty());
        QVERIFY(outcome.error.contains(QString::fromUtf8("文件夹")));
    }
}

void TestResultsFile::failedWriteKeepsPreviousFile_data()
{
    QTest::addColumn<int>("written"); // bytes that reach the file before the failure; -1: all
    QTest::newRow("fails before the first byte") << 0;
    QTest::newRow("fails half way") << 7;
    QTest::newRow("fails after the last byte") << -1;
}

void TestResultsFile::failedWriteKeepsPreviousFile()
{
    QFETCH(int, written);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = resultsFilePath(folder.path());
    const QString previousLog = logOf({QString::fromUtf8("李四"), QString::fromUtf8("张三")});
    QVERIFY(saveResults(previousLog, folder.path()).ok);
    const QByteArray previous = readAll(path);
    QCOMPARE(previous, kHeading + kCrLf + entryBytes(1, kLiSi) + entryBytes(2, kZhangSan) + kCrLf);

    // The seam: part of the new text reaches the temporary file, then the
    // write reports a failure, as a full disk would.
    int calls = 0;
    auto failingWriter = [&](QIODevice &file, const QByteArray &bytes) {
        ++calls;
        const int count = written < 0 ? int(bytes.size()) : written;
        file.write(bytes.left(count));
        return false;
    };
    const SaveOutcome outcome = saveResults(logOf({QString::fromUtf8("王五")}), folder.path(), failingWriter);
    QCOMPARE(calls, 1);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(readAll(path).toHex(' '), previous.toHex(' '));
    QCOMPARE(folderEntries(folder.path()), QStringList{QString::fromUtf8("摇号结果.txt")});

    // The next ordinary save works again.
    QVERIFY(saveResults(ResultsLog::heading(), folder.path()).ok);
    QCOMPARE(readAll(path).size(), 12);
}

void TestResultsFile::printWritesTheSameBytesAsSave_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("before any draw") << QStringList();
    QTest::newRow("worked example")
        << QStringList{QString::fromUtf8("李四"), QString::fromUtf8("张三"), QString::fromUtf8("王五")};
    QTest::newRow("undecodable byte") << QStringList{decodeRecord(QByteArray::fromHex("ff81c0ee"))};
}

void TestResultsFile::printWritesTheSameBytesAsSave()
{
    QFETCH(QStringList, names);
    const QString text = logOf(names);
    QTemporaryDir saved;
    QTemporaryDir printed;
    QVERIFY(saved.isValid() && printed.isValid());
    QVERIFY(saveResults(text, saved.path()).ok);

    RecordingPrinter printer;
    const SaveOutcome outcome = printResults(text, printed.path(), printer);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QByteArray bytes = readAll(resultsFilePath(printed.path()));
    QCOMPARE(bytes.toHex(' '), readAll(resultsFilePath(saved.path())).toHex(' '));
    QCOMPARE(printer.requests.size(), 1);
    QCOMPARE(printer.requests[0].path, resultsFilePath(printed.path()));
    // The file was complete and closed when the printer was asked.
    QVERIFY(printer.requests[0].readable);
    QCOMPARE(printer.requests[0].bytes.toHex(' '), bytes.toHex(' '));
}

void TestResultsFile::printTwiceSendsTwoRequests()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    RecordingPrinter printer;
    const QString first = logOf({QString::fromUtf8("李四")});
    const QString second = logOf({QString::fromUtf8("李四"), QString::fromUtf8("张三")});
    QVERIFY(printResults(first, folder.path(), printer).ok);
    QVERIFY(printResults(second, folder.path(), printer).ok);
    QCOMPARE(printer.requests.size(), 2);
    QCOMPARE(printer.requests[0].bytes, kHeading + kCrLf + entryBytes(1, kLiSi) + kCrLf);
    QCOMPARE(printer.requests[1].bytes, kHeading + kCrLf + entryBytes(1, kLiSi) + entryBytes(2, kZhangSan) + kCrLf);
    QCOMPARE(readAll(resultsFilePath(folder.path())), printer.requests[1].bytes);
}

void TestResultsFile::failedPrintSendsNoRequest()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(resultsFileName()));
    RecordingPrinter printer;
    const SaveOutcome printed = printResults(ResultsLog::heading(), folder.path(), printer);
    const SaveOutcome saved = saveResults(ResultsLog::heading(), folder.path());
    QVERIFY(!printed.ok);
    QVERIFY(printer.requests.isEmpty());
    // The same failure, so the same message as a save.
    QCOMPARE(saveFailedMessage(printed), saveFailedMessage(saved));
}

QTEST_GUILESS_MAIN(TestResultsFile)
#include "test_results_file.moc"
