// A whole draw of 10000 candidates through the real window, with the clock
// generator and the real timers: the count typed into the count box, rounds
// started and stopped by a click, Enter or Space, of varying size and with a
// last group; then Save, and the saved file read back.

#include "ui_test_support.h"

#include "draw/draw_messages.h"
#include "draw/draw_random.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QStringDecoder>

#include <sys/resource.h>

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void tenThousandCandidates()
    {
        constexpr int kCandidates = 10000;
        const int counts[] = {1, 7, 250, 33, 2, 120, 64, 400, 18, 97}; // about a hundred rounds in all
        QElapsedTimer wall;
        wall.start();
        // Distinct lines with Chinese text, blanks, tabs and Latin letters.
        const QString forms[] = {QStringLiteral("候选人%1"), QStringLiteral(" 张 三%1 "), QStringLiteral("\t李四·%1"),
                                 QStringLiteral("Wang Wu %1"), QStringLiteral("赵六（%1）部门")};
        QStringList names;
        for (int i = 1; i <= kCandidates; ++i)
            names.append(forms[i % 5].arg(i));

        taviro::ClockRandomiser clock(taviro::ClockRandom::shared());
        MainWindowFixture f(&clock);
        f.writeBonus(candidateBytes(names));
        QVERIFY(f.show());
        auto *label = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        auto *num = f.control<QLineEdit>(QStringLiteral("Txt_Num"));
        // Start or stop by a click, by Enter in the count box or by Space in the results box.
        const auto press = [&](int how) {
            if (how == 0)
                return QTest::mouseClick(f.button("Cmd_Start"), Qt::LeftButton);
            QWidget *target = how == 1 ? num : f.control(QStringLiteral("Txt_Results"));
            target->setFocus();
            QTest::keyClick(target, how == 1 ? Qt::Key_Return : Qt::Key_Space);
        };
        QTest::mouseClick(f.button("Cmd_Init"), Qt::LeftButton);
        QVERIFY(f.session().isInitialised());

        int remaining = kCandidates;
        int previous = 1; // the last-group test uses the previous round's count
        int rounds = 0;
        for (; remaining > previous; ++rounds) {
            const int count = qMin(counts[rounds % 10], remaining - 1); // keeps a last group
            num->setFocus();
            num->selectAll();
            QTest::keyClicks(num, QString::number(count));
            press(rounds % 3);
            QVERIFY(QTest::qWaitFor([&] { return label->text() != taviro::msg::rollPlaceholder(); }));
            QVERIFY2(f.session().rollNames().contains(label->text()), qPrintable(label->text()));
            press((rounds + 1) % 3);
            QVERIFY(f.session().roundPicks().contains(label->text())); // a winner shows at the stop
            f.waitForReveal();
            remaining -= count;
            previous = count;
            QCOMPARE(f.session().remainingCount(), remaining);
        }
        QVERIFY(f.boxes.shown.isEmpty());

        // The last group: everyone left is logged and named in the message.
        const qsizetype logBefore = f.session().log().text().size();
        press(0);
        QStringList lastGroup = f.session().log().text().mid(logBefore).split(QStringLiteral("\r\n"));
        QCOMPARE(lastGroup.size(), remaining + 1);
        for (QString &entry : lastGroup)
            entry = entry.section(QLatin1Char('\t'), 1);
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, taviro::msg::lastGroup(lastGroup.join(QLatin1Char('|'))));
        QTest::mouseClick(f.button("Cmd_Save"), Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 2);
        QCOMPARE(f.boxes.shown[1].text, taviro::savedMessage());

        QFile saved(taviro::resultsFilePath(f.folder.path()));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QStringDecoder gbk("GBK");
        QString text = gbk.decode(saved.readAll());
        QVERIFY(!gbk.hasError() && text.startsWith(QStringLiteral("摇号结果\r\n\r\n")) && text.endsWith("\r\n"));
        const QStringList winners = sortedWinners(text.chopped(2));
        QCOMPARE(QSet<QString>(winners.cbegin(), winners.cend()).size(), kCandidates);
        std::sort(names.begin(), names.end());
        QVERIFY(winners == names); // numbered 1..10000 in order, each candidate line exactly once

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("%d rounds and a last group of %d; %.1f s; peak resident memory %ld MiB", rounds, remaining,
              wall.elapsed() / 1000.0, usage.ru_maxrss / 1024);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"

