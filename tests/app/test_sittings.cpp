// A draw over more than one sitting, through the window: carried on after the program was killed (its window gone
// without saving), and a second sitting that leaves the first one's winners out; each checked by --verify.
#include "app/verify.h"
#include "draw/seeded_randomiser.h"
#include "main_window_fixture.h"

#include <QCryptographicHash>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace taviro;

namespace {
const QString kSeed = QStringLiteral("07 23 41");

// One run of the program in `folder` with a public seed, its boxes answering Yes as `replies` say.
struct Run
{
    RecordingBoxes boxes;
    RecordingPrinter printer;
    SeededRandomiser randomiser;
    FrmMain window;
    Run(const QString &folder, QList<bool> replies = {}, const QStringList &exclude = {})
        : window({&boxes, &printer, &randomiser, folder, {}, DrawSeed::publicText(kSeed), {}, exclude})
    {
        boxes.replies = replies;
    }
    DrawSession &session() { return window.session(); }
    QPushButton *button(const char *name) { return window.findChild<QPushButton *>(name); }
    void init() { button("Cmd_Init")->click(); }
    // Each count drawn as one round: started and stopped, or closed by the last group.
    void draw(const QStringList &counts)
    {
        for (const QString &count : counts) {
            window.findChild<QLineEdit *>("Txt_Num")->setText(count);
            button("Cmd_Start")->click();
            if (window.session().roundState() == DrawSession::RoundState::Rolling) {
                button("Cmd_Start")->click();
                QVERIFY(QTest::qWaitFor([this] { return button("Cmd_Start")->isEnabled(); }));
            }
        }
    }
    void save() { button("Cmd_Save")->click(); }
};

// The workbook's SHA-256 goes too: the workbook holds the times.
QByteArray withoutTimes(QByteArray record)
{
    return QString::fromUtf8(record)
        .replace(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d|工作簿SHA-256\t\\w+"), "T")
        .toUtf8();
}

QString verified(const QString &folder) { return verifyRecord(QDir(folder).filePath("摇号记录.txt")).sentence; }
} // namespace

class TestSittings : public QObject
{
    Q_OBJECT

private slots:
    // Rounds drawn, the program killed, started again and Initialise clicked: the question, answered Yes, carries
    // the draw on; saved, its results and record are those of the same draw never killed, and it checks out.
    void killed_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("changed"); // the list edited before the restart
        QTest::addColumn<QString>("said"); // the first box at the restart's Initialise
        // An earlier run of the same list killed after one round, and not carried on, comes first: the newest is
        // offered. Two names are left out as earlier winners, in both draws.
        QTest::newRow("after a round") << QStringList{"3", "2"} << QStringList{"4", "5"} << false
                                       << "上次的摇号在第2轮后中断（已抽出5人，种子07 23 41），要接着抽吗？";
        QTest::newRow("during the last group") << QStringList{"5", "5", "9"} << QStringList{} << false
                                               << "上次的摇号在第3轮后中断（已抽出14人，种子07 23 41），要接着抽吗？";
        QTest::newRow("before the first round") << QStringList{} << QStringList{"5", "9"} << false << "";
        QTest::newRow("the list changed since")
            << QStringList{"3"} << QStringList{"4"} << true
            << "上次中断的摇号（摇号记录_自动保存_%1.txt）之后名单已经改变，不能接着抽，开始新的摇号。";
    }
    void killed()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(bool, changed);
        QFETCH(QString, said);
        QTemporaryDir killedDir, wholeDir;
        const QStringList names = numberedNames(16);
        const QByteArray list = encodeLegacyText(names.join("\r\n") + "\r\n");
        const QStringList exclude{killedDir.filePath("上次.txt")};
        QVERIFY(writeAll(killedDir.filePath("bonus.txt"), list) && writeAll(wholeDir.filePath("bonus.txt"), list)
                && writeAll(exclude.first(), encodeLegacyText("候选人02\r\n候选人09\r\n")));
        const bool earlier = QTest::currentDataTag() == QLatin1String("after a round");
        if (earlier) {
            Run first(killedDir.path(), {}, exclude);
            first.init(), first.draw({"1"});
        }
        {
            Run run(killedDir.path(), {false}, exclude); // No to carrying the earlier run on
            run.init(), run.draw(before);
            QCOMPARE(run.boxes.shown.size(), int(earlier) + (before.size() == 3)); // the question, the last group
        } // killed: gone without a word, its copy and record copy left behind
        const QStringList copies = QDir(killedDir.path()).entryList({"摇号记录_自动保存_*"});
        QCOMPARE(copies.size(), int(earlier) + !before.isEmpty());
        if (changed)
            QVERIFY(writeAll(killedDir.filePath("bonus.txt"), list + "候选人17\r\n"));

