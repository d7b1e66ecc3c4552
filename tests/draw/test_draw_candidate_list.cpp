// Reading bonus.txt (line rules, GBK, limits, what is not a file) and the
// outcomes of initialising a session on it.

#include "draw/candidate_list.h"
#include "draw_test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace taviro;
using namespace taviro::testing;
using Kind = InitResult::Kind;
Q_DECLARE_METATYPE(Kind)

class TestCandidateList : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString bonus() const { return m_dir.filePath("bonus.txt"); }

private slots:
    void init() { QFile::remove(bonus()); QDir(bonus()).removeRecursively(); }

    void records_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QString bad(QChar(0xFFFD));
        const auto row = [](const char *name, const QByteArray &b, const QStringList &l) { QTest::newRow(name) << b << l; };
        row("CR LF", "A\r\nB\r\n", {"A", "B"});
        row("no final line end", "A\r\nB", {"A", "B"});
        row("blank line after final CR LF", "A\r\nB\r\n\r\n", {"A", "B", ""});
        row("only CR LF", "\r\n", {""});
        row("empty file", "", {});
        row("lone LF is a character", "A\nB\n", {"A\nB\n"});
        row("LF around CR LF", "A\n\r\n\nB", {"A\n", "\nB"});
        row("lone CRs", "A\rB\r\r\rC\r", {"A", "B", "", "", "C"});
        row("CR, then final CR LF", "A\r\r\n", {"A", ""});
        row("blanks and tabs kept", " A \t\r\n\t\r\n ", {" A \t", "\t", " "});
        row("Chinese names", "\xD5\xC5\xC8\xFD\r\n\xC5\xB7\xD1\xF4\xC4\xC8\xC4\xC8\r\n\xFD\x93", {"张三", "欧阳娜娜", "龘"});
        row("invalid trail byte", "A\x81 B\r\nC", {"A" + bad + " B", "C"});
        row("lead byte before CR LF", "\x81\r\n\xC0\xEE\xCB\xC4", {bad, "李四"});
        row("lead byte before lone CR", "A\xD5\rB", {"A" + bad, "B"});
        row("lead byte before LF", "\xD5\nB\r\nC", {bad + "\nB", "C"});
        row("lead byte at the end", "A\r\nB\xD5", {"A", "B" + bad});
        row("UTF-8 byte-order mark is text", "\xEF\xBB\xBF" "A\r\nB", {"锘緼", "B"});
        // Line ends across the pieces a file may be read in (64 KiB, 1 MiB).
        for (int piece : {1 << 16, 1 << 20}) {
            const QString x(piece - 1, 'x');
            QTest::addRow("%d: CR | LF", piece) << QByteArray(piece - 1, 'x') + "\r\nB" << QStringList{x, "B"};
            QTest::addRow("%d: CR | end", piece) << QByteArray(piece - 1, 'x') + "\r" << QStringList{x};
            QTest::addRow("%d: CR | CR LF", piece) << QByteArray(piece - 1, 'x') + "\r\r\n" << QStringList{x, ""};
            QTest::addRow("%d: CR LF | LF", piece) << QByteArray(piece - 2, 'x') + "\r\n\nB"
                                                  << QStringList{x.chopped(1), "\nB"};
        }
    }
    void records()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QStringList decoded;
        for (const QByteArray &r : splitRecords(bytes))
            decoded.append(decodeRecord(r));
        QCOMPARE(decoded, lines);
        QVERIFY(writeBytes(bonus(), bytes));
        const CandidateFile file = readCandidateFile(bonus());
        QCOMPARE(file.status, CandidateFile::Status::Ok);
        QCOMPARE(file.count, lines.size());
        QCOMPARE(file.lines, lines);
        QCOMPARE(splitRecords(bytes, 1).size(), qMin(1, int(lines.size())));
    }

    void initialise_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("step"); // sample lines step, 2 step, ... (at most 10)
        const QString few = "记录起码需要两条以上，请检查!", many = "记录总数不要超过10000条！";
        QTest::newRow("0 lines") << QByteArray() << Kind::TooFew << 0 << few << 0;
        QTest::newRow("1 line") << QByteArray("A") << Kind::TooFew << 1 << few << 0;
        QTest::newRow("1 line, final CR LF") << QByteArray("A\r\n") << Kind::TooFew << 1 << few << 0;
        QTest::newRow("LF line ends only") << QByteArray("a\nb\nc\n") << Kind::TooFew << 1 << few << 0;
        for (auto [n, step] : {std::pair{2, 1}, {10, 1}, {11, 1}, {19, 1}, {20, 2}, {25, 2}, {99, 9}, {100, 10}, {10000, 1000}})
            QTest::addRow("%d lines", n) << numberedLines(n) << Kind::Ready << n << QString() << step;
        QTest::newRow("10000, no final end") << numberedLines(10000).chopped(2) << Kind::Ready << 10000 << QString() << 1000;
        QTest::newRow("10001 lines") << numberedLines(10001) << Kind::TooMany << 10001 << many << 0;
        QTest::newRow("10001, no final end") << numberedLines(10001).chopped(2) << Kind::TooMany << 10001 << many << 0;
        QTest::newRow("40000 lines") << numberedLines(40000) << Kind::TooMany << 10001 << many << 0;
    }
    void initialise()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
        QFETCH(int, count);
        QFETCH(QString, message);
        QFETCH(int, step);
        QVERIFY(writeBytes(bonus(), bytes));
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = s.initialise(bonus());
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.count, count);
        QCOMPARE(r.message, message);
        const bool ready = kind == Kind::Ready;
        QCOMPARE(r.label, ready ? QStringLiteral("共%1条数据！").arg(count) : QString());
        QCOMPARE(s.isInitialised(), ready);
        QCOMPARE(rnd.calls, (ready ? QList<QPair<int, int>>{{count, count}} : QList<QPair<int, int>>()));
        QCOMPARE(s.remainingCount(), ready ? count : 0);
        QCOMPARE(s.candidates(), ready ? numberedNames(count) : QStringList());
        QCOMPARE(s.drawnFlags(), QVector<bool>(ready ? count : 0, false));
        QStringList samples;
        for (int k = 1; k <= qMin(10, count) && ready; ++k)
            samples.append(QStringLiteral("L%1").arg(k * step));
        QCOMPARE(s.rollNames(), samples);
        QCOMPARE(s.perRoundCount(), ready ? 1 : 0);
        QCOMPARE(s.rollIndex(), 1);
    }

    void retryAfterFailures()
    {
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        QCOMPARE(s.initialise(bonus()).kind, Kind::Missing);
        QVERIFY(writeBytes(bonus(), "one line"));
        QCOMPARE(s.initialise(bonus()).kind, Kind::TooFew);
        QVERIFY(writeBytes(bonus(), numberedLines(3)));
        QCOMPARE(s.initialise(bonus()).kind, Kind::Ready);
        QVERIFY(writeBytes(bonus(), numberedLines(7)));
        QCOMPARE(s.initialise(bonus()).kind, Kind::AlreadyInitialised);
        QCOMPARE(s.candidates(), numberedNames(3));
        QCOMPARE(rnd.calls.size(), 1);
    }

    void notAnOrdinaryFile_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<Kind>("kind");
        for (const char *w : {"nothing", "folder", "link to folder", "dangling link"})
            QTest::newRow(w) << w << Kind::Missing;
        for (const char *w : {"named pipe", "unix socket", "link to /dev/zero"})
            QTest::newRow(w) << w << Kind::Unreadable;
    }
    void notAnOrdinaryFile()
    {
        QFETCH(QString, what);
        QFETCH(Kind, kind);
        const QString p = bonus();
        const QByteArray path = QFile::encodeName(p);
        const int sock = what == "unix socket" ? ::socket(AF_UNIX, SOCK_STREAM, 0) : -1;
        sockaddr_un addr{AF_UNIX, {}};
        qstrncpy(addr.sun_path, path.constData(), sizeof addr.sun_path);
        QVERIFY(what == "folder" ? QDir().mkdir(p)
                : what == "link to folder" ? QFile::link(m_dir.path(), p)
                : what == "dangling link" ? QFile::link(m_dir.filePath("gone"), p)
                : what == "link to /dev/zero" ? QFile::link("/dev/zero", p)
                : what == "named pipe" ? ::mkfifo(path.constData(), 0600) == 0
                : sock >= 0 ? ::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 : true);
        const CandidateFile file = withinSeconds(5, [&] { return readCandidateFile(p); });
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = withinSeconds(5, [&] { return s.initialise(p); });
        ::close(sock);
        QCOMPARE(r.kind, kind);
        QVERIFY(!s.isInitialised());
        if (kind == Kind::Missing)
            QCOMPARE(r.message, QStringLiteral("请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus.txt即可。"));
        else
            QVERIFY(!file.error.isEmpty() && r.message.contains(file.error));
    }

    // Sparse files far beyond any list: the count is decided without reading
    // past line 10001, and over 10000 lines wins over the text limit.
    void oversized_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<qint64>("hole"); // NUL bytes after head
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("count");
        QTest::addColumn<Kind>("kind");
        const qint64 mib = 1 << 20;
        QTest::newRow("10001 lines, 256 GiB") << QByteArray(10001, '\r') << (mib << 18) << QByteArray() << 10001 << Kind::TooMany;
        QTest::newRow("3 lines, 65 MiB") << QByteArray("A\r\nB\r\n") << 65 * mib << QByteArray() << 3 << Kind::TooLarge;
        QTest::newRow("65 MiB, 10001 lines") << QByteArray() << 65 * mib << QByteArray(10001, '\r') << 10001 << Kind::TooMany;
    }
    void oversized()
    {
        QFETCH(QByteArray, head);
        QFETCH(qint64, hole);
        QFETCH(QByteArray, tail);
        QFETCH(int, count);
        QFETCH(Kind, kind);
        QFile f(bonus());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.resize(head.size() + hole));
        QVERIFY(f.seek(head.size() + hole));
        QVERIFY(f.write(tail) == tail.size() && f.flush());
        const QString p = bonus();
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = withinSeconds(20, [&] { return s.initialise(p); });
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.count, count);
        QCOMPARE(r.message.isEmpty(), false);
        QVERIFY(!s.isInitialised());
    }
};

QTEST_GUILESS_MAIN(TestCandidateList)
#include "test_draw_candidate_list.moc"
