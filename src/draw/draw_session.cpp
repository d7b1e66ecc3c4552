#include "draw_session.h"

#include "lists/candidate_list.h"
#include "draw_messages.h"
#include "lists/list_messages.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace taviro {

int parseRoundCount(const QString &text)
{
    bool ok = false;
    const short value = text.trimmed().toShort(&ok, 10);
    return ok && value >= 1 ? value : 0;
}

DrawSession::DrawSession(DrawRandomiser &randomiser)
    : m_randomiser(&randomiser)
{}

namespace {

// Drops the lines left out from `lines`; gives the line numbers of those kept.
QVector<int> keepTakingPart(QStringList &lines, const QList<LeftOutLine> &leftOut)
{
    QStringList kept;
    QVector<int> numbers;
    for (int i = 0, next = 0; i < lines.size(); ++i) {
        if (next < leftOut.size() && leftOut.at(next).line == i + 1) {
            ++next;
            continue;
        }
        kept.append(std::move(lines[i]));
        numbers.append(i + 1);
    }
    lines = std::move(kept);
    return numbers;
}

// Lines given by a record: in order, each once, in the list and not left out already.
bool linesFit(const QVector<int> &lines, qsizetype count, const QList<LeftOutLine> &leftOut)
{
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i] < 1 || lines[i] > count || (i > 0 && lines[i] <= lines[i - 1])
            || std::any_of(leftOut.cbegin(), leftOut.cend(), [&](const LeftOutLine &l) { return l.line == lines[i]; }))
            return false;
    return true;
}

} // namespace

