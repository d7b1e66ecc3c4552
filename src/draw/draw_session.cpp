#include "draw_session.h"

#include "candidate_list.h"
#include "draw_messages.h"

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
    : m_randomiser(randomiser)
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

} // namespace

InitResult DrawSession::initialise(const QString &candidateFilePath, const DrawSeed &seed, const QList<Prize> &plan,
                                   const std::optional<ListChoices> &choices)
{
    InitResult result;
    if (isInitialised()) {
        result.kind = InitResult::Kind::AlreadyInitialised;
        return result;
    }

    CandidateFile file = readCandidateFile(candidateFilePath);
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
        result.message = msg::unreadable(file.error);
    } else if (file.status == Status::TooMany) {
        result.kind = InitResult::Kind::TooMany;
        result.message = msg::tooMany();
    } else if (counted && file.count < kMinCandidates) {
        result.kind = InitResult::Kind::TooFew;
        result.message = msg::tooFew();
    } else if (file.status == Status::TooLarge) {
        result.kind = InitResult::Kind::TooLarge;
        result.message = msg::tooLarge();
    } else if (file.status == Status::Undecodable) {
        result.kind = InitResult::Kind::Undecodable;
        result.message = msg::undecodable(file.badLine);
    } else if (file.status == Status::BadWorkbook) {
        result.kind = InitResult::Kind::BadWorkbook;
        result.message = msg::badWorkbook(QFileInfo(candidateFilePath).fileName(), file.error == QLatin1String("xls"));
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
            result.message = msg::listChangedWhileAsking(QFileInfo(candidateFilePath).fileName());
            return result;
        }
        const QList<LeftOutLine> leftOut = leftOutLines(result.questions, chosen);
        QVector<int> lineNumbers = keepTakingPart(file.lines, leftOut);
        const int n = int(file.lines.size());
        result.count = n;
        if (n < kMinCandidates || n > kMaxCandidates) {
            const bool few = n < kMinCandidates;
            result.kind = few ? InitResult::Kind::TooFew : InitResult::Kind::TooMany;
            result.message = few ? msg::tooFew() : msg::tooMany();
            return result;
        }
        m_randomiser.useSeed(seed);
        QVector<int> order = m_randomiser.genRndArray(n, n);
        if (order.size() != n) { // the generator refused: nothing changes
            result.kind = InitResult::Kind::Unreadable;
            result.message = msg::randomRefused();
            return result;
        }
        m_candidates = std::move(file.lines);
        m_lineNumbers = std::move(lineNumbers);
        m_leftOut = leftOut;
        m_heading = chosen.heading == ListChoices::Heading::LeftOut ? result.questions.heading : QStringList();
        m_list = {QFileInfo(candidateFilePath).fileName(), file.size, file.sha256, file.encoding, n, chosen};
        m_seed = seed;
        m_plan = plan;
        m_rollNames.clear();
        for (int line : sampleLineNumbers(n))
            m_rollNames.append(m_candidates.at(line - 1));
        m_drawn = QVector<bool>(n, false);
        m_remaining = n;
        m_perRound = 1;
        m_drawOrder = std::move(order);
        m_state = RoundState::Ready;
        result.kind = InitResult::Kind::Ready;
        result.label = msg::countLabel(n);
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

    const QVector<int> ranks = m_randomiser.genRndArray(m_remaining, count);
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
    m_rounds.append({drawnRounds + 1, count, m_log.nextNumber(), {}, QDateTime::currentDateTime(), nextPrize().name});
    m_state = RoundState::Rolling;
    result.kind = StartResult::Kind::Rolling;
    return result;
}

StartResult DrawSession::closeWithLastGroup()
{
    StartResult result;
    result.kind = StartResult::Kind::LastGroup;
    DrawRound group{0, m_remaining, m_log.nextNumber(), {}, QDateTime::currentDateTime(), nextPrize().name};
    result.appendedLog += logPrize(group.prize);
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
    countForPrize(int(group.winners.size()));
    m_rounds.append(group);
    result.message = msg::lastGroup(names);
    return result;
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
    m_randomiser.reshuffle(m_roundPicks);
    m_rounds.last().winners = m_roundPicks;
    result.appendedLog += logPrize(m_rounds.last().prize);
    countForPrize(int(m_roundPicks.size()));
    for (const QString &name : qAsConst(m_roundPicks))
        result.appendedLog += m_log.append(name);
    result.label = m_roundPicks.value(m_roundPicks.size() - 1);
    m_state = RoundState::Ready;
    return result;
}

NextPrize DrawSession::nextPrize() const
{
    if (m_prize >= m_plan.size())
        return {};
    return {m_plan.at(m_prize).name, m_plan.at(m_prize).count - m_prizeDrawn};
}

QString DrawSession::logPrize(const QString &prize)
{
    if (prize.isEmpty() || std::exchange(m_prizeLogged, true))
        return {};
    return m_log.appendPrize(prize);
}

void DrawSession::countForPrize(int winners)
{
    if (m_prize >= m_plan.size())
        return;
    // A round may draw fewer than the prize still needs (the organiser
    // changed the count): the next round goes on with the same prize.
    m_prizeDrawn += winners;
    if (m_prizeDrawn >= m_plan.at(m_prize).count) {
        ++m_prize;
        m_prizeDrawn = 0;
        m_prizeLogged = false;
    }
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
