#pragma once

#include <QString>

namespace taviro {

// `taviro --verify 摇号记录.txt [LIST]`: the draw repeated from its record and
// its list, and the results file beside the record checked against both.
struct Verdict
{
    int status = 2; // 0 everything matches, 1 something differs, 2 the record cannot be read
    QString sentence; // one Chinese sentence saying which
};

// The list is LIST when given, else the recorded list's name beside the record.
Verdict verifyRecord(const QString &recordPath, const QString &listPath = {});

// `taviro --fingerprint [LIST]`: the line that names the list's fingerprint;
// status 2 when the list cannot be read.
Verdict fingerprintOf(const QString &listPath);

} // namespace taviro