InitResult DrawSession::initialise(const QString &candidateFilePath, const DrawSeed &seed, const QList<Prize> &plan,
                                   const std::optional<ListChoices> &choices, const Exclusion &exclusion)
{
    InitResult result;
    if (isInitialised()) {
        result.kind = InitResult::Kind::AlreadyInitialised;
        return result;
    }

    CandidateFile file = readCandidateFile(candidateFilePath);
    const QString fileName = QFileInfo(candidateFilePath).fileName(); // the messages name the file read
    result.count = file.count;
    result.listSha256 = file.sha256;
    using Status = CandidateFile::Status;
    const bool counted =
        file.status == Status::Ok || file.status == Status::TooLarge || file.status == Status::Undecodable;
    if (file.status == Status::Missing) {
        result.kind = InitResult::Kind::Missing;
        result.message = msg::missingFile();
    } else if (file.status == Status::Unreadable) {
        result.kind = InitResult::Kind::Unreadable;
        result.message = msg::unreadable(fileName, file.error);
    } else if (file.status == Status::TooMany) {
        result.kind = InitResult::Kind::TooMany;
        result.message = file.farthestCell.isEmpty() ? msg::tooMany() : msg::sheetTooLong(fileName, file.farthestCell);
    } else if (file.status == Status::TooLarge && !file.farthestCell.isEmpty()) {
        result.kind = InitResult::Kind::TooLarge;
        result.message = msg::sheetTooWide(fileName, file.farthestCell, file.columns);
    } else if (counted && file.count < kMinCandidates) {
        result.kind = InitResult::Kind::TooFew;
        result.message = msg::tooFew();
    } else if (file.status == Status::TooLarge) {
        result.kind = InitResult::Kind::TooLarge;
        result.message = msg::tooLarge(fileName);
    } else if (file.status == Status::Undecodable) {
        result.kind = InitResult::Kind::Undecodable;
        result.message = msg::undecodable(fileName, file.badLine);
    } else if (file.status == Status::BadWorkbook) {
        result.kind = InitResult::Kind::BadWorkbook;
        result.message = msg::badWorkbook(fileName, file.error == QLatin1String("xls"));
    } else {
        // The questions are asked of the bytes read here, and the answers
        // checked against them, so that the lines left out are those of the
        // bytes the record names, even when the list changed in between.
        result.questions = listQuestions(file.lines, file.tabular);
        const ListChoices chosen = choices.value_or(ListChoices());
        if (!choices && result.questions.any()) {
            result.kind = InitResult::Kind::Questions;
            return result;
        }
        if (chosen.stated && !chosen.fit(result.questions)) {
            result.kind = InitResult::Kind::ChoicesDoNotFit;
            result.message = msg::listChangedWhileAsking(fileName);
            return result;
        }
        QList<LeftOutLine> leftOut = leftOutLines(result.questions, chosen);
        // Earlier winners go the way of a heading: the draw order is made over
        // the candidates that take part.
        Exclusion excluded = exclusion;
        if (!excluded.texts.isEmpty())
            excluded.lines = excludedLines(file.lines, leftOut, excluded.texts);
        else if (!linesFit(excluded.lines, file.lines.size(), leftOut)) {
            result.kind = InitResult::Kind::ChoicesDoNotFit;
            result.message = msg::listChangedWhileAsking(fileName);
            return result;
        }
        excluded.texts.clear(); // the record keeps their count and SHA-256
        leftOut = withExcluded(leftOut, excluded.lines);
        QVector<int> lineNumbers = keepTakingPart(file.lines, leftOut);
        const int n = int(file.lines.size());
        result.count = n;
        if (n < kMinCandidates || n > kMaxCandidates) {
            const bool few = n < kMinCandidates;
            result.kind = few ? InitResult::Kind::TooFew : InitResult::Kind::TooMany;
            result.message = few ? msg::tooFew() : msg::tooMany();
            return result;
        }
        m_randomiser->useSeed(seed);
        QVector<int> order = m_randomiser->genRndArray(n, n);
        if (order.size() != n) { // the generator refused: nothing changes
            result.kind = InitResult::Kind::Unreadable;
            result.message = msg::randomRefused();
            return result;
        }
        m_candidates = std::move(file.lines);
        m_lineNumbers = std::move(lineNumbers);
        m_leftOut = leftOut;
        m_heading = chosen.heading == ListChoices::Heading::LeftOut ? result.questions.heading : QStringList();
        m_list = {fileName, file.size, file.sha256, file.encoding, n, chosen, excluded};
        m_seed = seed;
        m_plan = plan;
        m_prizeWon = QVector<int>(int(plan.size()), 0);
        m_rollNames.clear();
        for (int line : sampleLineNumbers(n))
            m_rollNames.append(m_candidates.at(line - 1));
        m_drawn = QVector<bool>(n, false);
        m_remaining = n;
        m_perRound = 1;
        m_drawOrder = std::move(order);
        m_state = RoundState::Ready;
        result.kind = InitResult::Kind::Ready;
        const int out = int(excluded.lines.size());
        result.label = excluded.any() ? msg::countLabelExcluding(n + out, out) : msg::countLabel(n);
    }
    return result;
}

