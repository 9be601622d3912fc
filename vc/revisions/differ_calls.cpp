// Differencer calls and file comparison (see differ_calls.h).
#include "vc/revisions/differ_calls.h"

#include "vc/archive/archive_handles.h"
#include <cerrno>

#include "vc/error_codes.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "differ/include/orv/bincmp32.h"
#include "differ/include/orv/txtcmp32.h"
#include "differ/bincmp/bin_diff.h"
#include "differ/txtcmp/text_diff.h"

#include <cstring>
#include <string>
#include <vector>

namespace vc {
namespace {

constexpr int kMaxOptionWords = 14;
constexpr int kMessageSize = 2048;

void copyText(const std::string& text, char* buf, int len) {
  if (!buf || len < 1) return;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(len - 1));
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
}

// The text of a file read in text mode: CR LF comes as LF.
std::string asText(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
  return out;
}

}  // namespace

int runDiffer(VcInstance& inst, bool binary, const char* options, const char* file1, const char* file2,
              const char* out, char* errbuf, int errlen) {
  std::vector<std::string> words{binary ? "diffb" : "diff"};
  if (options) {
    const char* p = options;
    while (*p && static_cast<int>(words.size()) <= kMaxOptionWords) {
      while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
      const char* start = p;
      while (*p && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') ++p;
      if (p > start) words.emplace_back(start, p);
    }
  } else {
    words.emplace_back(binary ? "-n" : "-Hn");
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  const int argc = static_cast<int>(argv.size());
  const int rc = binary ? DiffBFile(argc, argv.data(), file1, file2, out)
                        : DiffFile(argc, argv.data(), file1, file2, out);
  if (rc == 0) return 0;
  if (rc == 1 || rc == 256) return err::kFilesDiffer;  // the differencer's "different"
  inst.extraError = rc;
  if (errbuf && errlen > 0) {
    char message[kMessageSize] = {};
    if (binary)
      DiffBError(message, sizeof message);
    else
      DiffError(message, sizeof message);
    copyText(message, errbuf, errlen);
  }
  return err::kDiffFailed;
}

int diffTexts(VcInstance& inst, std::string_view from, std::string_view to, std::string& script, bool& changed) {
  orv::txtcmp::TextDiffOptions options;  // -n
  options.fallback = true;                // -H
  orv::txtcmp::StringSink out;
  const int rc = orv::txtcmp::diff_texts(from, to, options, out);
  if (rc != 0 && rc != 1) return fail(inst, err::kDiffFailed, rc);
  changed = rc == 1;
  script = std::move(out.text);
  return 0;
}

int diffBytes(VcInstance& inst, std::string_view from, std::string_view to, std::string& script, bool& changed) {
  orv::bincmp::BinOptions options;
  options.rcs = true;  // -n
  orv::diffsup::StringSink out;
  const int rc = orv::bincmp::diff_bytes(from, to, options, out);
  if (rc != 0 && rc != 1) return fail(inst, err::kDiffFailed, rc);
  changed = rc == 1;
  script = std::move(out.text);
  return 0;
}

int compareFiles(VcInstance* inst, bool binary, const char* file1, const char* file2, char* errbuf, int errlen) {
  std::string a, b;
  for (auto [name, bytes] : {std::pair{file1, &a}, std::pair{file2, &b}}) {
    if (int e = orv::sys::readWholeFile(name, *bytes)) {
      copyText(name, errbuf, errlen);
      return inst ? fail(*inst, err::kCannotOpenWorkFile, e) : err::kCannotOpenWorkFile;
    }
  }
  if (binary) return a == b ? 0 : err::kFilesDiffer;
  return asText(a) == asText(b) ? 0 : err::kFilesDiffer;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcFindDiff(int archive, const char* options, const char* file1, const char* file2,
                          const char* output, char* errbuf, int errlen) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(*inst, archive, a)) return fail(*inst, rc);
    if (!file1 || !file2 || !output) return fail(*inst, err::kBadArgument);
    if (int rc = readArchiveHeader(*inst, *a)) return rc;
    const bool binary = (a->file.flags & vc::archive::kFlagBinary) != 0;
    return runDiffer(*inst, binary, options, file1, file2, output, errbuf, errlen);
  });
}

VC_API VcError vcFindFileDiff(int binary, const char* options, const char* file1, const char* file2,
                              const char* output, char* errbuf, int errlen) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!file1 || !file2 || !output) return fail(*inst, err::kBadArgument);
    return runDiffer(*inst, binary != 0, options, file1, file2, output, errbuf, errlen);
  });
}

VC_API VcError vcCmpFiles(int binary, const char* file1, const char* file2, char* errbuf, int errlen) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!file1 || !file2) return fail(*inst, err::kBadArgument);
    return compareFiles(inst, binary != 0, file1, file2, errbuf, errlen);
  });
}

}  // extern "C"
