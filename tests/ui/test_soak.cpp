// A whole draw of 10000 candidates through the real window, with the clock
// generator and the real timers: rounds of varying size typed into the count
// box, started and stopped by a click, Enter or Space, a last group, then
// Save and the saved file read back.

#include "support.h"

#include "draw/draw_messages.h"
#include "draw/draw_random.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QStringDecoder>

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void tenThousandCandidates()
    {
        const int counts[] = {1, 7, 250, 33, 2, 120, 64, 400, 18, 97}; // about a hundred rounds in all
        QElapsedTimer wall;
        wall.start();
        const QString forms[] = {"候选人%1", " 张 三%1 ", "\t李四·%1", "Wang Wu %1", "赵六（%1）部门"};
        QStringList names;
        for (int i = 1; i <= 10000; ++i)
            names.append(forms[i % 5].arg(i));
        taviro::ClockRandomiser clock(taviro::ClockRandom::shared());
        MainWindowFixture f(&clock);
        f.initialise(names);
        auto *label = f.control<QLabel>("Lbl_Roll");
        auto *num = f.control<QLineEdit>("Txt_Num");
        const auto press = [&](int how) { // a click, Enter in the count box or Space in the results box
            if (how == 0)
                return QTest::mouseClick(f.button("Cmd_Start"), Qt::LeftButton);
            QWidget *target = how == 1 ? num : f.control("Txt_Results");
            target->setFocus();
            QTest::keyClick(target, how == 1 ? Qt::Key_Return : Qt::Key_Space);
        };
        int remaining = 10000, previous = 1, rounds = 0; // the last-group test uses the previous round's count
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
            QCOMPARE(f.session().remainingCount(), remaining -= previous = count);
        }
        press(0); // the last group
        QTest::mouseClick(f.button("Cmd_Save"), Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 2);
        QVERIFY(f.boxes.shown[0].text.count('|') == remaining && f.boxes.shown[1].text == taviro::savedMessage());
        QStringDecoder gbk("GBK");
        QString text = gbk.decode(readAll(taviro::resultsFilePath(f.folder.path())));
        QVERIFY(!gbk.hasError() && text.startsWith("摇号结果\r\n\r\n") && text.endsWith("\r\n"));
        std::sort(names.begin(), names.end());
        QVERIFY(sortedWinners(text.chopped(2)) == names); // numbered 1..10000 in order, each candidate line exactly once
        qInfo("%d rounds and a last group of %d; %.1f s", rounds, remaining, wall.elapsed() / 1000.0);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
