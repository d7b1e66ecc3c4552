#include "draw_replay.h"

#include "seeded_randomiser.h"

namespace taviro {

namespace {

bool sameRound(const DrawRound &a, const DrawRound &b)
{
    return a.number == b.number && a.count == b.count && a.firstEntry == b.firstEntry && a.winners == b.winners
        && a.prize == b.prize;
}

} // namespace

Replay replayDraw(const QString &listPath, const DrawSeed &seed, const QList<Prize> &plan,
                  const QList<DrawRound> &recorded, const ListChoices &choices, const QList<Forfeit> &forfeits,
                  const Exclusion &excluded)
{
    SeededRandomiser randomiser(seed);
    DrawSession session(randomiser);
    return replayDraw(session, listPath, seed, plan, recorded, choices, forfeits, excluded);
}

Replay replayDraw(DrawSession &session, const QString &listPath, const DrawSeed &seed, const QList<Prize> &plan,
                  const QList<DrawRound> &recorded, const ListChoices &choices, const QList<Forfeit> &forfeits,
                  const Exclusion &excluded)
{
    Replay replay;
    // The record's answers, never the organiser's: nothing is asked.
    replay.init = session.initialise(listPath, seed, plan, choices, excluded);
    replay.list = session.listFacts();
    if (replay.init.kind != InitResult::Kind::Ready) {
        replay.list.sha256 = replay.init.listSha256; // the list read, for the fingerprint it is told by
        return replay;
    }
    // The forfeits made after `rounds` rounds, as they were made; they draw
    // nothing, but each must fit the draw: an entry drawn and not forfeited.
    int nextForfeit = 0;
    const auto forfeitAfter = [&](int rounds) {
        for (; nextForfeit < forfeits.size() && forfeits[nextForfeit].afterRounds <= rounds; ++nextForfeit) {
            const Forfeit &f = forfeits[nextForfeit];
            if (f.afterRounds != rounds || session.forfeit(f.entry, f.at).kind != ForfeitResult::Kind::Done) {
                replay.badForfeit = nextForfeit;
                return false;
            }
        }
        return true;
    };
    for (int i = 0; i < recorded.size(); ++i) {
        if (!forfeitAfter(i))
            break;
        // Each round as the organiser asked for it. A last group came from a
        // start once too few were left, or from a prize that needed more than
        // were left: a count above what is left brings it either way.
        const int count = recorded[i].number > 0 ? recorded[i].count : recorded[i].count + 1;
        StartResult started = session.start(QString::number(count));
        if (started.kind == StartResult::Kind::PlanDone && recorded[i].prize == DrawSession::beyondPlanName()) {
            session.drawBeyondPlan(); // the organiser said yes to drawing on
            started = session.start(QString::number(count));
        }
        if (started.kind == StartResult::Kind::Rolling) {
            session.stop();
            session.reveal();
        }
        const bool drawn = started.kind == StartResult::Kind::Rolling || started.kind == StartResult::Kind::LastGroup;
        if (drawn)
            replay.rounds.append(session.rounds().last());
        if (!drawn || !sameRound(session.rounds().last(), recorded[i])) {
            replay.firstDifference = i;
            break;
        }
    }
    if (replay.firstDifference < 0 && replay.badForfeit < 0 && !forfeitAfter(int(recorded.size())))
        replay.badForfeit = nextForfeit;
    if (replay.badForfeit < 0 && nextForfeit < forfeits.size())
        replay.badForfeit = nextForfeit; // made after rounds that were never drawn
    replay.log = session.log().text();
    replay.heading = session.heading();
    return replay;
}

} // namespace taviro
