#include "print_service.h"

namespace taviro {

SaveOutcome printResults(const QString &logText, ListEncoding list, const QString &folder, PrintService &printer)
{
    SaveOutcome outcome = saveResults(logText, list, folder);
    if (outcome.ok)
        printer.printFile(outcome.path);
    return outcome;
}

} // namespace taviro