StartResult DrawSession::start(const QString &countText)
{
    StartResult result;
    if (m_state == RoundState::Rolling) {
        result.kind = StartResult::Kind::AlreadyRolling;
        return result;
    }
    if (m_state == RoundState::RevealPending) {
        result.kind = StartResult::Kind::RevealPending;
        return result;
    }
    if (m_remaining == 0) {
        result.kind = StartResult::Kind::Exhausted;
        result.message = msg::exhausted();
        return result;
    }
    if (planDone() && !m_beyondPlan) {
        result.kind = StartResult::Kind::PlanDone;
        return result;
    }
    // The last-group test uses the count of the previous round.
    if (m_remaining <= m_perRound)
        return closeWithLastGroup();

    int count = parseRoundCount(countText);
    if (count == 0) {
        count = 1;
        result.countTextToWrite = QStringLiteral("1");
    }
    if (m_remaining < count) {
        // A prize that needs more winners than are left takes them all, as
        // the last group under its heading.
        if (nextPrize().count >= m_remaining)
            return closeWithLastGroup();
        // A refused count is not kept: the next start tests against the
        // previous round's count, as if this request had never been made.
        result.kind = StartResult::Kind::Refused;
        result.message = msg::countTooLarge();
        return result;
    }

    const QVector<int> ranks = m_randomiser->genRndArray(m_remaining, count);
    if (ranks.size() != count) {
        result.kind = StartResult::Kind::Refused;
        result.message = msg::randomRefused();
        return result;
    }

    // Rank r stands for the r-th undrawn candidate along the draw order.
    QVector<int> undrawn;
    undrawn.reserve(m_remaining);
    for (int p = 0; p < m_drawn.size(); ++p)
        if (!m_drawn[p])
            undrawn.append(p);
    QVector<int> positions;
    positions.reserve(count);
    for (int rank : ranks)
        positions.append(undrawn.at(rank - 1));

    // The round's winners in the order of their lines in the file.
    std::sort(positions.begin(), positions.end(), [this](int a, int b) { return m_drawOrder[a] < m_drawOrder[b]; });
    m_roundPicks.clear();
    m_roundPicks.reserve(count);
    for (int p : positions) {
        m_roundPicks.append(m_candidates.at(m_drawOrder[p] - 1));
        m_drawn[p] = true;
    }
    m_remaining = static_cast<int>(std::count(m_drawn.cbegin(), m_drawn.cend(), false));
    m_perRound = count;
    const int drawnRounds = static_cast<int>(m_rounds.size()); // a last group ends the draw, so all are drawn rounds
    const int prize = nextPrizeIndex();
    m_rounds.append(
        {drawnRounds + 1, count, m_log.nextNumber(), {}, QDateTime::currentDateTime(), prizeName(prize), prize});
    m_state = RoundState::Rolling;
    result.kind = StartResult::Kind::Rolling;
    return result;
}

StartResult DrawSession::closeWithLastGroup()
{
    StartResult result;
    result.kind = StartResult::Kind::LastGroup;
    const int prize = nextPrizeIndex();
    DrawRound group{0, m_remaining, m_log.nextNumber(), {}, QDateTime::currentDateTime(), prizeName(prize), prize};
    result.appendedLog += logPrize(prize);
    QString names;
    for (int p = 0; p < m_drawn.size(); ++p) {
        if (m_drawn[p])
            continue;
        const QString &text = m_candidates.at(m_drawOrder[p] - 1);
        names += QLatin1Char('|');
        names += text;
        result.appendedLog += m_log.append(text);
        group.winners.append(text);
        m_drawn[p] = true;
        --m_remaining;
    }
    countForPrize(prize, int(group.winners.size()));
    m_rounds.append(group);
    result.message = msg::lastGroup(names);
    return result;
}

void DrawSession::keepTimesOf(const QList<DrawRound> &recorded)
{
    for (int i = 0; i < m_rounds.size() && i < recorded.size(); ++i)
        m_rounds[i].at = recorded.at(i).at;
}

QString DrawSession::stop()
{
    if (m_state != RoundState::Rolling)
        return QString();
    m_state = RoundState::RevealPending;
    return m_roundPicks.value(0);
}

RevealResult DrawSession::reveal()
{
    RevealResult result;
    if (m_state != RoundState::RevealPending)
        return result;
    m_randomiser->reshuffle(m_roundPicks);
    m_rounds.last().winners = m_roundPicks;
    result.appendedLog += logPrize(m_rounds.last().prizeIndex);
    countForPrize(m_rounds.last().prizeIndex, int(m_roundPicks.size()));
    for (const QString &name : qAsConst(m_roundPicks))
        result.appendedLog += m_log.append(name);
    result.label = m_roundPicks.value(m_roundPicks.size() - 1);
    m_state = RoundState::Ready;
    return result;
}

NextPrize DrawSession::nextPrize() const
{
    const int index = nextPrizeIndex();
    if (index >= m_plan.size())
        return {};
    return {m_plan.at(index).name, m_plan.at(index).count - m_prizeWon.at(index)};
}

