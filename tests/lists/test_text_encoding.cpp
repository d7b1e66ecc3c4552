// A list's encoding and SHA-256 as read from its bytes, and code page 936 both ways: alike on every system (and Wine).
#include "lists/candidate_list.h"
#include "lists/legacy_text.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QtTest>

using namespace taviro;
using namespace Qt::StringLiterals;
using Enc = ListEncoding;
Q_DECLARE_METATYPE(ListEncoding)

static QByteArray utf16(const QString &text, Enc order) // with its mark; a lone surrogate stays as it is
{
    const auto to = order == Enc::Utf16Le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE;
    return QStringEncoder(to, QStringEncoder::Flag::WriteBom).encode(text);
}

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
        QTest::newRow("GBK, CR LF, as ever")
            << "\xD5\xC5\xC8\xFD\r\n \xC0\xEE\xCB\xC4 \r\n"_ba << QStringList{"张三", " 李四 "} << Enc::Gbk << 0;
        QTest::newRow("ASCII, LF, blank line") << "Tom\n\nAnn\n"_ba << QStringList{"Tom", "", "Ann"} << Enc::Gbk << 0;
        QTest::newRow("CR LF, CR, LF mixed")
            << "A\r\nB\rC\nD\n\rE"_ba << QStringList{"A", "B", "C", "D", "", "E"} << Enc::Gbk << 0;
        QTest::newRow("UTF-8, LF (Notepad, Linux editors)")
            << (rare + "\n张三\n").toUtf8() << QStringList{"刘䶮 𠮷田 𪚥", "张三"} << Enc::Utf8 << 0;
        QTest::newRow("UTF-8 mark, not in the first name")
            << "\xEF\xBB\xBF" + "A\r\nB"_ba << QStringList{"A", "B"} << Enc::Utf8Bom << 0;
        QTest::newRow("UTF-16LE mark (Notepad's Unicode)")
            << utf16(rare + "\r\n张三\r\n", Enc::Utf16Le) << QStringList{rare, "张三"} << Enc::Utf16Le << 0;
        QTest::newRow("UTF-16BE, CR and LF")
            << utf16("A\rB\n\n李", Enc::Utf16Be) << QStringList{"A", "B", "", "李"} << Enc::Utf16Be << 0;
        // 郑伟 and 郑伟强 in GBK are also valid UTF-8 throughout (Armenian and Greek letters), so by the rule the
        // list is UTF-8. About 2 in 100 GBK names pass as UTF-8, so a GBK list of n names does with odds 0.02^n.
        QTest::newRow("GBK that is valid UTF-8")
            << "\xD6\xA3\xCE\xB0\n\xD6\xA3\xCE\xB0\xC7\xBF"_ba << QStringList{"֣ΰ", "֣ΰǿ"} << Enc::Utf8 << 0;
        QTest::newRow("GBK list, one line valid UTF-8")
            << "\xD6\xA3\xCE\xB0\r\n\xD5\xC5\xC8\xFD"_ba << QStringList{"郑伟", "张三"} << Enc::Gbk << 0;
        QTest::newRow("GBK, lead byte without trail") << "A\r\nB\xB0\x7F\r\nC"_ba << QStringList{} << Enc::Gbk << 2;
        QTest::newRow("binary: 0xFF") << "\x89PNG\r\n\x1A\n\xFF\x00"_ba << QStringList{} << Enc::Gbk << 3;
        QTest::newRow("UTF-8 mark, then a GBK line")
            << "\xEF\xBB\xBF" + QString("张三\r\n").toUtf8() + "\xC0\xEE\xCB\xC4" << QStringList{} << Enc::Utf8Bom << 2;
        QTest::newRow("UTF-8 names, a GBK line pasted in") << QString("张三\n李四\n").toUtf8() + "\xCD\xF5\xCE\xE5\n"
                                                           << QStringList{} << Enc::Utf8 << 3;
        // Only strict UTF-8 counts: 联通 in GBK would be UTF-8 with an overlong form, the classic Notepad misreading.
        QTest::newRow("联通: overlong UTF-8, so GBK")
            << "\xC1\xAA\xCD\xA8\r\n\xC1\xAA"_ba << QStringList{"联通", "联"} << Enc::Gbk << 0;
        QTest::newRow("UTF-8 mark, a surrogate")
            << "\xEF\xBB\xBFok\n\xED\xA0\x80"_ba << QStringList{} << Enc::Utf8Bom << 2;
        QTest::newRow("UTF-16, lone surrogate")
            << utf16(QString("A\n") + QChar(0xDC00), Enc::Utf16Le) << QStringList{} << Enc::Utf16Le << 2;
        QTest::newRow("UTF-16, odd byte at the end")
            << utf16("A\nB\n", Enc::Utf16Be) + "C" << QStringList{} << Enc::Utf16Be << 3;
    }
    void listEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, badLine);
        for (int chunk : {1, 3, 1 << 20}) { // line ends and characters cut at every place
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::ReadOnly));
            const CandidateFile file = readCandidates(buffer, chunk);
            QCOMPARE(file.status, badLine ? CandidateFile::Status::Undecodable : CandidateFile::Status::Ok);
            QTEST(file.lines, "lines");
            QTEST(file.encoding, "encoding");
            QCOMPARE(file.badLine, badLine);
            QCOMPARE(file.size, bytes.size()); // the fingerprint is sha256sum's: the mark counts
            QCOMPARE(file.sha256, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
        }
    }
    void rules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written"); // the bytes `text` encodes to
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ASCII, CR LF, NUL, DEL")
            << QByteArray("a\r\n\0~\x7F", 6) << QString("a\r\n") + QChar(0) + "~\x7F" << QByteArray("a\r\n\0~\x7F", 6);
        QTest::newRow("0x80 is the euro sign") << QByteArray("\x80") << "€" << QByteArray("\x80");
        QTest::newRow("lone lead byte at the end of a line")
            << QByteArray("A\x81\r\n\xB0") << "A" + bad + "\r\n" + bad << QByteArray("A?\r\n?");
        QTest::newRow("lead + invalid trail: the trail read alone")
            << QByteArray("\xB0\x30\xB0\x7F\xB0\xFF") << bad + "0" + bad + "\x7F" + bad + bad
            << QByteArray("?0?\x7F??");
        QTest::newRow("0xFF") << QByteArray("\xFF") + 'A' << bad + "A" << QByteArray("?A");
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
        if (!bytes.isEmpty())
            QCOMPARE(decodeLegacyText(bytes), text);
        QTEST(encodeLegacyText(text), "written");
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
