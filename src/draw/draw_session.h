#pragma once

#include "draw_seed.h"
#include "lists/exclusion_list.h"
#include "lists/left_out_lines.h"
#include "lists/prize_plan.h"
#include "results_log.h"
#include "lists/text_encoding.h"

#include <QDateTime>

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <optional>

namespace taviro {

// How the session draws at random. Production uses the seeded generator;
// tests script the results to replay worked examples.
class DrawRandomiser
{
public:
    virtual ~DrawRandomiser() = default;
    // GenRndArray(myNum, neededNum): distinct values in 1..myNum, or empty when refused.
    virtual QVector<int> genRndArray(int myNum, int neededNum) = 0;
    // Reorders the winners of a stopped round before they are logged.
    virtual void reshuffle(QStringList &picks) = 0;
    // The draw being initialised takes all its randomness from `seed`.
    virtual void useSeed(const DrawSeed &seed) { Q_UNUSED(seed); }
};

// What a draw record says of the list: enough to find it and to tell
// whether it is byte for byte the list that was drawn from.
struct ListFacts
{
    QString fileName;
    qint64 size = 0;
    QByteArray sha256;
    ListEncoding encoding = ListEncoding::Gbk;
    int count = 0; // the candidates that take part
    ListChoices choices; // the answers about its heading and blank lines
    Exclusion excluded; // the earlier winners left out: their texts' count and SHA-256, and the lines
};

// One round as the record keeps it: a drawn round (number 1, 2, ...) or the
// last group (number 0), its count and its winners in the order logged.
struct DrawRound
{
    int number = 0;
    int count = 0;
    int firstEntry = 1; // the number of its first entry in the log
    QStringList winners;
    QDateTime at; // local time when it was decided
    QString prize; // the prize it was drawn for ("奖项外" beyond the plan); empty without a plan
    int prizeIndex = -1; // that prize's place in the plan; the plan's size beyond it
};

// A winner who was not in the hall: the entry stays drawn and logged, marked
// as forfeited, and with a prize plan the prize needs one winner more.
struct Forfeit
{
    int entry = 0; // the entry's number in the log
    QDateTime at; // local time when it was marked
    int afterRounds = 0; // how many rounds had been drawn then
};

struct ForfeitResult
{
    enum class Kind {
        Done,
        NotAWinner, // no such entry
        AlreadyForfeit, // marked already (forfeit), or not marked (take back)
        TooLate, // take back: a round has started since
        Busy, // a round is rolling or waiting for its reveal
    };
    Kind kind = Kind::NotAWinner;
    QString winner; // the entry's text
    QString prize; // the prize it was drawn for; empty without a plan
    int line = -1; // the entry's line in the log
};

// The prize the next round draws for, and how many it still needs; none
// (count 0) without a plan or once the plan is done.
struct NextPrize
{
    QString name;
    int count = 0;
};

struct InitResult
{
    enum class Kind {
        Ready,
        Missing,
        TooFew,
        TooMany,
        Unreadable,
        TooLarge,
        Undecodable,
        BadWorkbook,
        AlreadyInitialised,
        Questions, // the list has a heading row or blank lines: ask, then initialise again with the answers
        ChoicesDoNotFit, // the answers are about other lines than the list has now
    };
    Kind kind = Kind::Missing;
    int count = 0; // records found (TooMany beyond the lines read), or the candidates that take part
    QString message; // the box to show; empty for Ready, AlreadyInitialised and Questions
    QString label; // Ready: the roll label's new text "共N条数据！"
    ListQuestions questions; // what the list asks (Questions), or has now (ChoicesDoNotFit)
    QByteArray listSha256; // of the bytes read, whenever the file could be read
};

struct StartResult
{
    enum class Kind {
        Rolling, // picks made and marked; start the roll
        Exhausted, // nobody left: show `message`
        LastGroup, // everyone left was logged: show `message`, caret to the end
        Refused, // count larger than what is left: show `message`, nothing drawn
        RevealPending, // the stopped round is not revealed yet: nothing happens
        AlreadyRolling, // a roll is running: stop it instead
        PlanDone, // every prize of the plan is drawn: ask before drawing beyond it
    };
    Kind kind = Kind::Exhausted;
    QString message;
    // Not null when the count box must be set to this text ("1").
    QString countTextToWrite;
    // LastGroup: the text appended to the log.
    QString appendedLog;
};

struct RevealResult
{
    QString appendedLog; // the entries appended to the log, in order
    QString label; // the name shown last
};

// The draw: DrawState, the round machine and the results log. It never
// touches a widget; the window maps its outcomes to what the user sees.
//
// The candidates' texts, the samples and the draw order are fixed once at a
// successful initialise, so editing or removing bonus.txt afterwards cannot
// change who is drawn, nor draw anybody twice.
class DrawSession
{
public:
    enum class RoundState { NotInitialised, Ready, Rolling, RevealPending };

    explicit DrawSession(DrawRandomiser &randomiser);

