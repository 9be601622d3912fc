// The six table files of a report: their names and column lines, creating
// them, writing rows, pushing the rows out to the files at the end of each
// report call, closing and deleting them. Every write is checked; a failed
// one is reported once, as "Writing to file <path>" with the system's text.
#pragma once

#include <string>
#include <string_view>

#include "reporter/report_state.h"

namespace orv::report {

// ".txp", ".txm", ... in table order.
const char* tableExtension(Table t);
const char* columnLine(Table t);

// Creates (or empties) the table's file at path and writes its column line.
// 0, or the errno value of the failure (the table then stays closed).
int createTable(TableFile& table, Table which, const std::string& path);

// Appends one whole row (its line end included). False after a failure,
// which has been reported.
bool writeRow(rptReport& r, Table t, std::string_view row);

// Starts a report call: no write has failed in it yet.
void beginReportCall(rptReport& r);

// Pushes every table's rows to its file. False after a failure (reported,
// unless this report call has reported it already).
bool flushTables(rptReport& r);

// Closes every table, reporting a close that fails, and deletes the files
// unless keep is set.
void closeTables(rptReport& r, bool keep);

// A row under construction: values separated by ", ", texts quoted and
// cleaned, the line end added by finish().
class Row {
 public:
  Row& number(long long value);
  Row& text(std::string_view value);
  const std::string& finish();

 private:
  void separate();
  std::string line_;
};

// A value made safe for a row: carriage returns and line feeds become
// blanks and double quotes become single quotes, so the row stays one line
// and its quoting holds.
std::string cleaned(std::string_view value);

}  // namespace orv::report