// A prize whose winner forfeited needs one more: the next round goes back to
// it, whichever prize came after it.
int DrawSession::nextPrizeIndex() const
{
    for (int i = 0; i < m_plan.size(); ++i)
        if (m_prizeWon.at(i) < m_plan.at(i).count)
            return i;
    return int(m_plan.size());
}

bool DrawSession::planDone() const { return !m_plan.isEmpty() && nextPrizeIndex() == m_plan.size(); }

QString DrawSession::beyondPlanName() { return QStringLiteral("奖项外"); }

QString DrawSession::prizeName(int index) const
{
    if (m_plan.isEmpty())
        return {};
    return index < m_plan.size() ? m_plan.at(index).name : beyondPlanName();
}

QString DrawSession::logPrize(int index)
{
    if (m_plan.isEmpty() || std::exchange(m_loggedPrize, index) == index)
        return {};
    return m_log.appendPrize(prizeName(index));
}

// A round may draw fewer than the prize still needs (the organiser changed
// the count): the next round goes on with the same prize.
void DrawSession::countForPrize(int index, int winners)
{
    if (index >= 0 && index < m_prizeWon.size())
        m_prizeWon[index] += winners;
}

const DrawRound *DrawSession::roundOf(int entry) const
{
    for (const DrawRound &round : m_rounds)
        if (entry >= round.firstEntry && entry < round.firstEntry + round.winners.size())
            return &round;
    return nullptr;
}

// The entry a forfeit or its taking back is about: its text, its prize and
// its line; NotAWinner when there is no such entry.
ForfeitResult DrawSession::entryFacts(int number) const
{
    ForfeitResult result;
    if (const DrawRound *round = roundOf(number)) {
        result.kind = ForfeitResult::Kind::Done;
        result.winner = round->winners.at(number - round->firstEntry);
        result.prize = round->prizeIndex < m_plan.size() ? round->prize : QString();
        result.line = m_log.lineOf(number);
    }
    return result;
}

ForfeitResult DrawSession::forfeit(int number, const QDateTime &at)
{
    ForfeitResult result = entryFacts(number);
    if (result.kind == ForfeitResult::Kind::NotAWinner)
        return result;
    if (m_state != RoundState::Ready) {
        result.kind = ForfeitResult::Kind::Busy;
    } else if (!m_log.markForfeit(number, true)) {
        result.kind = ForfeitResult::Kind::AlreadyForfeit;
    } else {
        countForPrize(roundOf(number)->prizeIndex, -1);
        m_forfeits.append({number, at, int(m_rounds.size())});
    }
    return result;
}

bool DrawSession::canTakeBack(int number) const
{
    return m_state == RoundState::Ready && !m_forfeits.isEmpty() && m_log.isForfeit(number)
        && std::any_of(m_forfeits.cbegin(), m_forfeits.cend(),
                       [&](const Forfeit &f) { return f.entry == number && f.afterRounds == m_rounds.size(); });
}

ForfeitResult DrawSession::takeBackForfeit(int number)
{
    ForfeitResult result = entryFacts(number);
    if (result.kind == ForfeitResult::Kind::NotAWinner)
        return result;
    if (!m_log.isForfeit(number)) {
        result.kind = ForfeitResult::Kind::AlreadyForfeit;
    } else if (!canTakeBack(number)) {
        result.kind = m_state == RoundState::Ready ? ForfeitResult::Kind::TooLate : ForfeitResult::Kind::Busy;
    } else {
        m_log.markForfeit(number, false);
        countForPrize(roundOf(number)->prizeIndex, 1);
        m_forfeits.erase(
            std::find_if(m_forfeits.begin(), m_forfeits.end(), [&](const Forfeit &f) { return f.entry == number; }));
    }
    return result;
}

QString DrawSession::rollTick()
{
    if (m_rollNames.isEmpty())
        return QString();
    const QString name = m_rollNames.at(m_rollIndex - 1);
    m_rollIndex = m_rollIndex < m_rollNames.size() ? m_rollIndex + 1 : 1;
    return name;
}

} // namespace taviro
