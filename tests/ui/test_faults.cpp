// bonus.txt going wrong under the real window: replaced by a folder, a named
// pipe or a socket, emptied, shortened or removed, either after Initialise
// (the draw goes on from the list as it was read) or before it (a message,
// and the user can correct the file and try again). Nothing may hang.

#include "ui_test_support.h"

#include "draw/draw_messages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using State = taviro::DrawSession::RoundState;

namespace {

// Far above anything these steps take, so it never flakes; a real hang is
// caught by the test's own timeout.
constexpr qint64 kPromptMs = 5000;

enum class Moment { AfterInitialise, WhileRolling, BeforeLastGroup };
enum class Outcome { Missing, TooFew, Unreadable };

} // namespace

Q_DECLARE_METATYPE(Moment)
Q_DECLARE_METATYPE(Outcome)

namespace {

// Each fault, and what Initialise makes of it.
const std::pair<const char *, Outcome> kFaults[] = {
    {"folder", Outcome::Missing},        {"named pipe", Outcome::Unreadable},
    {"named pipe with a writer", Outcome::Unreadable}, {"unix socket", Outcome::Unreadable},
    {"emptied", Outcome::TooFew},        {"shortened", Outcome::TooFew},
    {"removed", Outcome::Missing},
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    MainWindowFixture *f = nullptr;
    const QStringList m_names = numberedNames(11);
    int m_socket = -1;
    int m_writer = -1;

    QString bonus() const { return QDir(f->folder.path()).filePath(QStringLiteral("bonus.txt")); }
    QPushButton *button(const char *name) const { return f->control<QPushButton>(QLatin1String(name)); }
    QLabel *rollLabel() const { return f->control<QLabel>(QStringLiteral("Lbl_Roll")); }

    void closeHandles()
    {
        for (int *fd : {&m_socket, &m_writer}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

    // Puts the fault in place of the candidate file.
    void applyFault(const QString &fault)
    {
        const QByteArray path = QFile::encodeName(bonus());
        QVERIFY(QFile::remove(bonus()));
        if (fault == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(bonus()));
        } else if (fault.startsWith(QLatin1String("named pipe"))) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
            if (fault.endsWith(QLatin1String("writer"))) {
                // A writer that keeps the pipe open: a reader waiting for the
                // end of the data would wait for ever.
                m_writer = ::open(path.constData(), O_RDWR | O_NONBLOCK);
                QVERIFY(m_writer >= 0);
                const QByteArray list = candidateBytes(m_names);
                QCOMPARE(::write(m_writer, list.constData(), size_t(list.size())), ssize_t(list.size()));
            }
        } else if (fault == QLatin1String("unix socket")) {
            m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(m_socket >= 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(path.size()) < sizeof address.sun_path);
            qstrcpy(address.sun_path, path.constData());
            QCOMPARE(::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        } else if (fault == QLatin1String("emptied")) {
            f->writeBonus(QByteArray());
        } else if (fault == QLatin1String("shortened")) {
            f->writeBonus(candidateBytes(m_names.mid(0, 1)));
        } else {
            QCOMPARE(fault, QStringLiteral("removed"));
        }
    }

    void clickWithin(const char *name)
    {
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(button(name), Qt::LeftButton);
        QVERIFY2(clock.elapsed() < kPromptMs, name);
    }

private slots:
    void init()
    {
        f = new MainWindowFixture;
        QVERIFY(f->show());
        f->writeBonus(candidateBytes(m_names));
    }

    void cleanup()
    {
        closeHandles();
        delete f;
        f = nullptr;
    }

    void faultAfterInitialise_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Moment>("moment");
        const std::pair<const char *, Moment> moments[] = {{"after initialising", Moment::AfterInitialise},
                                                           {"while rolling", Moment::WhileRolling},
                                                           {"before the last group", Moment::BeforeLastGroup}};
        for (const auto &fault : kFaults)
            for (const auto &[when, moment] : moments)
                QTest::addRow("%s %s", fault.first, when) << QString::fromLatin1(fault.first) << moment;
    }

    // Eleven candidates in rounds of three, then a last group of two: every
    // name of the list as initialised is drawn once, and the only messages
    // are the last group's and the final "all drawn".
    void faultAfterInitialise()
    {
        QFETCH(QString, fault);
        QFETCH(Moment, moment);
        clickWithin("Cmd_Init");
        QVERIFY(f->session().isInitialised());
        f->control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("3"));
        const auto faultAt = [&](Moment now) {
            if (now == moment)
                applyFault(fault);
        };

        faultAt(Moment::AfterInitialise);
        if (QTest::currentTestFailed())
            return;
        for (int round = 1; round <= 3; ++round) {
            clickWithin("Cmd_Start");
            QCOMPARE(f->session().roundState(), State::Rolling);
            if (round == 1)
                faultAt(Moment::WhileRolling);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(QTest::qWaitFor([&] { return f->session().rollNames().contains(rollLabel()->text()); }));
            clickWithin("Cmd_Start");
            QVERIFY2(m_names.contains(rollLabel()->text()), qPrintable(rollLabel()->text()));
            QVERIFY(QTest::qWaitFor([&] { return button("Cmd_Start")->isEnabled(); }));
            QCOMPARE(f->session().roundState(), State::Ready);
            QCOMPARE(f->session().roundNumber(), 3 * round + 1);
        }
        QVERIFY(f->boxes.shown.isEmpty());

        faultAt(Moment::BeforeLastGroup);
        if (QTest::currentTestFailed())
            return;
        QStringList left;
        for (const QString &name : m_names)
            if (!f->session().log().text().contains(name))
                left.append(name);
        QCOMPARE(left.size(), 2);
        clickWithin("Cmd_Start");
        clickWithin("Cmd_Start");

        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, taviro::msg::lastGroup(QLatin1Char('|') + left.join(QLatin1Char('|'))));
        QCOMPARE(f->boxes.shown[1].text, taviro::msg::exhausted());
        const QStringList lines = f->session().log().text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2 + m_names.size());
        QStringList drawn;
        for (int i = 1; i <= m_names.size(); ++i) {
            const QString number = QStringLiteral("[%1]:\t").arg(i);
            QVERIFY2(lines[i + 1].startsWith(number), qPrintable(lines[i + 1]));
            drawn.append(lines[i + 1].mid(number.size()));
        }
        std::sort(drawn.begin(), drawn.end());
        QCOMPARE(drawn, m_names);
        QCOMPARE(f->control<QPlainTextEdit>(QStringLiteral("Txt_Results"))->toPlainText(),
                 lines.join(QLatin1Char('\n')));
        QVERIFY(!button("Cmd_Init")->isEnabled());
    }

    void faultBeforeInitialise_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Outcome>("outcome");
        for (const auto &[fault, outcome] : kFaults)
            QTest::newRow(fault) << QString::fromLatin1(fault) << outcome;
    }

    // A clear message at once, the window left uninitialised, and a second
    // click after the file is put right initialises the list.
    void faultBeforeInitialise()
    {
        QFETCH(QString, fault);
        QFETCH(Outcome, outcome);
        applyFault(fault);
        if (QTest::currentTestFailed())
            return;
        clickWithin("Cmd_Init");

        QCOMPARE(f->boxes.shown.size(), 1);
        const RecordedBox box = f->boxes.shown[0];
        QCOMPARE(box.caption, QStringLiteral("Taviro"));
        QVERIFY(!box.question);
        switch (outcome) {
        case Outcome::Missing:
            QCOMPARE(box.text, taviro::msg::missingFile());
            break;
        case Outcome::TooFew:
            QCOMPARE(box.text, taviro::msg::tooFew());
            break;
        case Outcome::Unreadable: {
            // The reason stands between the fixed parts of the message.
            const QStringList frame = taviro::msg::unreadable(QStringLiteral("\x01")).split(QLatin1Char('\x01'));
            QVERIFY2(box.text.startsWith(frame[0]) && box.text.endsWith(frame[1])
                         && box.text.size() > frame[0].size() + frame[1].size(),
                     qPrintable(box.text));
            break;
        }
        }
        QVERIFY(button("Cmd_Init")->isEnabled());
        QVERIFY(!button("Cmd_Start")->isEnabled());
        QCOMPARE(rollLabel()->text(), QStringLiteral("摇号"));
        QVERIFY(!f->session().isInitialised());
        QCOMPARE(f->session().remainingCount(), 0);

        closeHandles();
        QFile::remove(bonus());
        QDir().rmdir(bonus());
        QVERIFY(!QFileInfo::exists(bonus()));
        f->writeBonus(candidateBytes(m_names));
        clickWithin("Cmd_Init");
        QCOMPARE(f->boxes.shown.size(), 1);
        QCOMPARE(rollLabel()->text(), QStringLiteral("共11条数据！"));
        QCOMPARE(f->session().candidates(), m_names);
        QVERIFY(!button("Cmd_Init")->isEnabled());
        QVERIFY(button("Cmd_Start")->isEnabled());
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
