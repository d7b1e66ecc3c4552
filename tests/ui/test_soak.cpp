// A whole draw of 10000 candidates through the real window, with the clock
// generator and the real timers: the count typed into the count box, the
// round started and stopped by click, Enter or Space, rolled by Timer1 and
// revealed by Timer2, in rounds of varying size and a last group; then Save,
// and the saved file read back.

#include "ui_test_support.h"

#include "draw/draw_messages.h"
#include "draw/draw_random.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStringDecoder>

#include <iterator>

#include <sys/resource.h>

using State = taviro::DrawSession::RoundState;

namespace {

constexpr int kCandidates = 10000;
// Counts typed into the count box in turn; about a hundred rounds in all.
constexpr int kCounts[] = {1, 7, 250, 33, 2, 120, 64, 400, 18, 97};

// Distinct lines with Chinese text, blanks, tabs and Latin letters.
QString candidate(int i)
{
    switch (i % 5) {
    case 0:
        return QStringLiteral("候选人%1").arg(i);
    case 1:
        return QStringLiteral(" 张 三%1 ").arg(i);
    case 2:
        return QStringLiteral("\t李四·%1").arg(i);
    case 3:
        return QStringLiteral("Wang Wu %1").arg(i);
    default:
        return QStringLiteral("赵六（%1）部门").arg(i);
    }
}

enum class Press { Click, EnterInCountBox, SpaceInResults };

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

    RecordingBoxes m_boxes;
    RecordingPrinter m_printer;
    taviro::ClockRandomiser m_randomiser{taviro::ClockRandom::shared()};
    QTemporaryDir m_folder;
    std::unique_ptr<taviro::FrmMain> m_window;

    template <typename T = QWidget>
    T *control(const char *name) const { return m_window->findChild<T *>(QLatin1String(name)); }
    taviro::DrawSession &session() const { return m_window->session(); }

    void press(Press how)
    {
        switch (how) {
        case Press::Click:
            QTest::mouseClick(control<QPushButton>("Cmd_Start"), Qt::LeftButton);
            break;
        case Press::EnterInCountBox:
            control("Txt_Num")->setFocus();
            QTest::keyClick(control("Txt_Num"), Qt::Key_Return);
            break;
        case Press::SpaceInResults:
            control("Txt_Results")->setFocus();
            QTest::keyClick(control("Txt_Results"), Qt::Key_Space);
            break;
        }
    }

private slots:
    void tenThousandCandidates()
    {
        QElapsedTimer wall;
        wall.start();
        QStringList names;
        for (int i = 1; i <= kCandidates; ++i)
            names.append(candidate(i));
        {
            QFile bonus(QDir(m_folder.path()).filePath(QStringLiteral("bonus.txt")));
            QVERIFY(bonus.open(QIODevice::WriteOnly));
            const QByteArray bytes = candidateBytes(names);
            QCOMPARE(bonus.write(bytes), qint64(bytes.size()));
        }
        m_window = std::make_unique<taviro::FrmMain>(
            taviro::FrmMainServices{&m_boxes, &m_printer, &m_randomiser, m_folder.path()});
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        auto *label = control<QLabel>("Lbl_Roll");
        auto *num = control<QLineEdit>("Txt_Num");
        auto *start = control<QPushButton>("Cmd_Start");

        QTest::mouseClick(control<QPushButton>("Cmd_Init"), Qt::LeftButton);
        QCOMPARE(session().roundState(), State::Ready);

        int remaining = kCandidates;
        int previous = 1; // the last-group test uses the previous round's count
        int rounds = 0;
        while (remaining > previous) {
            // Never all that is left, so the draw ends with a last group.
            const int count = qMin(kCounts[rounds % std::size(kCounts)], remaining - 1);
            num->setFocus();
            num->selectAll();
            QTest::keyClicks(num, QString::number(count));
            const qsizetype logBefore = session().log().text().size();
            const int firstNumber = session().roundNumber();

            press(Press(rounds % 3));
            QCOMPARE(session().roundState(), State::Rolling);
            QVERIFY(QTest::qWaitFor([&] { return label->text() != taviro::msg::rollPlaceholder(); }));
            QVERIFY2(session().rollNames().contains(label->text()), qPrintable(label->text()));
            press(Press((rounds + 1) % 3));
            QCOMPARE(session().roundState(), State::RevealPending);
            const QString atStop = label->text();
            QVERIFY(QTest::qWaitFor([&] { return start->isEnabled(); }));
            QCOMPARE(session().roundState(), State::Ready);

            // The round logged `count` entries, numbered on, and the name
            // shown at the stop is one of them.
            const QStringList entries = session().log().text().mid(logBefore).split(QStringLiteral("\r\n"));
            QCOMPARE(entries.size(), count + 1);
            QVERIFY(entries[0].isEmpty());
            QStringList winners;
            for (int k = 1; k <= count; ++k) {
                const QString number = QStringLiteral("[%1]:\t").arg(firstNumber + k - 1);
                QVERIFY2(entries[k].startsWith(number), qPrintable(entries[k]));
                winners.append(entries[k].mid(number.size()));
            }
            QVERIFY2(winners.contains(atStop), qPrintable(atStop));
            remaining -= count;
            previous = count;
            ++rounds;
            QCOMPARE(session().remainingCount(), remaining);
        }
        QVERIFY(m_boxes.shown.isEmpty());

        // The last group: everyone left is logged and named in the message.
        const qsizetype logBefore = session().log().text().size();
        press(Press::Click);
        QStringList lastGroup = session().log().text().mid(logBefore).split(QStringLiteral("\r\n"));
        QCOMPARE(lastGroup.size(), remaining + 1);
        lastGroup.removeFirst();
        for (QString &entry : lastGroup)
            entry = entry.section(QLatin1Char('\t'), 1);
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown[0].text, taviro::msg::lastGroup(QLatin1Char('|') + lastGroup.join(QLatin1Char('|'))));
        QCOMPARE(session().remainingCount(), 0);
        QCOMPARE(session().roundNumber(), kCandidates + 1);

        QTest::mouseClick(control<QPushButton>("Cmd_Save"), Qt::LeftButton);
        QCOMPARE(m_boxes.shown.size(), 2);
        QCOMPARE(m_boxes.shown[1].text, taviro::savedMessage());

        QFile saved(taviro::resultsFilePath(m_folder.path()));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QStringDecoder gbk("GBK");
        QString text = gbk.decode(saved.readAll());
        QVERIFY(!gbk.hasError());
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        text.chop(2);
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2 + kCandidates);
        QCOMPARE(lines[0], QStringLiteral("摇号结果"));
        QCOMPARE(lines[1], QString());
        QStringList drawn;
        for (int i = 1; i <= kCandidates; ++i) {
            const QString number = QStringLiteral("[%1]:\t").arg(i);
            QVERIFY2(lines[i + 1].startsWith(number), qPrintable(lines[i + 1]));
            drawn.append(lines[i + 1].mid(number.size()));
        }
        QCOMPARE(QSet<QString>(drawn.cbegin(), drawn.cend()).size(), kCandidates);
        std::sort(drawn.begin(), drawn.end());
        std::sort(names.begin(), names.end());
        QVERIFY(drawn == names); // each candidate line exactly once
        // The results box shows what was saved.
        QVERIFY(control<QPlainTextEdit>("Txt_Results")->toPlainText() == lines.join(QLatin1Char('\n')));

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("%d rounds and a last group of %d; %.1f s; peak resident memory %ld MiB", rounds, remaining,
              wall.elapsed() / 1000.0, usage.ru_maxrss / 1024);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
