// A draw checked from its record, as `taviro --verify` does: a record as saved, and one edited in each part.
#include "app/verify.h"
#include "doubles.h"
#include "draw/prize_plan.h"
#include "draw/seeded_randomiser.h"
#include "output/draw_files.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {
// A file of the saved draw edited (`pattern` replaced) and what --verify then says: its status, its sentence's start.
struct Edit
{
    QString file, pattern, replacement;
    int status;
    QString says;
};
} // namespace
Q_DECLARE_METATYPE(Edit)

class TestVerify : public QObject
{
    Q_OBJECT
    QTemporaryDir m_saved; // bonus.txt, 摇号结果.txt and 摇号记录.txt of one draw

private slots:
    // 12 names and a public seed: rounds of 5 and 4, a refused 9 between them, then the last group of 3; the winner
    // [2] forfeited after the first round.
    void initTestCase()
    {
        // Blank lines 4 and 10 among them, left out.
        const QByteArray list = numberedLines(12).replace("L3\r\n", "L3\r\n\r\n").replace("L8\r\n", "L8\r\n \r\n");
        QVERIFY(writeAll(m_saved.filePath("bonus.txt"), list));
        const DrawSeed seed = DrawSeed::publicText("07 23 41");
        SeededRandomiser randomiser;
        DrawSession session(randomiser);
        const ListChoices blanksLeftOut{ListChoices::Heading::NotAsked, {4, 10}, true};
        QCOMPARE(session.initialise(m_saved.filePath("bonus.txt"), seed, {}, blanksLeftOut).kind,
                 InitResult::Kind::Ready);
        for (const char *count : {"5", "9", "4", "1"}) {
            if (session.start(count).kind == StartResult::Kind::Rolling)
                session.stop(), session.reveal();
            session.forfeit(2);
        }
        const DrawRecord record{"Taviro test",    session.listFacts(), seed, {}, generatorName(), {},
                                session.rounds(), session.forfeits(),  {},   {}};
        QVERIFY(DrawFiles(m_saved.path()).save(session.log().text(), ListEncoding::Gbk, &record).ok);
    }
    void edits_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("as saved") << Edit{
            "", "", "", 0, "核对无误：名单、种子和全部3轮的中奖者都与记录一致，摇号结果.txt也与记录相符。"};
        QTest::newRow("a winner") << Edit{"摇号记录.txt", R"((\[7\]:\t)L\d+)", "\\1L99", 1,
                                          "第2轮与记录不符：按记录中的名单、种子和人数重新摇号，中奖者是"};
        QTest::newRow("a count") << Edit{"摇号记录.txt", "抽取4人", "抽取3人", 1, "第2轮与记录不符"};
        QTest::newRow("the seed") << Edit{"摇号记录.txt", "种子\\t07 23 41", "种子\t07 23 40", 1, "种子与记录不符"};
        QTest::newRow("one byte of the list") << Edit{"bonus.txt", "L12", "L13", 1, "名单与记录不符"};
        QTest::newRow("the results") << Edit{"摇号结果.txt", "\\[1\\]", "[0]", 1, "结果文件与记录不符"};
        QTest::newRow("a forfeit twice") << Edit{"摇号记录.txt", "(弃奖[^\n]*\n)", "\\1\\1", 1, "弃奖记录与摇号不符"};
        QTest::newRow("a forfeit lost") << Edit{"摇号记录.txt", "弃奖[^\n]*\n", "", 1, "结果文件与记录不符"};
        QTest::newRow("cut short") << Edit{"摇号记录.txt", "记录结束\\r\\n$", "", 2, "无法读取摇号记录"};
        QTest::newRow("blank lines said to take part")
            << Edit{"摇号记录.txt", "空行\\t不参加", "空行\t参加", 1, "第1轮与记录不符"};
        QTest::newRow("blank lines elsewhere")
            << Edit{"摇号记录.txt", "4,10", "4,11", 1, "名单与记录不符：记录中说第1行不像表头，第4、11行是空行，而"};
        QTest::newRow("a round's line lost: its winners join round 1")
            << Edit{"摇号记录.txt", "第2轮[^\\n]*\\n", "", 1, "第1轮与记录不符"};
    }
    void edits()
    {
        QFETCH(Edit, edit);
        QTemporaryDir dir;
        for (const QString &name : QStringList{"bonus.txt", "摇号结果.txt", "摇号记录.txt"}) {
            QByteArray bytes = readAll(m_saved.filePath(name));
            if (name == edit.file) { // all three are ASCII or UTF-8 here; the record's mark stays
                const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
                const QString text = QString::fromUtf8(bytes.mid(mark));
                const QString edited = QString(text).replace(QRegularExpression(edit.pattern), edit.replacement);
                QVERIFY2(edited != text, qPrintable(edit.pattern)); // the edit found its place
                bytes = bytes.left(mark) + edited.toUtf8();
            }
            QVERIFY(writeAll(dir.filePath(name), bytes));
        }
        const Verdict verdict = verifyRecord(dir.filePath("摇号记录.txt"));
        QVERIFY2(verdict.sentence.startsWith(edit.says), qPrintable(verdict.sentence));
        QCOMPARE(verdict.status, edit.status);
    }
    // A GBK list drawn by a UTF-8 plan whose prize name GBK cannot hold, with a tab inside: the results in UTF-8 with a
    // mark, as the record says, the name whole in both, and the draw checks out.
    void prizeBeyondGbk()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("bonus.txt"), numberedLines(4)));
        QVERIFY(writeAll(dir.filePath("奖项.txt"), "刘䶮\t纪念奖  2\n"));
        const PrizePlan plan = readPrizePlan(dir.path());
        QCOMPARE(plan.prizes, (QList<Prize>{{"刘䶮\t纪念奖", 2}}));
        SeededRandomiser randomiser;
        DrawSession session(randomiser);
        QCOMPARE(session.initialise(dir.filePath("bonus.txt"), DrawSeed::publicText("1"), plan.prizes).kind,
                 InitResult::Kind::Ready);
        session.start("2"), session.stop(), session.reveal();
        const DrawRecord record{"Taviro test",
                                session.listFacts(),
                                session.seed(),
                                {},
                                generatorName(),
                                plan.prizes,
                                session.rounds(),
                                {},
                                {},
                                {}};
        QVERIFY(DrawFiles(dir.path()).save(session.log().text(), session.listEncoding(), &record).ok);
        QVERIFY(readAll(dir.filePath("摇号结果.txt")).startsWith("\xEF\xBB\xBF摇号结果\r\n\r\n刘䶮\t纪念奖\r\n"));
        QVERIFY(readAll(dir.filePath("摇号记录.txt")).contains("名单编码\tGBK\r\n"));
        QVERIFY(readAll(dir.filePath("摇号记录.txt")).contains("\r\n结果编码\tUTF-8 BOM\r\n"));
        const Verdict verdict = verifyRecord(dir.filePath("摇号记录.txt"));
        QCOMPARE(verdict.sentence, "核对无误：名单、种子和全部1轮的中奖者都与记录一致，摇号结果.txt也与记录相符。");
    }
};

QTEST_GUILESS_MAIN(TestVerify)
#include "test_verify.moc"
