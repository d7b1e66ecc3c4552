// A list's encoding as recognised from its bytes, and code page 936 both ways: the same text and bytes on
// every system (this test also runs under Wine).
#include "draw/candidate_list.h"
#include "draw/legacy_text.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;
using Enc = ListEncoding;
Q_DECLARE_METATYPE(ListEncoding)
Q_DECLARE_METATYPE(CandidateFile::Status)

namespace {
QByteArray utf16(const QString &text, Enc order) // with its mark
{
    QByteArray bytes = order == Enc::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
    for (QChar unit : text) {
        const char high = char(unit.row()), low = char(unit.cell());
        bytes.append(order == Enc::Utf16Le ? low : high).append(order == Enc::Utf16Le ? high : low);
    }
    return bytes;
}
} // namespace

class TestTextEncoding : public QObject
{
    Q_OBJECT
private slots:
    // Each list's bytes and what is read: its candidates, or the first line that its encoding cannot decode.
    void listEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Enc>("encoding");
        QTest::addColumn<int>("badLine");
        const QString rare = "刘䶮 𠮷田 𪚥"; // CJK Extension A and B: no GBK code
        QTest::newRow("GBK, CR LF, as ever") << QByteArray("\xD5\xC5\xC8\xFD\r\n \xC0\xEE\xCB\xC4 \r\n")
                                             << QStringList{"张三", " 李四 "} << Enc::Gbk << 0;
        QTest::newRow("ASCII, LF, blank line")
            << QByteArray("Tom\n\nAnn\n") << QStringList{"Tom", "", "Ann"} << Enc::Gbk << 0;
        QTest::newRow("CR LF, CR, LF mixed")
            << QByteArray("A\r\nB\rC\nD\n\rE") << QStringList{"A", "B", "C", "D", "", "E"} << Enc::Gbk << 0;
        QTest::newRow("UTF-8, LF (Notepad, Linux editors)")
            << (rare + "\n张三\n").toUtf8() << QStringList{"刘䶮 𠮷田 𪚥", "张三"} << Enc::Utf8 << 0;
        QTest::newRow("UTF-8 mark, not in the first name")
            << "\xEF\xBB\xBF" + QByteArray("A\r\nB") << QStringList{"A", "B"} << Enc::Utf8Bom << 0;
        QTest::newRow("UTF-16LE mark (Notepad's Unicode)")
            << utf16(rare + "\r\n张三\r\n", Enc::Utf16Le) << QStringList{rare, "张三"} << Enc::Utf16Le << 0;
        QTest::newRow("UTF-16BE, CR and LF")
            << utf16("A\rB\n\n李", Enc::Utf16Be) << QStringList{"A", "B", "", "李"} << Enc::Utf16Be << 0;
        // 郑伟 and 郑伟强 in GBK are also valid UTF-8 throughout (Armenian and Greek letters), so by the rule the
        // list is UTF-8. About 2 in 100 GBK names pass as UTF-8, so a GBK list of n names does with odds 0.02^n.
        QTest::newRow("GBK that is valid UTF-8")
            << QByteArray("\xD6\xA3\xCE\xB0\n\xD6\xA3\xCE\xB0\xC7\xBF") << QStringList{"֣ΰ", "֣ΰǿ"} << Enc::Utf8 << 0;
        QTest::newRow("GBK list, one line valid UTF-8")
            << QByteArray("\xD6\xA3\xCE\xB0\r\n\xD5\xC5\xC8\xFD") << QStringList{"郑伟", "张三"} << Enc::Gbk << 0;
        QTest::newRow("GBK, lead byte without trail")
            << QByteArray("A\r\nB\xB0\x7F\r\nC") << QStringList{} << Enc::Gbk << 2;
        QTest::newRow("binary: 0xFF") << QByteArray("\x89PNG\r\n\x1A\n\xFF\x00") << QStringList{} << Enc::Gbk << 3;
        QTest::newRow("UTF-8 mark, then a GBK line")
            << "\xEF\xBB\xBF" + QString("张三\r\n").toUtf8() + "\xC0\xEE\xCB\xC4" << QStringList{} << Enc::Utf8Bom << 2;
        QTest::newRow("UTF-8 names, a GBK line pasted in") << QString("张三\n李四\n").toUtf8() + "\xCD\xF5\xCE\xE5\n"
                                                           << QStringList{} << Enc::Utf8 << 3;
        // Only strict UTF-8 counts: 联通 in GBK would be UTF-8 with an overlong form, the classic Notepad misreading.
        QTest::newRow("联通: overlong UTF-8, so GBK")
            << QByteArray("\xC1\xAA\xCD\xA8\r\n\xC1\xAA") << QStringList{"联通", "联"} << Enc::Gbk << 0;
        QTest::newRow("UTF-8 mark, a surrogate")
            << QByteArray("\xEF\xBB\xBFok\n\xED\xA0\x80") << QStringList{} << Enc::Utf8Bom << 2;
        QTest::newRow("UTF-16, lone surrogate")
            << utf16(QString("A\n") + QChar(0xDC00), Enc::Utf16Le) << QStringList{} << Enc::Utf16Le << 2;
        QTest::newRow("UTF-16, odd byte at the end")
            << utf16("A\nB\n", Enc::Utf16Be) + "C" << QStringList{} << Enc::Utf16Be << 3;
    }
    void listEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(Enc, encoding);
        QFETCH(int, badLine);
        for (int chunk : {1, 3, 1 << 20}) { // line ends and characters cut at every place
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            const CandidateFile file = readCandidates(buffer, chunk);
            QCOMPARE(file.status, badLine ? CandidateFile::Status::Undecodable : CandidateFile::Status::Ok);
            QCOMPARE(file.lines, lines);
            QCOMPARE(file.encoding, encoding);
            QCOMPARE(file.badLine, badLine);
        }
    }
    // Workbooks written by real spreadsheet writers (tests/data/make_workbooks.py) and CSV files, and the candidates
    // read: the first sheet's used rows as Excel pastes them, cells apart by tabs, numbers as Excel shows them.
    void spreadsheets_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // a CSV file's; empty for a workbook of tests/data
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<CandidateFile::Status>("status");
        const auto ok = CandidateFile::Status::Ok;
        QTest::newRow("shared strings, formats, a date, blanks, a second sheet")
            << "staff.xlsx" << QByteArray()
            << QStringList{"工号\t姓名\t部门",
                           "0012\t刘䶮\t研发部",
                           "13\t𠮷田\t",
                           "\t\t",
                           "\t王 小二\t3.5",
                           "000123\t2026-12-07\t25%",
                           "1,234,567.89\t2026/12/7 9:30\t第一行 第二行"}
            << ok;
        QTest::newRow("inline strings, a boolean")
            << "inline.xlsx" << QByteArray() << QStringList{"张三\t", "李四\tTRUE"} << ok;
        QTest::newRow("damaged") << "damaged.xlsx" << QByteArray() << QStringList{}
                                 << CandidateFile::Status::BadWorkbook;
        QTest::newRow("an old .xls renamed")
            << "old.xlsx" << QByteArray() << QStringList{} << CandidateFile::Status::BadWorkbook;
        QTest::newRow("CSV UTF-8 (Excel): mark, quotes, a comma and a line end inside")
            << "list.csv"
            << QByteArray("\xEF\xBB\xBF"
                          "0012,\"\xE5\x88\x98,\xE4\xB6\xAE\"\r\n13,\"a \"\"b\"\"\r\nc\"\r\n")
            << QStringList{"0012\t刘,䶮", "13\ta \"b\" c"} << ok;
        QTest::newRow("CSV (Excel, GBK), empty fields, a blank line")
            << "list.csv" << QByteArray("\xD5\xC5\xC8\xFD,,\r\n\r\nx,y") << QStringList{"张三\t\t", "", "x\ty"} << ok;
    }
    void spreadsheets()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(CandidateFile::Status, status);
        QTemporaryDir dir;
        QString path = QDir(TAVIRO_TEST_DATA "/workbooks").filePath(file);
        if (!bytes.isEmpty()) {
            QFile csv(path = dir.filePath(file));
            QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(bytes) == bytes.size());
        }
        const CandidateFile read = readCandidateFile(path);
        QCOMPARE(read.status, status);
        QCOMPARE(read.lines, lines);
        QCOMPARE(read.count, status == CandidateFile::Status::Ok ? lines.size() : 0);
    }
    void rules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written"); // the bytes `text` encodes to
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ASCII, CR LF, NUL, DEL")
            << QByteArray("a\r\n\0~\x7F", 6) << QString("a\r\n") + QChar(0) + "~\x7F" << QByteArray("a\r\n\0~\x7F", 6);
        QTest::newRow("Chinese") << QByteArray("\xD6\xD0\xCE\xC4 \xF6\xCE") << "中文 鑫"
                                 << QByteArray("\xD6\xD0\xCE\xC4 \xF6\xCE");
        QTest::newRow("user-defined area")
            << QByteArray("\xAA\xA1\xFE\xFE") << "\uE000\uE4C5" << QByteArray("\xAA\xA1\xFE\xFE");
        QTest::newRow("0x80 is the euro sign") << QByteArray("\x80") << "€" << QByteArray("\x80");
        QTest::newRow("lone lead byte at the end of a line")
            << QByteArray("A\x81\r\n\xB0") << "A" + bad + "\r\n" + bad << QByteArray("A?\r\n?");
        QTest::newRow("lead + invalid trail: the trail read alone")
            << QByteArray("\xB0\x30\xB0\x7F\xB0\xFF") << bad + "0" + bad + "\x7F" + bad + bad
            << QByteArray("?0?\x7F??");
        QTest::newRow("0xFF") << QByteArray("\xFF"
                                            "A")
                              << bad + "A" << QByteArray("?A");
        QTest::newRow("four-byte GB18030")
            << QByteArray("\x81\x30\x89\x38") << bad + "0" + bad + "8" << QByteArray("?0?8");
        // Text only: characters the code page lacks, one "?" each, never a look-alike.
        QTest::newRow("outside the code page")
            << QByteArray() << QString("À😀") + QChar(0xD800) + "x" << QByteArray("???x");
    }
    void rules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QByteArray, written);
        if (!bytes.isEmpty())
            QCOMPARE(decodeLegacyText(bytes), text);
        QCOMPARE(encodeLegacyText(text), written);
    }
    // Every double-byte code is one character that is written back as the same two bytes, and the
    // whole table is the one both ICU and Windows have (digest measured with each on its own).
    void everyDoubleByteCode()
    {
        quint64 digest = 1469598103934665603ULL; // FNV-1a over (code, character) pairs
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; trail += trail == 0x7E ? 2 : 1) { // 0x7F is no trail byte
                const QByteArray code = QByteArray(1, char(lead)) + char(trail);
                const QString text = decodeLegacyText(code);
                QVERIFY2(text.size() == 1 && text != QChar(0xFFFD) && encodeLegacyText(text) == code, code.toHex());
                digest = (digest ^ quint64(lead << 8 | trail)) * 1099511628211ULL;
                digest = (digest ^ text.at(0).unicode()) * 1099511628211ULL;
            }
        }
        QCOMPARE(digest, 0x9eaae84b096885d1ULL);
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "test_text_encoding.moc"
