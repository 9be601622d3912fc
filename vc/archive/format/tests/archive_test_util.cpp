#include "vc/archive/format/tests/archive_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/archive_writer.h"

namespace vc::archive::test {

std::string fixtureDir() {
  const char* d = std::getenv("ORV_TEST_DATA");
  return std::string(d && *d ? d : ORV_TEST_DATA_DIR) + "/archives";
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string writeToString(ArchiveFile& a, int& rc, bool century) {
  StringSink sink;
  WriteResult result;
  WriteOptions opts;
  opts.century = century;
  rc = writeArchive(a, sink, opts, result);
  return sink.text;
}

std::string dumpTexts(ArchiveFile& a) {
  std::string out;
  for (DeltaRecord* d : textOrder(a)) {
    std::string log, text;
    EXPECT_EQ(0, loadText(a, d->log, log)) << d->revision;
    EXPECT_EQ(0, loadText(a, d->text, text)) << d->revision;
    out += d->revision + "/log=" + log + "|" + d->revision + "/text=" + text + "|";
    for (const ExtAttribute& x : d->ext) out += x.name + (x.isReference ? "->" + x.revision : "=" + x.data) + "|";
  }
  return out;
}

}  // namespace vc::archive::test
