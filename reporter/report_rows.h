// The rows of the tables and the revision-library reads behind each value.
// A row writer answers 0 when its rows were written, a library code when a
// read failed (nothing of the row is written then), or kWriteFailed after
// it reported a failed write.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "reporter/report_state.h"
#include "vc/include/vc.h"

namespace orv::report {

inline constexpr int kWriteFailed = -1;

// Reads a text item of the library whole: read(buffer, length) is tried
// with 1,024 bytes and again with the length the library asks for when that
// is too short. The library's code; out holds the text read.
template <class Read>
int libraryText(std::string& out, Read&& read) {
  std::vector<char> buffer(1024);
  int rc = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    buffer[0] = '\0';
    rc = read(buffer.data(), static_cast<int>(buffer.size()));
    if (rc != VC_E_BUFFER_TOO_SMALL) break;
    const int needed = vcBufferLenQ();
    if (needed <= static_cast<int>(buffer.size())) break;
    buffer.assign(static_cast<std::size_t>(needed), '\0');
  }
  out.assign(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
  return rc;
}

// .txp: the project's row, with the revision its file records. A failed
// read is reported here and answers kWriteFailed, as the walk stops on it
// without a message of its own.
int writeProjectRow(rptReport& r, int project, const std::string& name, int id);
// .txm: one member of a project.
int writeMemberRow(rptReport& r, int projectId, const std::string& member, char type,
                   const std::string& revision, int id);
// .txa: the archive's header.
int writeHeaderRow(rptReport& r, int archive, const std::string& name, int id);
// .txx: one row per access-list entry (none for an empty list).
int writeAccessRows(rptReport& r, int archive, int id);
// .txr: one revision.
int writeRevisionRow(rptReport& r, int archive, const std::string& revision, int id);
// .txs: one row per symbolic name.
int writeSymbolRows(rptReport& r, int archive, int id);

}  // namespace orv::report
