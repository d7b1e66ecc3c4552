// Fuzzes the record's parser and the replay behind it: any bytes give a record or a reason; a record reads back as
// itself once written again, and its draw repeated from a fixed list either agrees round by round or names the first
// round or forfeit that does not, within the record's rounds and forfeits.
#include "fuzz.h"
#include "draw/draw_replay.h"
#include "draw/seeded_randomiser.h"
#include "output/draw_record.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

using namespace taviro;

static bool sameRound(const DrawRound &a, const DrawRound &b)
{
    return a.number == b.number && a.count == b.count && a.firstEntry == b.firstEntry && a.winners == b.winners
        && a.at == b.at && a.prize == b.prize;
}

static bool sameForfeit(const Forfeit &a, const Forfeit &b)
{
    return a.entry == b.entry && a.at == b.at && a.afterRounds == b.afterRounds;
}

// The list the corpus records were drawn from: L1 to L12 with CR LF, a blank line after L3 and a blank after L8.
static QString fixedList()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QByteArray bytes;
        for (int k = 1; k <= 12; ++k)
            bytes += "L" + QByteArray::number(k) + "\r\n" + (k == 3 ? "\r\n" : k == 8 ? " \r\n" : "");
        QFile file(dir.filePath(QStringLiteral("bonus.txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
        return file.fileName();
    }();
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ParsedRecord parsed = parseRecord(bytes);
    check(parsed.ok == parsed.error.isEmpty());
    if (!parsed.ok)
        return 0;
    const DrawRecord &r = parsed.record;
    // Written again, the record reads as it did (the seed's SHA-256 is then the seed's own).
    const ParsedRecord again = parseRecord(encodeRecord(r));
    check(again.ok);
    const DrawRecord &a = again.record;
    check(a.program == r.program && a.list.fileName == r.list.fileName && a.list.size == r.list.size
          && a.list.sha256 == r.list.sha256 && a.list.encoding == r.list.encoding && a.list.count == r.list.count);
    check(a.list.choices.stated == r.list.choices.stated && a.list.choices.heading == r.list.choices.heading
          && a.list.choices.blankLines == r.list.choices.blankLines
          && a.list.choices.blanksLeftOut == r.list.choices.blanksLeftOut);
    check(a.seed.kind == r.seed.kind && a.seed.material == r.seed.material && a.generator == r.generator);
    check(a.plan == r.plan && std::equal(a.rounds.begin(), a.rounds.end(), r.rounds.begin(), r.rounds.end(), sameRound)
          && std::equal(a.forfeits.begin(), a.forfeits.end(), r.forfeits.begin(), r.forfeits.end(), sameForfeit));
    check(a.resultsFile == r.resultsFile && a.resultsSha256 == r.resultsSha256
          && a.resultsEncoding == r.resultsEncoding);

    const Replay replay =
        replayDraw(fixedList(), r.seed, r.plan, r.rounds, r.list.choices, r.forfeits, r.list.excluded);
    check(replay.firstDifference >= -1 && replay.firstDifference < r.rounds.size());
    check(replay.badForfeit >= -1 && replay.badForfeit < r.forfeits.size());
    check(replay.rounds.size() <= r.rounds.size());
    if (replay.init.kind != InitResult::Kind::Ready) {
        check(replay.rounds.isEmpty() && replay.firstDifference == -1);
        return 0;
    }
    check(replay.list.count >= kMinCandidates && replay.list.count <= 14);
    const int agreed = replay.firstDifference < 0 ? int(r.rounds.size()) : replay.firstDifference;
    check(replay.rounds.size() >= agreed);
    int logged = 0;
    for (int i = 0; i < agreed; ++i) {
        check(replay.rounds[i].winners == r.rounds[i].winners && replay.rounds[i].prize == r.rounds[i].prize);
        logged += int(replay.rounds[i].winners.size());
    }
    // Nobody is drawn twice: the list's lines are all different.
    QStringList everyone;
    for (const DrawRound &round : replay.rounds)
        everyone += round.winners;
    check(everyone.size() <= replay.list.count && everyone.removeDuplicates() == 0);
    check(replay.log.count(QStringLiteral("]:\t")) >= logged);
    return 0;
}
