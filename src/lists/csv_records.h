#pragma once

#include <QString>
#include <QStringList>

namespace taviro {

// The records of CSV text by RFC 4180, as Excel writes "CSV" and
// "CSV UTF-8": fields apart by commas, a field in double quotes may hold
// commas, line ends and doubled quotes. A record ends at a line end outside
// quotes (CR LF, LF or CR), and a line end at the very end adds none. Each
// record is given as a candidate's text: its fields joined by tabs, as Excel
// pastes a row, with a line end inside a field turned into a blank.
QStringList csvRecords(const QString &text);

} // namespace taviro
