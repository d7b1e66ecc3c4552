// Code page 936 both ways: the same text and bytes on every system (this test also runs under Wine).
#include "draw/legacy_text.h"

#include <QtTest>

using namespace taviro;

class TestLegacyText : public QObject
{
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written"); // the bytes `text` encodes to
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ASCII, CR LF, NUL, DEL") << QByteArray("a\r\n\0~\x7F", 6) << QString("a\r\n") + QChar(0) + "~\x7F" << QByteArray("a\r\n\0~\x7F", 6);
        QTest::newRow("Chinese") << QByteArray("\xD6\xD0\xCE\xC4 \xF6\xCE") << "中文 鑫" << QByteArray("\xD6\xD0\xCE\xC4 \xF6\xCE");
        QTest::newRow("user-defined area") << QByteArray("\xAA\xA1\xFE\xFE") << "\uE000\uE4C5" << QByteArray("\xAA\xA1\xFE\xFE");
        QTest::newRow("0x80 is the euro sign") << QByteArray("\x80") << "€" << QByteArray("\x80");
        QTest::newRow("lone lead byte at the end of a line") << QByteArray("A\x81\r\n\xB0") << "A" + bad + "\r\n" + bad << QByteArray("A?\r\n?");
        QTest::newRow("lead + invalid trail: the trail read alone") << QByteArray("\xB0\x30\xB0\x7F\xB0\xFF") << bad + "0" + bad + "\x7F" + bad + bad << QByteArray("?0?\x7F??");
        QTest::newRow("0xFF") << QByteArray("\xFF" "A") << bad + "A" << QByteArray("?A");
        QTest::newRow("four-byte GB18030") << QByteArray("\x81\x30\x89\x38") << bad + "0" + bad + "8" << QByteArray("?0?8");
        // Text only: characters the code page lacks, one "?" each, never a look-alike.
        QTest::newRow("outside the code page") << QByteArray() << QString("À😀") + QChar(0xD800) + "x" << QByteArray("???x");
    }
    void rules()
    {
        QFETCH(QByteArray, bytes); QFETCH(QString, text); QFETCH(QByteArray, written);
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

QTEST_GUILESS_MAIN(TestLegacyText)
#include "test_legacy_text.moc"
