// The draw engine: line rules of bonus.txt, initialising, worked rounds with
// scripted randomness, the generator, and fairness of whole sessions with the
// real one (each statistic's false-alarm rate is below 1e-6).

#include "support.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace taviro;
using namespace taviro::testing;
using Kind = InitResult::Kind;
using SK = StartResult::Kind;
Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(SK)

class TestDraw : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString bonus() const { return m_dir.filePath("bonus.txt"); }

private slots:
    void init() { QFile::remove(bonus()); QDir(bonus()).removeRecursively(); }

    void lineRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QString bad(QChar(0xFFFD));
        const auto row = [](const char *name, const QByteArray &b, const QStringList &l) { QTest::newRow(name) << b << l; };
        row("no final line end", "A\r\nB", {"A", "B"});
        row("blank line after final CR LF", "A\r\nB\r\n\r\n", {"A", "B", ""});
        row("lone LF is a character", "A\n\r\n\nB", {"A\n", "\nB"});
        row("lone CRs", "A\rB\r\r\rC\r", {"A", "B", "", "", "C"});
        row("blanks and tabs kept", " A \t\r\n\t\r\n ", {" A \t", "\t", " "});
        row("GBK names", "\xD5\xC5\xC8\xFD\r\n\xC5\xB7\xD1\xF4\xC4\xC8\xC4\xC8\r\n\xFD\x93", {"张三", "欧阳娜娜", "龘"});
        row("invalid trail byte", "A\x81 B\r\nC", {"A" + bad + " B", "C"});
        row("lead byte before CR LF", "\x81\r\n\xC0\xEE\xCB\xC4", {bad, "李四"});
        row("lead byte at the end", "A\r\nB\xD5", {"A", "B" + bad});
        row("UTF-8 byte-order mark is text", "\xEF\xBB\xBF" "A\r\nB", {"锘緼", "B"});
        for (int piece : {1 << 16, 1 << 20}) { // line ends across the pieces a file is read in
            const QString x(piece - 1, 'x');
            QTest::addRow("%d: CR | LF", piece) << QByteArray(piece - 1, 'x') + "\r\nB" << QStringList{x, "B"};
            QTest::addRow("%d: CR | CR LF", piece) << QByteArray(piece - 1, 'x') + "\r\r\n" << QStringList{x, ""};
            QTest::addRow("%d: CR LF | LF", piece) << QByteArray(piece - 2, 'x') + "\r\n\nB" << QStringList{x.chopped(1), "\nB"};
        }
    }
    void lineRules()
    {
        QFETCH(QByteArray, bytes); QFETCH(QStringList, lines);
        QVERIFY(writeBytes(bonus(), bytes));
        const CandidateFile file = readCandidateFile(bonus());
        QCOMPARE(file.status, CandidateFile::Status::Ok);
        QCOMPARE(file.count, lines.size());
        QCOMPARE(file.lines, lines);
    }

    // bytes, then `hole` NUL bytes and 10001 CRs if `tail`; or a special file.
    void initialise_data()
    {
        QTest::addColumn<QString>("special");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("hole");
        QTest::addColumn<bool>("tail");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("step"); // sample lines step, 2 step, ... (at most 10)
        const auto row = [](const char *name, const QByteArray &b, Kind k, int count, int step = 0) {
            QTest::newRow(name) << QString() << b << qint64(0) << false << k << count << step;
        };
        row("1 line, final CR LF", "A\r\n", Kind::TooFew, 1);
        row("LF line ends only", "a\nb\nc\n", Kind::TooFew, 1);
        row("2 lines", numberedLines(2), Kind::Ready, 2, 1);
        row("19 lines", numberedLines(19), Kind::Ready, 19, 1);
        row("20 lines", numberedLines(20), Kind::Ready, 20, 2);
        row("99 lines", numberedLines(99), Kind::Ready, 99, 9);
        row("10000, no final end", numberedLines(10000).chopped(2), Kind::Ready, 10000, 1000);
        row("10001, no final end", numberedLines(10001).chopped(2), Kind::TooMany, 10001);
        row("40000 lines", numberedLines(40000), Kind::TooMany, 10001);
        const qint64 mib = 1 << 20;
        QTest::newRow("10001 lines, 256 GiB") << QString() << QByteArray(10001, '\r') << (mib << 18) << false << Kind::TooMany << 10001 << 0;
        QTest::newRow("3 lines, 65 MiB") << QString() << QByteArray("A\r\nB\r\n") << 65 * mib << false << Kind::TooLarge << 3 << 0;
        QTest::newRow("65 MiB, 10001 lines") << QString() << QByteArray() << 65 * mib << true << Kind::TooMany << 10001 << 0;
        for (const char *w : {"nothing", "folder", "dangling link"})
            QTest::newRow(w) << w << QByteArray() << qint64(0) << false << Kind::Missing << 0 << 0;
        for (const char *w : {"named pipe", "unix socket", "link to /dev/zero"})
            QTest::newRow(w) << w << QByteArray() << qint64(0) << false << Kind::Unreadable << 0 << 0;
    }
    void initialise()
    {
        QFETCH(QString, special); QFETCH(QByteArray, bytes); QFETCH(qint64, hole); QFETCH(bool, tail); QFETCH(Kind, kind);
        QFETCH(int, count); QFETCH(int, step);
        const QString p = bonus();
        const QByteArray path = QFile::encodeName(p);
        const int sock = special == "unix socket" ? ::socket(AF_UNIX, SOCK_STREAM, 0) : -1;
        sockaddr_un addr{AF_UNIX, {}};
        qstrncpy(addr.sun_path, path.constData(), sizeof addr.sun_path);
        QFile f(p);
        QVERIFY(special.isNull() ? f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.resize(bytes.size() + hole)
                                       && f.seek(bytes.size() + hole) && f.write(QByteArray(tail ? 10001 : 0, '\r')) >= 0 && f.flush()
                : special == "folder" ? QDir().mkdir(p)
                : special == "dangling link" ? QFile::link(m_dir.filePath("gone"), p)
                : special == "link to /dev/zero" ? QFile::link("/dev/zero", p)
                : special == "named pipe" ? ::mkfifo(path.constData(), 0600) == 0
                : sock >= 0 ? ::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 : true);
        f.close();
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = withinSeconds(20, [&] { return s.initialise(p); });
        ::close(sock);
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.count, count);
        const QString messages[] = {"请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus.txt即可。",
                                    "记录起码需要两条以上，请检查!", "记录总数不要超过10000条！"};
        if (kind == Kind::Missing || kind == Kind::TooFew || kind == Kind::TooMany)
            QCOMPARE(r.message, messages[kind == Kind::Missing ? 0 : kind == Kind::TooFew ? 1 : 2]);
        const bool ready = kind == Kind::Ready;
        QVERIFY(r.message.isEmpty() == ready);
        QCOMPARE(r.label, ready ? QStringLiteral("共%1条数据！").arg(count) : QString());
        QCOMPARE(rnd.calls, (ready ? QList<QPair<int, int>>{{count, count}} : QList<QPair<int, int>>()));
        QCOMPARE(s.remainingCount(), ready ? count : 0);
        QCOMPARE(s.drawnFlags(), QVector<bool>(ready ? count : 0, false));
        QStringList samples;
        for (int k = 1; k <= qMin(10, count) && ready; ++k)
            samples.append(QStringLiteral("L%1").arg(k * step));
        QCOMPARE(s.rollNames(), samples);
        // A refused list leaves nothing behind; put right, it is read, and only once.
        QFile::remove(p) || QDir().rmdir(p);
        QVERIFY(writeBytes(p, numberedLines(3)));
        QCOMPARE(s.initialise(p).kind, ready ? Kind::AlreadyInitialised : Kind::Ready);
        QCOMPARE(s.candidates(), ready ? numberedNames(count) : numberedNames(3));
    }

    // Rounds with scripted draw order, ranks and reveal orders; every start's
    // outcome and the candidates left, then the whole log if given.
    void rounds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QVector<int>>>("arrays"); // the draw order, then each round's ranks
        QTest::addColumn<QList<QVector<int>>>("orders"); // each reveal's order
        QTest::addColumn<QStringList>("texts");          // the count box at each start
        QTest::addColumn<QList<SK>>("kinds");
        QTest::addColumn<QList<int>>("remaining");
        QTest::addColumn<QString>("log");                 // after the heading and blank line
        const auto row = [](const char *name, int n, QStringList texts, QList<SK> kinds, QList<int> remaining) {
            QTest::newRow(name) << numberedLines(n) << QList<QVector<int>>() << QList<QVector<int>>() << texts << kinds << remaining << QString();
        };
        QByteArray twenty;
        for (int k = 1; k <= 20; ++k)
            twenty += (k == 4 ? "\xD5\xC5\xC8\xFD" : k == 9 ? "\xC0\xEE\xCB\xC4" : k == 15 ? "\xCD\xF5\xCE\xE5" : "L" + QByteArray::number(k)) + "\r\n";
        QVector<int> identity(20);
        std::iota(identity.begin(), identity.end(), 1);
        // 张三 (line 4) and 李四 (9) revealed as 李四, 张三; rank 13 of the 18 left is line 15, 王五.
        QTest::newRow("worked example") << twenty << QList<QVector<int>>{identity, {9, 4}, {13}} << QList<QVector<int>>{{2, 1}}
                                        << QStringList{"2", "1"} << QList<SK>{SK::Rolling, SK::Rolling} << QList<int>{18, 17}
                                        << "[1]:\t李四\r\n[2]:\t张三\r\n[3]:\t王五";
        // Draw order (3, 5, 1, 4, 2): ranks (5, 2) are positions 5, 2, lines 2, 5; then (3, 1) of
        // positions 1, 3, 4 are lines 4, 3; the last group is line 1.
        QTest::newRow("ranks through the draw order") << numberedLines(5) << QList<QVector<int>>{{3, 5, 1, 4, 2}, {5, 2}, {3, 1}}
                                                      << QList<QVector<int>>() << QStringList{"2", "2", "2", "2"}
                                                      << QList<SK>{SK::Rolling, SK::Rolling, SK::LastGroup, SK::Exhausted}
                                                      << QList<int>{3, 1, 0, 0} << "[1]:\tL2\r\n[2]:\tL5\r\n[3]:\tL3\r\n[4]:\tL4\r\n[5]:\tL1";
        // 甲 乙 丙 " 丁\t" "": positions 5, 1, 3 are lines 2, 3, 1; the last group in position order, not reshuffled.
        QTest::newRow("last group") << QByteArray("\xBC\xD7\r\n\xD2\xD2\r\n\xB1\xFB\r\n \xB6\xA1\t\r\n\r\n")
                                    << QList<QVector<int>>{{3, 5, 1, 4, 2}, {5, 1, 3}} << QList<QVector<int>>{{3, 1, 2}, {2, 1}}
                                    << QStringList{"3", "abc"} << QList<SK>{SK::Rolling, SK::LastGroup} << QList<int>{2, 0}
                                    << "[1]:\t丙\r\n[2]:\t甲\r\n[3]:\t乙\r\n[4]:\t\r\n[5]:\t 丁\t";
        row("10 by 3", 10, {"3", "3", "3", "3", "3"}, {SK::Rolling, SK::Rolling, SK::Rolling, SK::LastGroup, SK::Exhausted}, {7, 4, 1, 0, 0});
        row("2 by 1", 2, {"1", "1", "1"}, {SK::Rolling, SK::LastGroup, SK::Exhausted}, {1, 0, 0});
        row("10 at once", 10, {"10", "10"}, {SK::Rolling, SK::Exhausted}, {0, 0});
        row("5 left, 8 typed, then 2", 7, {"1", "1", "8", "2", "2", "9"},
            {SK::Rolling, SK::Rolling, SK::Refused, SK::Rolling, SK::Rolling, SK::LastGroup}, {6, 5, 5, 3, 1, 0});
        row("refused first", 3, {"4", "", "1"}, {SK::Refused, SK::Rolling, SK::Rolling}, {3, 2, 1});
        row("unusable counts are 1", 40, {"", "   ", "0", "-3", "abc", "2.5", "3x", "1 2", "32768", "99999999999", " 3 ", "\t4\t", "007", "32767"},
            QList<SK>(13, SK::Rolling) << SK::Refused, {39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 27, 23, 16, 16});
    }
    void rounds()
    {
        QFETCH(QByteArray, bytes); QFETCH(QList<QVector<int>>, arrays); QFETCH(QList<QVector<int>>, orders);
        QFETCH(QStringList, texts); QFETCH(QList<SK>, kinds); QFETCH(QList<int>, remaining); QFETCH(QString, log);
        ScriptedRandomiser rnd;
        rnd.arrays = arrays;
        rnd.orders = orders;
        DrawSession s(rnd);
        QVERIFY(writeBytes(bonus(), bytes));
        const StartResult before = s.start("1");
        QVERIFY(before.kind == SK::Exhausted && before.message == "都抽完了，一个不剩了！！！！！" && before.countTextToWrite.isNull());
        QCOMPARE(s.initialise(bonus()).kind, Kind::Ready);
        const int n = s.remainingCount();
        for (int i = 0; i < texts.size(); ++i) {
            const int left = s.remainingCount(), perRound = s.perRoundCount(), calls = rnd.calls.size();
            const QString text = s.log().text();
            const StartResult r = s.start(texts[i]);
            const int count = parseRoundCount(texts[i]);
            QCOMPARE(r.kind, kinds[i]);
            QCOMPARE(s.remainingCount(), remaining[i]);
            QCOMPARE(int(s.drawnFlags().count(false)), remaining[i]);
            if (r.kind == SK::Rolling || r.kind == SK::Refused)
                QCOMPARE(r.countTextToWrite, count ? QString() : QStringLiteral("1"));
            if (r.kind == SK::Rolling) {
                QCOMPARE(rnd.calls.mid(calls), (QList<QPair<int, int>>{{left, qMax(count, 1)}}));
                QCOMPARE(s.roundPicks().size(), left - remaining[i]);
                QCOMPARE(s.stop(), s.roundPicks().first());
                QCOMPARE(s.start("1").kind, SK::RevealPending);
                const RevealResult rev = s.reveal();
                QCOMPARE(s.log().text(), text + rev.appendedLog);
                QCOMPARE(rev.label, s.roundPicks().last());
            } else {
                QCOMPARE(rnd.calls.size(), calls);
                QCOMPARE(s.log().text(), text + r.appendedLog);
                if (r.kind != SK::LastGroup)
                    QCOMPARE(r.message, r.kind == SK::Exhausted ? "都抽完了，一个不剩了！！！！！" : "抽取的人数不能多于候选人数！[开始]");
                else
                    QCOMPARE(r.message, "仅剩最后一组候选项目，就是|" + r.appendedLog.split("\r\n").mid(1).replaceInStrings(QRegularExpression("^\\[\\d+\\]:\t"), "").join('|') + "，不足以进行一次摇号！");
            }
            if (r.kind == SK::Refused) // the refused count is not kept
                QCOMPARE(s.perRoundCount(), perRound);
        }
        QStringList lines = s.log().text().split("\r\n");
        QCOMPARE(lines.mid(0, 2), (QStringList{"摇号结果", ""}));
        if (!log.isEmpty())
            QCOMPARE(lines.mid(2).join("\r\n"), log);
        lines = lines.mid(2);
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY2(lines[i].startsWith(QStringLiteral("[%1]:\t").arg(i + 1)), qPrintable(lines[i]));
            lines[i] = lines[i].section('\t', 1);
        }
        QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), n - s.remainingCount()); // nobody twice
        QCOMPARE(rnd.reshuffles, kinds.count(SK::Rolling));
    }

    // The sample names shown at each tick, carried over from round to round.
    void rollTicks_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("ticks1");
        QTest::addColumn<QVector<int>>("lines"); // a second round after ticks1
        QTest::newRow("two samples alternate") << 2 << 5 << QVector<int>{1, 2, 1, 2, 1};
        QTest::newRow("ten wrap") << 25 << 12 << QVector<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 2, 4};
        QTest::newRow("carry over after sample 4") << 25 << 4 << QVector<int>{2, 4, 6, 8, 10, 12, 14};
        QTest::newRow("carry over, M = 4") << 4 << 4 << QVector<int>{1, 2, 3, 4, 1, 2};
    }
    void rollTicks()
    {
        QFETCH(int, n); QFETCH(int, ticks1); QFETCH(QVector<int>, lines);
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        QVERIFY(writeBytes(bonus(), numberedLines(n)));
        QCOMPARE(s.initialise(bonus()).kind, Kind::Ready);
        QCOMPARE(s.start("1").kind, SK::Rolling);
        for (int i = 0; i < lines.size(); ++i) {
            if (i == ticks1) {
                s.stop();
                s.reveal();
                QCOMPARE(s.start("1").kind, SK::Rolling);
            }
            QCOMPARE(s.rollTick(), QStringLiteral("L%1").arg(lines[i]));
        }
    }

    // Known exchanges, the result read once from the pool's end; n = 3: r =
    // 0.9 picks 1, 0.5 picks 2, 0 picks 3. Fixed work: 1001 x 501 steps.
    void genRndArray_data()
    {
        QTest::addColumn<int>("myNum");
        QTest::addColumn<int>("neededNum");
        QTest::addColumn<QVector<float>>("rs");
        QTest::addColumn<QVector<int>>("expected");
        QTest::newRow("swap 1,3") << 3 << 3 << QVector<float>{0.9f, 0} << QVector<int>{1, 2, 3};
        QTest::newRow("3-cycle") << 3 << 3 << QVector<float>{0.9f, 0, 0.9f, 0.5f} << QVector<int>{1, 3, 2};
        QTest::newRow("r below 1/2 picks 5001") << 10000 << 1 << QVector<float>{std::nextafter(0.5f, 0.0f), 0} << QVector<int>{5001};
        // 10000 x 0.0001f = 0.99999997: floored unrounded, it picks 10000, not 9999.
        QTest::newRow("0.0001f picks 10000") << 10000 << 2 << QVector<float>{0.0001f, 0.00015f} << QVector<int>{9999, 10000};
        QTest::newRow("no exchange") << 4 << 4 << QVector<float>{} << QVector<int>{4, 3, 2, 1};
        for (auto [m, k] : {std::pair{5, 6}, {0, 0}, {3, 0}})
            QTest::addRow("refused %d, %d", m, k) << m << k << QVector<float>{} << QVector<int>{};
    }
    void genRndArray()
    {
        QFETCH(int, myNum); QFETCH(int, neededNum); QFETCH(QVector<float>, rs); QFETCH(QVector<int>, expected);
        ScriptedSource src;
        src.rs = rs;
        QCOMPARE(GenRndArray(myNum, neededNum, src), expected);
        const qint64 steps = expected.isEmpty() ? 0 : 1003002;
        QCOMPARE(QVector<qint64>({src.reseeds, src.values, src.clockReads}), QVector<qint64>({steps, 3 * steps, steps}));
        QStringList picks = numberedNames(myNum); // and the reveal reshuffle's: 6 x 10001 steps
        ScriptedSource reveal;
        ClockRandomiser(reveal).reshuffle(picks);
        QCOMPARE(reveal.reseeds, myNum > 0 ? 120012 : 0);
    }

    // main() sets TZ=CST-8, so a missing local offset shows up anywhere.
    void generator()
    {
        ClockRandom a, b;
        const auto stream = [](ClockRandom &g) { return QVector<float>{g.value(1), g.value(1), g.value(1)}; };
        QVERIFY(stream(a) != stream(b)); // seeded from the system, not from the clock
        a.reseed();
        const QVector<float> a1 = stream(a);
        a.reseed();
        QVERIFY(stream(a) != a1); // a reseed mixes the clock into the state
        const float v = a.value(1);
        QCOMPARE(a.value(0), v); // x = 0 repeats the last value
        const float fixed = a.value(-0.5f); // x < 0: fixed by x alone, but mixed into the state
        QVERIFY(fixed >= 0 && fixed < 1 && b.value(-0.5f) == fixed && stream(a) != stream(b));
        const double before = QTime::currentTime().msecsSinceStartOfDay() / 1000.0, t = a.timeOfDay();
        const double after = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
        QVERIFY2(after < before || (t >= before - 0.05 && t <= after + 0.05), qPrintable(QString::number(t)));
    }

    // Whole sessions with the real generator: the winners of a round in the
    // order revealed are equally likely (chi-square, p = 1e-6); a 10000-line
    // draw order keeps about one line in place (either way) and about one
    // next to its neighbour in the file, as a random permutation does.
    void fairness_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("perRound");
        QTest::addColumn<int>("trials");
        QTest::newRow("2 lines, 1 drawn") << 2 << 1 << 100;
        QTest::newRow("3 lines, all 3 drawn") << 3 << 3 << 240;
        QTest::newRow("4 lines, 2 drawn") << 4 << 2 << 180;
        QTest::newRow("10000 lines, the draw order") << 10000 << 0 << 1;
    }
    void fairness()
    {
        QFETCH(int, n); QFETCH(int, perRound); QFETCH(int, trials);
        QVERIFY(writeBytes(bonus(), numberedLines(n)));
        const QString path = bonus();
        const QHash<QString, int> counts = tally(trials, [&](ClockRandom &g) {
            ClockRandomiser randomiser(g);
            DrawSession s(randomiser);
            if (s.initialise(path).kind != Kind::Ready)
                return QStringLiteral("not ready");
            if (perRound == 0) {
                const QVector<int> order = s.drawOrder();
                int kept = 0;
                for (int p = 0; p < n; ++p)
                    kept += order[p] == p + 1 || order[p] == n - p || (p > 0 && std::abs(order[p] - order[p - 1]) == 1);
                return QString::number(kept);
            }
            if (s.start(QString::number(perRound)).kind != SK::Rolling)
                return QStringLiteral("no round");
            s.stop();
            return s.reveal().appendedLog;
        });
        if (perRound == 0) { // Poisson(4) reaches 21 with p < 1e-9
            qInfo() << "lines in place or by their neighbour:" << counts.keys();
            QVERIFY(counts.constBegin().key().toInt() <= 20);
            return;
        }
        int cells = 1;
        for (int k = 0; k < perRound; ++k)
            cells *= n - k;
        QCOMPARE(counts.size(), cells);
        const double x = chiSquare(counts.values()), limit = chiSquareCritical(cells - 1 + (cells - 1) % 2, 1e-6);
        qInfo() << counts.values() << "chi-square" << x << "limit" << limit;
        QVERIFY(x < limit);
    }
};

int main(int argc, char **argv)
{
    qputenv("TZ", "CST-8"); // eight hours east of UTC, whatever the machine's zone
    QCoreApplication app(argc, argv);
    TestDraw test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_draw.moc"
