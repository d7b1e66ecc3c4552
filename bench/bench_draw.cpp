// Median timings of the draw engine's costly steps, with the real generator,
// of the recovery copy written after every round and of the results workbook.
//   taviro_bench [runs]   (default 15 runs per figure)

#include "app/verify.h"
#include "lists/candidate_list.h"
#include "draw/draw_random.h"
#include "draw/draw_replay.h"
#include "draw/seeded_randomiser.h"
#include "output/draw_files.h"
#include "output/recovery_file.h"
#include "output/results_workbook.h"

#include "measure.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace taviro;

namespace {

QByteArray lines(int n)
{
    QByteArray out;
    for (int k = 1; k <= n; ++k)
        out += "Candidate " + QByteArray::number(k) + "\r\n";
    return out;
}

// Keeps the result alive so the work cannot be optimised away.
volatile int g_sink = 0;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_runs = std::max(1, atoi(argv[1]));

    QTemporaryDir dir;
    const QString path = dir.filePath("bonus.txt");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(lines(10000)) < 0)
            return 1;
    }

    const DrawSeed seed = DrawSeed::system();
    SeededRandomiser randomiser(seed);
    DrawStream stream(seed.key(), 0);
    heading("taviro_bench");
    std::printf("%-52s %10s %10s\n", "", "median", "min");

    const Figure gen10 = measure({}, [&] { g_sink += GenRndArray(10, 1, stream).size(); });
    row("GenRndArray(10, 1)", gen10);
    const Figure gen10000 = measure({}, [&] { g_sink += GenRndArray(10000, 10000, stream).size(); });
    row("GenRndArray(10000, 10000)", gen10000);

    std::unique_ptr<DrawSession> session;
    auto revealOf = [&](int winners) {
        return measure(
            [&] {
                session = std::make_unique<DrawSession>(randomiser);
                session->initialise(path, seed);
                session->start(QString::number(winners));
                session->stop();
            },
            [&] { g_sink += session->reveal().appendedLog.size(); });
    };
    const Figure reveal1 = revealOf(1);
    row("reveal of 1 winner", reveal1);
    const Figure reveal1000 = revealOf(1000);
    row("reveal of 1000 winners", reveal1000);
    const Figure reveal10000 = revealOf(10000);
    row("reveal of 10000 winners", reveal10000);

    const Figure read = measure({}, [&] { g_sink += readCandidateFile(path).count; });
    row("reading bonus.txt, 10000 lines", read);
    const Figure init = measure([&] { session = std::make_unique<DrawSession>(randomiser); },
                                [&] { g_sink += session->initialise(path, seed).count; });
    row("initialise, 10000 lines (with the draw order)", init);

    // The same 10000 Chinese names as GBK (CR LF, as Notepad's ANSI) and as UTF-8 (LF, as editors write it today).
    const QString gbkPath = dir.filePath("gbk/bonus.txt"), utf8Path = dir.filePath("utf8/bonus.txt");
    {
        QByteArray gbk, utf8;
        for (int k = 1; k <= 10000; ++k) {
            const QString name = QStringLiteral("候选人%1号").arg(k);
            gbk += encodeWrittenText(name + "\r\n", ListEncoding::Gbk);
            utf8 += (name + '\n').toUtf8();
        }
        QFile g(gbkPath), u(utf8Path);
        if (!QDir(dir.path()).mkpath("gbk") || !QDir(dir.path()).mkpath("utf8") || !g.open(QIODevice::WriteOnly)
            || !u.open(QIODevice::WriteOnly) || g.write(gbk) != gbk.size() || u.write(utf8) != utf8.size())
            return 1;
    }
    auto initialiseOf = [&](const QString &list) {
        return measure([&] { session = std::make_unique<DrawSession>(randomiser); },
                       [&] { g_sink += session->initialise(list, seed).count; });
    };
    const Figure readGbk = measure({}, [&] { g_sink += readCandidateFile(gbkPath).count; });
    row("reading 10000 Chinese names in GBK", readGbk);
    const Figure readUtf8 = measure({}, [&] { g_sink += readCandidateFile(utf8Path).count; });
    row("reading 10000 Chinese names in UTF-8", readUtf8);
    // The same names as a workbook, written by XlsxWriter (bench/write_workbook.py).
    const QString xlsxPath = dir.filePath("xlsx/bonus.xlsx");
    QDir(dir.path()).mkpath("xlsx");
    const bool workbook =
        QProcess::execute("/usr/bin/python3", {TAVIRO_SOURCE_DIR "/bench/write_workbook.py", xlsxPath}) == 0;
    if (workbook) {
        const Figure readXlsx = measure({}, [&] { g_sink += readCandidateFile(xlsxPath).count; });
        row("reading 10000 names from a workbook", readXlsx);
        std::printf("%-52s %10.2f\n", "  ratio to the same names as GBK text", readXlsx.median / readGbk.median);
    } else {
        std::printf("reading a workbook: skipped, python3-xlsxwriter is not installed\n");
    }
    const Figure initGbk = initialiseOf(gbkPath);
    row("initialise, 10000 Chinese names in GBK, CR LF", initGbk);
    const Figure initUtf8 = initialiseOf(utf8Path);
    row("initialise, 10000 Chinese names in UTF-8, LF", initUtf8);
    if (workbook) {
        const Figure initXlsx = initialiseOf(xlsxPath);
        row("initialise, 10000 names from a workbook", initXlsx);
        std::printf("%-52s %10.2f\n", "  ratio to the same names as GBK text", initXlsx.median / initGbk.median);
    }

    const Figure start = measure(
        [&] {
            session = std::make_unique<DrawSession>(randomiser);
            session->initialise(path, seed);
        },
        [&] { g_sink += int(session->start("10000").kind); });
    row("start of 10000 winners on 10000 candidates", start);

    auto lastGroupOf = [&](int left) {
        return measure(
            [&] {
                session = std::make_unique<DrawSession>(randomiser);
                session->initialise(path, seed);
                session->start(QString::number(10000 - left));
                session->stop();
                session->reveal();
            },
            [&] {
                const StartResult r = session->start("1");
                if (r.kind != StartResult::Kind::LastGroup)
                    std::fprintf(stderr, "expected a last group\n");
                g_sink += r.appendedLog.size();
            });
    };
    const Figure last500 = lastGroupOf(500);
    row("last group of 500 (of 10000)", last500);
    const Figure last5000 = lastGroupOf(5000);
    row("last group of 5000 (of 10000)", last5000);

    // The copy after the last round of a run that drew all 10000: the whole
    // log, encoded, written, flushed to the disk and renamed into place.
    ResultsLog log;
    for (int k = 1; k <= 10000; ++k)
        log.append(QStringLiteral("候选人%1").arg(k));
    RecoveryFile recovery(dir.path());
    recovery.begin(QDateTime::currentDateTime());
    const Figure copy = measure({}, [&] {
        const QString failure = recovery.keep(log.text(), ListEncoding::Gbk);
        if (!failure.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(failure));
    });
    const QByteArray copyRow =
        "recovery copy of a 10000-entry log, " + QByteArray::number(QFileInfo(recovery.path()).size() / 1024) + " KB";
    row(copyRow.constData(), copy);

    // The results workbook of 10000 winners in 100 rounds of a staff list (工号, 姓名, 部门) and a prize plan, made
    // by libxlsxwriter and written in place as Save writes it.
    QList<DrawRound> staffRounds;
    for (int round = 0; round < 100; ++round) {
        DrawRound drawn{round + 1, 100, round * 100 + 1, {}, QDateTime::currentDateTime(), QStringLiteral("纪念奖"), 0};
        for (int k = round * 100 + 1; k <= round * 100 + 100; ++k)
            drawn.winners << QStringLiteral("%1\t候选人%2\t研发部").arg(k, 6, 10, QLatin1Char('0')).arg(k);
        staffRounds << drawn;
    }
    const ResultsTable staff = resultsTable(staffRounds, {}, true, {QStringLiteral("工号"), QStringLiteral("姓名")});
    qint64 workbookBytes = 0;
    const Figure workbookWrite = measure({}, [&] {
        const EncodedWorkbook encoded = encodeWorkbook(staff);
        if (encoded.bytes.isEmpty() || !writeFileAtomically(dir.filePath("摇号结果.xlsx"), encoded.bytes).ok)
            std::fprintf(stderr, "the workbook was not written: %s\n", qPrintable(encoded.error));
        workbookBytes = encoded.bytes.size();
    });
    const QByteArray workbookRow =
        "results workbook of 10000 winners, " + QByteArray::number(workbookBytes / 1024) + " KB";
    row(workbookRow.constData(), workbookWrite);

    // A 10000-winner draw of 100 rounds saved with its record, then checked as `taviro --verify` does.
    session = std::make_unique<DrawSession>(randomiser);
    session->initialise(path, seed);
    for (int round = 0; round < 100; ++round) {
        session->start("100");
        session->stop();
        session->reveal();
    }
    DrawRecord record;
    record.program = QStringLiteral("Taviro bench");
    record.list = session->listFacts();
    record.seed = seed;
    record.generator = generatorName();
    record.rounds = session->rounds();
    if (!DrawFiles(dir.path()).save(session->log().text(), session->listFacts().encoding, &record).ok)
        return 1;
    const Figure verify = measure({}, [&] { g_sink += verifyRecord(dir.filePath(recordFileName())).status; });
    row("verify of a 10000-winner record (100 rounds, and its workbook)", verify);

    // The same draw carried on after a crash, as Initialise does it: its record copy found and read, the list's
    // SHA-256 compared, the draw replayed into the window's session.
    QDir(dir.path()).mkpath("killed");
    const QString killed = dir.filePath("killed");
    if (!QFile::copy(path, killed + "/bonus.txt")
        || !writeRecordFor(killed + "/摇号结果_自动保存_20260101-093000.txt", {}, record).ok)
        return 1;
    const Figure resume = measure([&] { session = std::make_unique<DrawSession>(randomiser); },
                                  [&] {
                                      const QList<InterruptedDraw> found = interruptedDraws(killed, "bonus.txt");
                                      QFile list(killed + "/bonus.txt");
                                      QCryptographicHash hash(QCryptographicHash::Sha256);
                                      const DrawRecord &r = found.value(0).record;
                                      if (found.size() != 1 || !list.open(QIODevice::ReadOnly) || !hash.addData(&list)
                                          || hash.result() != r.list.sha256)
                                          std::fprintf(stderr, "no draw to carry on\n");
                                      const Replay again =
                                          replayDraw(*session, killed + "/bonus.txt", r.seed, r.plan, r.rounds,
                                                     r.list.choices, r.forfeits, r.list.excluded);
                                      if (again.firstDifference >= 0 || session->remainingCount() != 0)
                                          std::fprintf(stderr, "the draw did not replay\n");
                                      g_sink += session->roundNumber();
                                  });
    row("resuming a 10000-winner draw (100 rounds)", resume);

    std::printf("\nratio reveal 10000 / reveal 1000              %6.2f\n", reveal10000.median / reveal1000.median);
    std::printf("ratio last group 5000 / last group 500        %6.2f\n", last5000.median / last500.median);
    std::printf("ratio initialise UTF-8 / GBK                  %6.2f (reading alone %.2f)\n",
                initUtf8.median / initGbk.median, readUtf8.median / readGbk.median);
    return g_sink == -1;
}
