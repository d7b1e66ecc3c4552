// A draw checked from its record, as `taviro --verify` does: a record as saved, and one edited in each part.
#include "app/verify.h"
#include "doubles.h"
#include "draw/draw_replay.h"
#include "lists/prize_plan.h"
#include "draw/seeded_randomiser.h"
#include "output/draw_files.h"
#include "output/results_workbook.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;

namespace {
// A file of the saved draw edited (`pattern` replaced; no pattern: the file left out) and what --verify then says: its
// status, its sentence (whole when it ends as a sentence does, else its start). `restated`: the record states the
// SHA-256 of the edited results.
struct Edit
{
    QString file, pattern, replacement;
    int status;
    QString says;
    bool restated = false;
};
QByteArray sha256Of(const QString &path) { return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256); }
} // namespace
Q_DECLARE_METATYPE(Edit)

class TestVerify : public QObject
{
    Q_OBJECT
    QTemporaryDir m_saved; // bonus.txt, 摇号结果.txt, 摇号结果.xlsx and 摇号记录.txt of one draw

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
        for (const char *count : {"5", "9", "4", "1"})
            drawRounds(session, {count}), session.forfeit(2);
        const DrawRecord record{"Taviro test",    session.listFacts(), seed, {}, generatorName(), {},
                                session.rounds(), session.forfeits(),  {},   {}};
        QVERIFY(DrawFiles(m_saved.path()).save(session.log().text(), ListEncoding::Gbk, &record).ok);
    }
    void edits_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("as saved") << Edit{
            "", "", "", 0,
            "核对无误：名单、种子和全部3轮的中奖者都与记录一致，摇号结果.txt和摇号结果.xlsx也与记录相符。"};
        QTest::newRow("the workbook missing")
            << Edit{"摇号结果.xlsx", "", "", 1, "找不到工作簿摇号结果.xlsx，无法核对它。"};
        QTest::newRow("a winner") << Edit{"摇号记录.txt", R"((\[7\]:\t)L\d+)", "\\1L99", 1,
                                          "第2轮与记录不符：按记录中的名单、种子和人数重新摇号，中奖者是"};
        QTest::newRow("a count") << Edit{"摇号记录.txt", "抽取4人", "抽取3人", 1, "第2轮与记录不符"};
        QTest::newRow("the seed") << Edit{"摇号记录.txt", "种子\\t07 23 41", "种子\t07 23 40", 1, "种子与记录不符"};
        QTest::newRow("one byte of the list") << Edit{"bonus.txt", "L12", "L13", 1, "名单与记录不符"};
        QTest::newRow("a forfeit twice") << Edit{"摇号记录.txt", "(弃奖[^\n]*\n)", "\\1\\1", 1, "弃奖记录与摇号不符"};
        QTest::newRow("a forfeit lost") << Edit{"摇号记录.txt", "弃奖[^\n]*\n", "", 1, "结果文件与记录不符"};
        QTest::newRow("cut short") << Edit{"摇号记录.txt", "记录结束\\r\\n$", "", 2, "无法读取摇号记录"};
        QTest::newRow("blank lines said to take part") << Edit{"摇号记录.txt", "候选人数\\t12\\r\\n空行\\t不参加",
                                                               "候选人数\t14\r\n空行\t参加", 1, "第1轮与记录不符"};
        QTest::newRow("blank lines elsewhere")
            << Edit{"摇号记录.txt", "4,10", "4,11", 1, "名单与记录不符：记录中说第1行不像表头，第4、11行是空行，而"};
        QTest::newRow("a round's line lost: its winners join round 1")
            << Edit{"摇号记录.txt", "第2轮[^\\n]*\\n", "", 1, "第1轮与记录不符"};
        QTest::newRow("the list missing") << Edit{"bonus.txt", "", "", 1, "找不到名单bonus.txt，无法核对。"};
        QTest::newRow("the record missing")
            << Edit{"摇号记录.txt", "", "", 2, "无法读取摇号记录摇号记录.txt（文件不存在）。"};
        QTest::newRow("the list saved with LF")
            << Edit{"bonus.txt", "\\r\\n", "\n", 1,
                    "名单与记录不符：bonus.txt的名单指纹是a37c 632e 1f33 e0e2，记录中是33f3 cbc9 63b7 9690。"
                    "（名单中的名字相同，只是换行符或编码不同：请用原来的文件核对）"};
        QTest::newRow("名单字节数") << Edit{"摇号记录.txt", "名单字节数\\t56", "名单字节数\t40", 1,
                                            "名单与记录不符：bonus.txt有56字节，记录中的名单字节数是40。"};
        QTest::newRow("名单编码") << Edit{"摇号记录.txt", "名单编码\\tGBK", "名单编码\tUTF-8", 1,
                                          "名单与记录不符：bonus.txt的编码是GBK，记录中是UTF-8。"};
        QTest::newRow("候选人数") << Edit{"摇号记录.txt", "候选人数\\t12", "候选人数\t11", 1,
                                          "名单与记录不符：bonus.txt中有12名候选人，记录中是11名。"};
        QTest::newRow("a prize the rounds were not drawn for")
            << Edit{"摇号记录.txt", "(人\\t[\\d-]+ [\\d:]+)\\r\\n", "\\1\t一等奖\r\n", 1,
                    "第1轮与记录不符：按记录中的奖项重新摇号，这一轮不属于任何奖项，记录中是为“一等奖”抽的。"};
        QTest::newRow("结果SHA-256") << Edit{"摇号记录.txt", "(结果SHA-256\\t)\\w+", "\\1" + QString(64, '0'), 1,
                                             "结果文件与记录不符：摇号结果.txt的内容不是这次摇号的结果。"};
        QTest::newRow("the results, and the record's SHA-256 of them") << Edit{
            "摇号结果.txt", "\\[1\\]", "[0]", 1, "结果文件与记录不符：摇号结果.txt的内容不是这次摇号的结果。", true};
        QTest::newRow("结果编码") << Edit{
            "摇号记录.txt", "(结果文件[^\\n]*\\n)", "\\1结果编码\tUTF-8 BOM\r\n", 1,
            "结果文件与记录不符：记录中说摇号结果.txt的编码是UTF-8 BOM，这次摇号的结果应当是GBK。"};
    }
    void edits()
    {
        QFETCH(Edit, edit);
        QTemporaryDir dir;
        for (const QString &name : QStringList{"bonus.txt", "摇号结果.txt", "摇号结果.xlsx", "摇号记录.txt"}) {
            QByteArray bytes = readAll(m_saved.filePath(name));
            if (name == edit.file && edit.pattern.isEmpty())
                continue;
            if (edit.restated && name == "摇号记录.txt")
                bytes.replace(sha256Of(m_saved.filePath("摇号结果.txt")).toHex(),
                              sha256Of(dir.filePath("摇号结果.txt")).toHex());
            if (name == edit.file) { // all three are ASCII or UTF-8 here; the record's mark stays
                const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
                const QString text = QString::fromUtf8(bytes.mid(mark));
                const QString edited = QString(text).replace(QRegularExpression(edit.pattern), edit.replacement);
                QVERIFY2(edited != text, qPrintable(edit.pattern)); // the edit found its place
                bytes = bytes.left(mark) + edited.toUtf8();
            }
            QVERIFY(writeAll(dir.filePath(name), bytes));
        }
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path()); // the record given by its name alone: the files are named so
        const Verdict verdict = verifyRecord("摇号记录.txt");
        QDir::setCurrent(before);
        const bool whole = edit.says.endsWith("。") || edit.says.endsWith("）");
        QVERIFY2(whole ? verdict.sentence == edit.says : verdict.sentence.startsWith(edit.says),
                 qPrintable(verdict.sentence));
        QCOMPARE(verdict.status, edit.status);
    }
    // The worked example of docs/checking.md, read from it so that the two cannot part: its record checks out against
    // the list L1 to L10 and the results this program writes for it, and its draw order is this program's.
    void workedExample()
    {
        const QString doc = QString::fromUtf8(readAll(TAVIRO_DOCS "/checking.md"));
        QString record = QRegularExpression("```\\n(Taviro 摇号记录\\n[^`]*)```").match(doc).captured(1);
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("bonus.txt"), numberedLines(10))
                && writeAll(dir.filePath("摇号记录.txt"), "\xEF\xBB\xBF" + record.replace('\n', "\r\n").toUtf8()));
        const DrawRecord recorded = parseRecord(readAll(dir.filePath("摇号记录.txt"))).record;
        const Replay replay = replayDraw(dir.filePath("bonus.txt"), recorded.seed, {}, recorded.rounds);
        QVERIFY(writeAll(dir.filePath("摇号结果.txt"), encodeResults(replay.log, ListEncoding::Gbk)));
        QCOMPARE(verifyRecord(dir.filePath("摇号记录.txt")).sentence,
                 "核对无误：名单、种子和全部3轮的中奖者都与记录一致，摇号结果.txt也与记录相符。");
        SeededRandomiser randomiser;
        DrawSession session(randomiser);
        session.initialise(dir.filePath("bonus.txt"), recorded.seed);
        QStringList order;
        for (int candidate : session.drawOrder())
            order << QString::number(candidate);
        QCOMPARE("Draw order: " + order.join(", ") + ".",
                 QRegularExpression("Draw order: [^.]+\\.").match(doc).captured());
    }
    // The workbook read back: a row that is not the draw's is named, though the record states the workbook's SHA-256;
    // the draw's rows in other bytes than those saved are told as well.
    void workbook_data()
    {
        QTest::addColumn<bool>("swapped");
        QTest::addColumn<QString>("says");
        QTest::newRow("two winners swapped")
            << true << "工作簿与记录不符：摇号结果.xlsx的第2行不是这次摇号的结果，应当是“1、第1轮、L";
        QTest::newRow("a byte after the end")
            << false << "工作簿与记录不符：摇号结果.xlsx中的各行都是这次摇号的结果，但它不是当时保存的那个文件。";
    }
    void workbook()
    {
        QFETCH(bool, swapped);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QByteArray record = readAll(m_saved.filePath("摇号记录.txt")),
                   sheet = readAll(m_saved.filePath("摇号结果.xlsx"));
        if (swapped) {
            const DrawRecord drawn = parseRecord(record).record;
            ResultsTable table = resultsTable(drawn.rounds, drawn.forfeits, false, {});
            std::swap(table.rows[0].cells, table.rows[1].cells);
            const QByteArray other = encodeWorkbook(table).bytes;
            record.replace(QCryptographicHash::hash(sheet, QCryptographicHash::Sha256).toHex(),
                           QCryptographicHash::hash(other, QCryptographicHash::Sha256).toHex());
            sheet = other;
        } else {
            sheet += '\0'; // the zip's end is found from the back, a stray byte or not
        }
        QVERIFY(writeAll(dir.filePath("bonus.txt"), readAll(m_saved.filePath("bonus.txt")))
                && writeAll(dir.filePath("摇号结果.txt"), readAll(m_saved.filePath("摇号结果.txt")))
                && writeAll(dir.filePath("摇号记录.txt"), record) && writeAll(dir.filePath("摇号结果.xlsx"), sheet));
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const Verdict verdict = verifyRecord("摇号记录.txt");
        QDir::setCurrent(before);
        QVERIFY2(verdict.status == 1 && verdict.sentence.startsWith(says), qPrintable(verdict.sentence));
    }
    // A GBK list drawn by a UTF-8 plan whose prize name GBK cannot hold, with a tab inside: the results in UTF-8 with a
    // mark, as the record says, the name whole in both, and the draw checks out.
    void prizeBeyondGbk()
    {
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("bonus.txt"), numberedLines(4))
                && writeAll(dir.filePath("奖项.txt"), "刘䶮\t纪念奖  2\n"));
        const QList<Prize> plan = readPrizePlan(dir.path()).prizes;
        const DrawSeed seed = DrawSeed::publicText("1");
        SeededRandomiser randomiser;
        DrawSession session(randomiser);
        QCOMPARE(session.initialise(dir.filePath("bonus.txt"), seed, plan).kind, InitResult::Kind::Ready);
        drawRounds(session, {"2"});
        const DrawRecord record{"Taviro test", session.listFacts(), seed, {}, generatorName(),
                                plan,          session.rounds(),    {},   {}, {}};
        QVERIFY(DrawFiles(dir.path()).save(session.log().text(), session.listEncoding(), &record).ok);
        QVERIFY(readAll(dir.filePath("摇号结果.txt")).startsWith("\xEF\xBB\xBF摇号结果\r\n\r\n刘䶮\t纪念奖\r\n"));
        const QByteArray saved = readAll(dir.filePath("摇号记录.txt"));
        QVERIFY(saved.contains("\r\n名单编码\tGBK\r\n") && saved.contains("\r\n结果编码\tUTF-8 BOM\r\n"));
        QCOMPARE(verifyRecord(dir.filePath("摇号记录.txt")).sentence,
                 "核对无误：名单、种子和全部1轮的中奖者都与记录一致，摇号结果.txt和摇号结果.xlsx也与记录相符。");
    }
};

QTEST_GUILESS_MAIN(TestVerify)
#include "test_verify.moc"
