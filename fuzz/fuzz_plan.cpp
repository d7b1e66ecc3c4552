// Fuzzes the prize plan's reading: any bytes give no plan, prizes whose lines read back as themselves and that come
// back whole from the record, or a refusal that names 奖项.txt and a line that is there, never line 0.
#include "fuzz.h"
#include "lists/prize_plan.h"
#include "output/draw_record.h"

#include <QBuffer>

using namespace taviro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const CandidateFile file = readCandidates(buffer);
    const PrizePlan plan = prizePlanOf(file, prizePlanFileName());
    using Status = PrizePlan::Status;
    check(plan.status != Status::None); // the file is there
    check((plan.status == Status::Ok) == plan.message.isEmpty());
    check(plan.message.isEmpty() || plan.message.contains(QStringLiteral("奖项.txt")));
    check(!plan.message.contains(QStringLiteral("第0行")));
    if (plan.status == Status::Malformed || plan.status == Status::Undecodable) {
        check(plan.badLine >= 1 && plan.badLine <= file.count);
        check(plan.message.contains(QStringLiteral("第%1行").arg(plan.badLine)));
    }
    if (plan.status == Status::Malformed) {
        Prize prize;
        check(!file.lines.at(plan.badLine - 1).trimmed().isEmpty()
              && !parsePrizeLine(file.lines.at(plan.badLine - 1), prize));
    }
    if (plan.status != Status::Ok) {
        check(plan.prizes.isEmpty());
        return 0;
    }
    check(plan.prizes.size() <= kMaxPrizes);
    for (const Prize &prize : plan.prizes) {
        Prize again;
        check(prize.count >= 1 && prize.count <= kMaxCandidates && !prize.name.isEmpty());
        check(parsePrizeLine(prize.name + QLatin1Char(' ') + QString::number(prize.count), again) && again == prize);
    }
    // The record keeps the plan as it was read, tabs and all.
    DrawRecord record;
    record.seed = DrawSeed::publicText(QStringLiteral("0"));
    record.list.sha256 = QByteArray(32, '\0');
    record.plan = plan.prizes;
    const ParsedRecord parsed = parseRecord(encodeRecord(record));
    check(parsed.ok && parsed.record.plan == plan.prizes);
    return 0;
}
