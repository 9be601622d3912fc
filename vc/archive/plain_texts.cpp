// The plain texts of an archive's text records, loaded for the information
// items (see plain_texts.h).
#include "vc/archive/plain_texts.h"

#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "vc/instance/instance.h"

namespace vc {

int plainText(VcInstance& inst, VcArchive& a, const vc::archive::TextRecord& t, std::string& out) {
  std::string stored;
  if (int rc = vc::archive::loadText(a.file, t, stored)) return fail(inst, rc);
  out = vc::archive::undoubleAt(stored);
  return 0;
}

int archiveText(VcInstance& inst, VcArchive& a, const vc::archive::TextRecord& t, char* buf, int len) {
  std::string plain;
  if (int rc = plainText(inst, a, t, plain)) return rc;
  return copyResult(&inst, plain, buf, len);
}

}  // namespace vc
