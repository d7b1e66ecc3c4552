#pragma once

#include "draw_session.h"

namespace taviro {

// A draw repeated from its record: the same list bytes, seed and counts give
// the same winners in the same order on every system.
struct Replay
{
    InitResult init; // what initialising the list gave
    ListFacts list; // the list as read now
    QList<DrawRound> rounds; // as drawn again, up to the first difference
    int firstDifference = -1; // the index in `recorded` of the first round that differs; -1 when none does
    int badForfeit = -1; // the index in `forfeits` of the first that does not fit the draw; -1 when all do
    QString log; // the results log drawn again
    QStringList heading; // the list's heading row's cells, when the record leaves it out
};

// `choices` are the record's answers about the list's heading and blank
// lines; a record that states none draws from every line. `forfeits` are
// replayed where they were made, between the rounds; `excluded` gives the
// lines the record says were left out for earlier winners.
Replay replayDraw(const QString &listPath, const DrawSeed &seed, const QList<Prize> &plan,
                  const QList<DrawRound> &recorded, const ListChoices &choices = ListChoices::everyLine(),
                  const QList<Forfeit> &forfeits = {}, const Exclusion &excluded = {});

// The same, drawn by `session` (not yet initialised) with its own randomiser,
// which then stands where the record ends: a draw carried on after a crash.
Replay replayDraw(DrawSession &session, const QString &listPath, const DrawSeed &seed, const QList<Prize> &plan,
                  const QList<DrawRound> &recorded, const ListChoices &choices, const QList<Forfeit> &forfeits,
                  const Exclusion &excluded);

} // namespace taviro
