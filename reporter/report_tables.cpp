// The table files of a report (report_tables.h). The files are written
// through standard streams over the system-call table, so every write, the
// pushing out of buffered rows and the close can be made to fail in tests.
#include "reporter/report_tables.h"

#include <cerrno>

#include "differ/support/file_stream.h"
#include "platform/sys/system_calls.h"
#include "reporter/report_messages.h"

namespace orv::report {

namespace {

struct TableKind {
  const char* extension;
  const char* columns;
};

constexpr TableKind kTables[kTableCount] = {
    {".txp", "ProjId, ProjName, ProjRev"},
    {".txm", "ProjId, MemberName, MemberType, Revision, ArchId"},
    {".txa",
     "ArchId, ArchiveName, Head, Branch, NumLocks, Strict, Format, Encrypted, Compressed, TotalRevs, "
     "Branches, BranchRevs, Comment, Description"},
    {".txx", "ArchId, UserId"},
    {".txs", "ArchId, RevNum, Symbol"},
    {".txr", "ArchId, RevNum, Date, Author, State, LinesAdded, LinesDeleted, Locker, LogMsg"},
};

void writeFailed(rptReport& r, TableFile& t, int error) {
  if (t.failed) return;
  t.failed = true;
  reportError(r, format(text::kWriting, t.path.c_str()), kSystemError, error);
}

}  // namespace

const char* tableExtension(Table t) { return kTables[t].extension; }
const char* columnLine(Table t) { return kTables[t].columns; }

int createTable(TableFile& table, Table which, const std::string& path) {
  // The path is kept only once the file is ours: a file that could not be
  // opened is never deleted.
  table.stream = orv::diffsup::open_stream(path.c_str(), orv::diffsup::StreamMode::kWriteTruncate);
  if (!table.stream) return errno;
  table.path = path;
  if (std::fputs(kTables[which].columns, table.stream) < 0 || std::fputc('\n', table.stream) == EOF) return errno;
  return 0;
}

bool writeRow(rptReport& r, Table t, std::string_view row) {
  TableFile& table = r.tables[t];
  errno = 0;
  if (std::fwrite(row.data(), 1, row.size(), table.stream) == row.size() && !std::ferror(table.stream)) return true;
  writeFailed(r, table, errno ? errno : EIO);
  return false;
}

void beginReportCall(rptReport& r) {
  for (TableFile& t : r.tables) t.failed = false;
}

bool flushTables(rptReport& r) {
  bool ok = true;
  for (TableFile& t : r.tables) {
    errno = 0;
    if (std::fflush(t.stream) == 0 && !std::ferror(t.stream)) continue;
    writeFailed(r, t, errno ? errno : EIO);
    ok = false;
  }
  return ok;
}

void closeTables(rptReport& r, bool keep) {
  for (TableFile& t : r.tables) {
    if (t.stream) {
      // Rows that were never pushed out (a report call pushes its own) go
      // now; a table that is to be kept must say when they could not.
      errno = 0;
      const bool closed = std::fclose(t.stream) == 0;
      t.stream = nullptr;
      if (!closed && keep) {
        t.failed = false;
        writeFailed(r, t, errno ? errno : EIO);
      }
    }
    if (!t.path.empty() && !keep) orv::sys::calls().unlink(t.path.c_str());
    t.path.clear();
  }
}

void Row::separate() {
  if (!line_.empty()) line_ += ", ";
}

Row& Row::number(long long value) {
  separate();
  line_ += std::to_string(value);
  return *this;
}

Row& Row::text(std::string_view value) {
  separate();
  line_ += '"';
  line_ += cleaned(value);
  line_ += '"';
  return *this;
}

const std::string& Row::finish() {
  line_ += '\n';
  return line_;
}

std::string cleaned(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\n' || c == '\r')
      c = ' ';
    else if (c == '"')
      c = '\'';
  }
  return out;
}

}  // namespace orv::report
