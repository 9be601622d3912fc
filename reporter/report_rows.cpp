// The rows of the report tables (report_rows.h): each value read through
// the revision library's items, in column order.
#include "reporter/report_rows.h"

#include <cstdint>
#include <cstdlib>

#include "reporter/report_messages.h"
#include "reporter/report_tables.h"

namespace orv::report {

namespace {

// Room for one entry of a list item (a name, a blank and a revision).
constexpr int kEntrySize = 4096;

int written(rptReport& r, Table t, Row& row) { return writeRow(r, t, row.finish()) ? 0 : kWriteFailed; }

// A one-byte item; the preset stays when the library writes nothing.
int byteItem(int archive, int item, int preset) {
  char value = static_cast<char>(preset);
  vcGetArchiveInfo(archive, item, &value, 1);
  return static_cast<unsigned char>(value);
}

// A 32-bit count item; 0 when the library writes nothing.
std::uint32_t countItem(int archive, int item) {
  char bytes[4] = {};
  vcGetArchiveInfo(archive, item, bytes, sizeof bytes);
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

const char* formatName(int format) {
  switch (format) {
    case VC_STORAGE_TEXT: return "text";
    case VC_STORAGE_BINARY: return "binary";
    default: return "auto-detect";
  }
}

// The digits that follow the first `sign` of text (after `from`); 0 when
// there are none.
unsigned long long countAfter(const std::string& text, char sign, std::size_t& from) {
  const std::size_t at = text.find(sign, from);
  if (at == std::string::npos) return 0;
  char* end = nullptr;
  const unsigned long long n = std::strtoull(text.c_str() + at + 1, &end, 10);
  from = static_cast<std::size_t>(end - text.c_str());
  return n;
}

// A date with a two-digit year ("96/03/09 01:11:44") gets its century.
std::string fullYear(const std::string& date) {
  return date.find('/') == 2 ? "19" + date : date;
}

}  // namespace

int writeProjectRow(rptReport& r, int project, const std::string& name, int id) {
  std::string revision;
  if (int rc = libraryText(revision,
                           [&](char* b, int n) { return vcGetProject(project, VC_PROJECT_ITEM_REVISION, b, n); })) {
    reportError(r, format(text::kProjectRevision, name.c_str()), rc);
    return kWriteFailed;
  }
  Row row;
  row.number(id).text(name).text(revision);
  return written(r, kProjects, row);
}

int writeMemberRow(rptReport& r, int projectId, const std::string& member, char type,
                   const std::string& revision, int id) {
  Row row;
  row.number(projectId).text(member).text(std::string_view(&type, type ? 1 : 0)).text(revision).number(id);
  return written(r, kMembers, row);
}

int writeHeaderRow(rptReport& r, int archive, const std::string& name, int id) {
  std::string head, branch, comment, description;
  if (int rc = libraryText(head, [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_HEAD, b, n); }))
    return rc;
  if (int rc = libraryText(
          branch, [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_DEFAULT_BRANCH, b, n); }))
    return rc;
  int locks = 0;
  std::vector<char> entry(kEntrySize);
  while (vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_LOCK, entry.data(), kEntrySize) == 0) ++locks;
  const int strict = byteItem(archive, VC_ARCHIVE_ITEM_STRICT_LOCKING, 0);
  const int format = byteItem(archive, VC_ARCHIVE_ITEM_STORAGE, VC_STORAGE_UNSTATED);
  const int encrypted = byteItem(archive, VC_ARCHIVE_ITEM_ENCRYPTED, 0);
  const int compressed = byteItem(archive, VC_ARCHIVE_ITEM_COMPRESSION, 0);
  const std::uint32_t total = countItem(archive, VC_ARCHIVE_ITEM_REVISION_COUNT);
  const std::uint32_t branches = countItem(archive, VC_ARCHIVE_ITEM_BRANCH_COUNT);
  const std::uint32_t branchRevisions = countItem(archive, VC_ARCHIVE_ITEM_BRANCH_REVISION_COUNT);
  if (int rc = libraryText(comment,
                           [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_COMMENT, b, n); }))
    return rc;
  libraryText(description,
              [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_DESCRIPTION, b, n); });

  Row row;
  row.number(id).text(name).text(head).text(branch).number(locks).number(strict).text(formatName(format));
  row.number(encrypted).number(compressed).number(total).number(branches).number(branchRevisions);
  row.text(comment).text(description);
  return written(r, kArchives, row);
}

int writeAccessRows(rptReport& r, int archive, int id) {
  std::vector<char> entry(kEntrySize);
  for (;;) {
    const int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_ACCESS, entry.data(), kEntrySize);
    if (rc == VC_E_DONE || rc == VC_E_ACCESS_LIST_EMPTY) return 0;
    if (rc) return rc;
    Row row;
    row.number(id).text(entry.data());
    if (int w = written(r, kAccess, row)) return w;
  }
}

int writeRevisionRow(rptReport& r, int archive, const std::string& revision, int id) {
  const char* rev = revision.c_str();
  auto item = [&](int number, std::string& out) {
    return libraryText(out, [&](char* b, int n) { return vcGetRevInfo(archive, number, rev, b, n); });
  };
  std::string date, author, state, counts, locker, log;
  if (int rc = item(VC_REVISION_ITEM_DATE, date)) return rc;
  if (int rc = item(VC_REVISION_ITEM_AUTHOR, author)) return rc;
  if (int rc = item(VC_REVISION_ITEM_STATE, state)) return rc;
  if (int rc = item(VC_REVISION_ITEM_CHANGE_COUNTS, counts)) return rc;
  std::size_t at = 0;
  const unsigned long long added = countAfter(counts, '+', at);
  const unsigned long long deleted = countAfter(counts, '-', at);
  const int lockRc = libraryText(
      locker, [&](char* b, int n) { return vcGetIdArchiveInfo(archive, VC_ARCHIVE_ITEM_LOCKER, rev, b, n); });
  if (lockRc == VC_E_REVISION_NOT_LOCKED)
    locker.clear();
  else if (lockRc)
    return lockRc;
  item(VC_REVISION_ITEM_LOG, log);

  Row row;
  row.number(id).text(revision).text(fullYear(date)).text(author).text(state);
  row.number(static_cast<long long>(added)).number(static_cast<long long>(deleted));
  row.text(locker).text(log);
  return written(r, kRevisions, row);
}

int writeSymbolRows(rptReport& r, int archive, int id) {
  std::vector<char> entry(kEntrySize);
  for (;;) {
    const int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_LABEL, entry.data(), kEntrySize);
    if (rc == VC_E_DONE) return 0;
    if (rc) return rc;
    const std::string text = entry.data();
    const std::size_t blank = text.find(' ');
    Row row;
    row.number(id);
    if (blank == std::string::npos)
      row.text("").text(text);
    else
      row.text(text.substr(blank + 1)).text(text.substr(0, blank));
    if (int w = written(r, kSymbols, row)) return w;
  }
}

}  // namespace orv::report