    // Reads the list and, when it is ready, fixes the draw order from `seed`.
    // With a prize plan each prize's winners are logged under its name.
    // Without `choices`, a list with a heading row or blank lines gives
    // Questions and nothing changes; with them, the lines they leave out take
    // no part, and answers about other lines than the list has are refused.
    // `exclusion` leaves out the lines whose text it names, or, when it names
    // no texts (a replay), the lines it gives; lines it gives that the list
    // does not have are refused like answers that do not fit.
    InitResult initialise(const QString &candidateFilePath, const DrawSeed &seed, const QList<Prize> &plan = {},
                          const std::optional<ListChoices> &choices = std::nullopt, const Exclusion &exclusion = {});

    // A start request with the text of the count box.
    StartResult start(const QString &countText);
    // Ends the roll; returns the text to show in the roll label (the round's
    // winner whose line comes first in the file). Only valid while Rolling.
    QString stop();
    // Logs the stopped round. Only valid while RevealPending.
    RevealResult reveal();
    // The roll label's next sample name (advances RollIndex).
    QString rollTick();

    // Marks entry `number` as forfeited, or takes a forfeit back; a forfeit
    // can be taken back until the next start. Only between rounds.
    ForfeitResult forfeit(int number, const QDateTime &at = QDateTime::currentDateTime());
    ForfeitResult takeBackForfeit(int number);
    bool canTakeBack(int number) const;
    // The entry's text, prize and line (kind Done), or NotAWinner.
    ForfeitResult entryFacts(int number) const;
    const QList<Forfeit> &forfeits() const { return m_forfeits; }
    // Every prize of the plan has its winners (none forfeited); the next
    // start asks, and drawBeyondPlan() lets the rounds go on under "奖项外".
    bool planDone() const;
    void drawBeyondPlan() { m_beyondPlan = true; }
    static QString beyondPlanName(); // "奖项外"

    RoundState roundState() const { return m_state; }
    bool isInitialised() const { return m_state != RoundState::NotInitialised; }
    const ResultsLog &log() const { return m_log; }
    // How the list was written, recognised at initialise; the results are
    // written to suit it.
    ListEncoding listEncoding() const { return m_list.encoding; }
    // The list and the seed as fixed at initialise, and every round so far.
    const ListFacts &listFacts() const { return m_list; }
    const DrawSeed &seed() const { return m_seed; }
    const QList<DrawRound> &rounds() const { return m_rounds; }
    // A draw carried on from its record keeps the times its rounds were drawn at.
    void keepTimesOf(const QList<DrawRound> &recorded);
    const QList<Prize> &plan() const { return m_plan; }
    NextPrize nextPrize() const;

    // DrawState, 1-based values as the names say; read-only views for tests.
    int remainingCount() const { return m_remaining; }
    int perRoundCount() const { return m_perRound; }
    int candidateCount() const { return m_candidates.size(); }
    const QVector<int> &drawOrder() const { return m_drawOrder; } // [p-1] = k, the k-th candidate
    const QVector<bool> &drawnFlags() const { return m_drawn; } // [p-1]
    const QStringList &rollNames() const { return m_rollNames; }
    int rollIndex() const { return m_rollIndex; } // 1-based
    const QStringList &roundPicks() const { return m_roundPicks; }
    int roundNumber() const { return m_log.nextNumber(); }
    const QStringList &candidates() const { return m_candidates; } // [k-1], in the order of the list
    const QVector<int> &lineNumbers() const { return m_lineNumbers; } // [k-1] = its line in the list
    const QList<LeftOutLine> &leftOut() const { return m_leftOut; } // the lines that take no part, in order
    const QStringList &heading() const { return m_heading; } // the heading row's cells; empty without one

private:
    StartResult closeWithLastGroup();
    // The prize the next round is drawn for: the plan's first that still
    // needs winners, or beyond the plan.
    int nextPrizeIndex() const;
    QString prizeName(int index) const;
    // Logs a prize's heading when its winners follow another prize's (or
    // none), then counts them for it.
    QString logPrize(int index);
    void countForPrize(int index, int winners);
    const DrawRound *roundOf(int entry) const;

    DrawRandomiser *m_randomiser; // a pointer: a session can be replaced by a new one
    RoundState m_state = RoundState::NotInitialised;
    QStringList m_candidates;
    QVector<int> m_lineNumbers;
    QList<LeftOutLine> m_leftOut;
    QStringList m_heading;
    ListFacts m_list;
    DrawSeed m_seed;
    QList<DrawRound> m_rounds;
    QList<Prize> m_plan;
    QVector<int> m_prizeWon; // each prize's winners so far, the forfeited not counted
    int m_loggedPrize = -1; // the prize whose heading the log shows last
    bool m_beyondPlan = false; // the organiser chose to draw on after the plan
    QList<Forfeit> m_forfeits;
    int m_remaining = 0;
    int m_perRound = 0;
    QVector<int> m_drawOrder;
    QVector<bool> m_drawn;
    QStringList m_rollNames;
    int m_rollIndex = 1;
    QStringList m_roundPicks;
    ResultsLog m_log;
};

// Parses the count box: blanks around the digits are ignored; empty,
// non-numeric, out-of-range, zero or negative text gives 0 (meaning "use 1
// and write 1 back").
int parseRoundCount(const QString &text);

} // namespace taviro
