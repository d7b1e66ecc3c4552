// bonus.txt going wrong under the real window: replaced by a folder or a
// named pipe, emptied, shortened or removed, either after Initialise (the draw
// goes on from the list as it was read) or before it (a clear message, and
// Initialise works once the file is put right). Nothing may hang.

#include "ui_test_support.h"

#include "draw/draw_messages.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

#include <sys/stat.h>

namespace {

// Far above anything a click takes; a real hang ends at the test's timeout.
constexpr qint64 kPromptMs = 5000;

const char *const kFaults[] = {"folder", "named pipe", "named pipe with a writer", "emptied", "shortened", "removed"};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    const QStringList m_names = numberedNames(8);
    std::unique_ptr<QFile> m_writer; // keeps a named pipe open for writing

    QString bonus() const { return QDir(f->folder.path()).filePath(QStringLiteral("bonus.txt")); }

    // Puts the fault in place of the candidate file.
    void applyFault(const QString &fault)
    {
        QVERIFY(QFile::remove(bonus()));
        if (fault == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(bonus()));
        } else if (fault.startsWith(QLatin1String("named pipe"))) {
            QCOMPARE(::mkfifo(QFile::encodeName(bonus()).constData(), 0600), 0);
            if (fault.endsWith(QLatin1String("writer"))) { // the data never ends
                m_writer = std::make_unique<QFile>(bonus());
                QVERIFY(m_writer->open(QIODevice::ReadWrite | QIODevice::Unbuffered));
                QVERIFY(m_writer->write(candidateBytes(m_names)) > 0);
            }
        } else if (fault != QLatin1String("removed")) {
            f->writeBonus(fault == QLatin1String("emptied") ? QByteArray() : candidateBytes(m_names.mid(0, 1)));
        }
    }

    void clickWithin(const char *name)
    {
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(f->button(name), Qt::LeftButton);
        QVERIFY2(clock.elapsed() < kPromptMs, name);
    }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        QVERIFY(f->show());
        f->writeBonus(candidateBytes(m_names));
    }

    void cleanup()
    {
        m_writer.reset();
        f.reset();
    }

    void faultAfterInitialise_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("whileRolling"); // otherwise just before the last group
        for (const char *fault : kFaults) {
            QTest::addRow("%s while rolling", fault) << QString::fromLatin1(fault) << true;
            QTest::addRow("%s before the last group", fault) << QString::fromLatin1(fault) << false;
        }
    }

    // Eight candidates in two rounds of three and a last group of two: every
    // name of the list as initialised is drawn once, and the only messages
    // are the last group's and the final "all drawn".
    void faultAfterInitialise()
    {
        QFETCH(QString, fault);
        QFETCH(bool, whileRolling);
        clickWithin("Cmd_Init");
        QVERIFY(f->session().isInitialised());
        f->control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("3"));
        auto *label = f->control<QLabel>(QStringLiteral("Lbl_Roll"));
        for (int round = 1; round <= 2; ++round) {
            clickWithin("Cmd_Start");
            if (round == 1 && whileRolling)
                applyFault(fault);
            QTRY_VERIFY(f->session().rollNames().contains(label->text()));
            clickWithin("Cmd_Start");
            QCOMPARE(label->text(), m_names[3 * round - 3]);
            f->waitForReveal();
        }
        if (!whileRolling)
            applyFault(fault);
        clickWithin("Cmd_Start");
        clickWithin("Cmd_Start");

        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, taviro::msg::lastGroup(QStringLiteral("|候选人07|候选人08")));
        QCOMPARE(f->boxes.shown[1].text, taviro::msg::exhausted());
        QCOMPARE(sortedWinners(f->session().log().text()), m_names);
    }

    void faultBeforeInitialise_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message"); // %1: the reason the system gives
        const QString unreadable = taviro::msg::unreadable(QStringLiteral("%1"));
        const QString message[] = {taviro::msg::missingFile(), unreadable, unreadable,
                                   taviro::msg::tooFew(), taviro::msg::tooFew(), taviro::msg::missingFile()};
        for (int i = 0; i < int(std::size(kFaults)); ++i)
            QTest::newRow(kFaults[i]) << QString::fromLatin1(kFaults[i]) << message[i];
    }

    // A clear message at once, and the window left uninitialised.
    void faultBeforeInitialise()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        applyFault(fault);
        clickWithin("Cmd_Init");

        QCOMPARE(f->boxes.shown.size(), 1);
        const QString text = f->boxes.shown[0].text;
        QCOMPARE(f->boxes.shown[0].caption, QStringLiteral("Taviro"));
        const QStringList parts = message.split(QStringLiteral("%1"));
        QVERIFY2(parts.size() == 1 ? text == message
                                   : text.startsWith(parts[0]) && text.endsWith(parts[1])
                                         && text.size() > parts[0].size() + parts[1].size(),
                 qPrintable(text));
        QVERIFY(f->button("Cmd_Init")->isEnabled() && !f->button("Cmd_Start")->isEnabled());
        QVERIFY(!f->session().isInitialised());

        m_writer.reset(); // put right, Initialise reads the list
        QFile::remove(bonus()) || QDir().rmdir(bonus());
        f->writeBonus(candidateBytes(m_names));
        clickWithin("Cmd_Init");
        QVERIFY(f->boxes.shown.size() == 1 && f->button("Cmd_Start")->isEnabled());
        QCOMPARE(f->session().candidates(), m_names);
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
