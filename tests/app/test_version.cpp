// The version record as the two windows write it.

#include "app/version.h"

#include <QTest>

class TestVersion : public QObject
{
    Q_OBJECT

private slots:
    void program()
    {
        QCOMPARE(taviro::mainWindowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
        QCOMPARE(taviro::aboutVersionLine(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
    }

    // Plain decimal numbers: no sign, no leading zeros, no padding.
    void numbers_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("line");
        QTest::newRow("zeros") << 0 << 0 << 0 << QStringLiteral("T V0.0.0     -  说明") << QStringLiteral("T V0.0.0-说明");
        QTest::newRow("two digits") << 10 << 20 << 305 << QStringLiteral("T V10.20.305     -  说明")
                                    << QStringLiteral("T V10.20.305-说明");
        QTest::newRow("largest") << 32767 << 1 << 9 << QStringLiteral("T V32767.1.9     -  说明")
                                 << QStringLiteral("T V32767.1.9-说明");
    }

    void numbers()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, title);
        QFETCH(QString, line);
        const taviro::VersionRecord v{"T", qint16(major), qint16(minor), qint16(revision), "说明"};
        QCOMPARE(taviro::mainWindowTitle(v), title);
        QCOMPARE(taviro::aboutVersionLine(v), line);
    }
};

QTEST_MAIN(TestVersion)
#include "test_version.moc"