        Run again(killedDir.path(), {true}, exclude);
        again.init();
        const QString stamp = copies.value(copies.size() - 1).mid(10, 15);
        QCOMPARE(again.boxes.shown.value(0), said.replace("%1", stamp));
        QCOMPARE(again.boxes.defaults,
                 QList<MessageBoxes::Default>(said.startsWith("上次的") ? 1 : 0, MessageBoxes::Default::Yes));
        again.draw(after), again.save();
        // Left: the copies not carried on.
        QCOMPARE(QDir(killedDir.path()).entryList({"摇号*_自动保存_*"}).size(), 2 * int(earlier || changed));
        QCOMPARE(verified(killedDir.path()).left(4), "核对无误");
        if (changed)
            return;

        Run whole(wholeDir.path(), {}, exclude);
        whole.init(), whole.draw(before + after), whole.save();
        QCOMPARE(readAll(killedDir.filePath("摇号结果.txt")), readAll(wholeDir.filePath("摇号结果.txt")));
        const QByteArray record = readAll(killedDir.filePath("摇号记录.txt"));
        QCOMPARE(withoutTimes(record), withoutTimes(readAll(wholeDir.filePath("摇号记录.txt"))));
        QVERIFY(record.contains("\r\n候选人数\t14\r\n排除\t2\t"));
        QCOMPARE(again.window.findChild<QGroupBox *>("Frame_Oper")->title(),
                 whole.window.findChild<QGroupBox *>("Frame_Oper")->title()); // the proof of the same draw
    }

    // A second sitting from the same list of 300: the first one's 12 winners, one of them forfeited, named by its
    // results file, its record or a list of names, and a name that is on no line of the list, take no part.
    void secondSitting_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("by the results file") << "摇号结果.txt";
        QTest::newRow("by the record") << "摇号记录.txt";
        QTest::newRow("by a list of names") << "名单.txt";
    }
    void secondSitting()
    {
        QFETCH(QString, file);
        QTemporaryDir first, second;
        const QStringList names = numberedNames(300);
        const QByteArray list = encodeLegacyText(names.join("\r\n") + "\r\n");
        QVERIFY(writeAll(first.filePath("bonus.txt"), list) && writeAll(second.filePath("bonus.txt"), list));
        QStringList winners;
        {
            Run lunch(first.path());
            lunch.init(), lunch.draw({"12"});
            QCOMPARE(lunch.session().forfeit(12).kind, ForfeitResult::Kind::Done);
            lunch.save();
            winners = lunch.window.session().rounds().first().winners.mid(0, 11);
        }
        QVERIFY(writeAll(first.filePath("名单.txt"), winners.join("\n").toUtf8() + "\n")
                && writeAll(first.filePath("另一个.txt"), "不在名单上的人\n"));
        Run evening(second.path(), {}, {first.filePath(file), first.filePath("另一个.txt")});
        evening.init();
        QCOMPARE(evening.window.findChild<QLabel *>("Lbl_Roll")->text(),
                 "共300条数据，其中11人已中奖，不参加本次抽奖！");
        QCOMPARE(evening.window.session().candidateCount(), 289);
        for (const QString &winner : winners)
            QVERIFY(!evening.window.session().candidates().contains(winner));
        evening.draw({"200", "200"}), evening.save();
        QStringList texts = winners + QStringList{"不在名单上的人"};
        std::sort(texts.begin(), texts.end());
        const QByteArray sha256 =
            QCryptographicHash::hash((texts.join("\n") + "\n").toUtf8(), QCryptographicHash::Sha256);
        QVERIFY(readAll(second.filePath("摇号记录.txt")).contains("\r\n排除\t12\t" + sha256.toHex() + "\t"));
        // Checked without the files of earlier winners: the record names the lines they left out.
        QCOMPARE(verified(second.path()),
                 "核对无误：名单、种子和全部2轮的中奖者都与记录一致，摇号结果.txt和摇号结果.xlsx也与记录相符。");
    }
};

QTEST_MAIN(TestSittings)
#include "test_sittings.moc"
