#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/compression_status.h"
#include "vc/tests/support_kel_double.h"
#include "vc/instance/message_catalogue.h"
#include "vc/security/security_state.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string errorStr(int code, int len = 1024) {
  std::string buf(static_cast<std::size_t>(len), '\x7f');
  int rc = vcErrorStr(code, buf.data(), len);
  if (rc != 0) return "<rc " + std::to_string(rc) + ">";
  return buf.c_str();
}

std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

const std::string kAdvice =
    "Contact your system administrator, or see the Orv Tessalyworkbench\ndocumentation for more "
    "information.";

}  // namespace

// Every catalogue entry, transcribed independently into messages.tsv.
TEST(Messages, EveryCatalogueTextIsExact) {
  std::ifstream in(std::string(VC_TEST_SOURCE_DIR) + "/messages.tsv");
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    std::size_t tab = line.find('\t');
    int id = std::stoi(line.substr(0, tab));
    std::string text = unescape(line.substr(tab + 1));
    const char* got = vc::catalogueText(id);
    ASSERT_NE(got, nullptr) << id;
    EXPECT_EQ(got, text) << id;
    ++n;
  }
  EXPECT_EQ(n, 207);
}

TEST(Messages, CodeTexts) {
  struct {
    int code;
    std::string expected;
  } cases[] = {
      {0, "Success"},
      {7, "Invalid archive handle"},
      {150, "Total catastrophe.."},
      {-1, "Total catastrophe.."},
      {104, "Total catastrophe.."},
      {200, "Total catastrophe.."},
      {279, "Total catastrophe.."},
      {86, ""},  // a code without text
      {201, "VC LIB cannot allocate local memory"},
      {234, "No message"},
      {243, "You do not have permission to modify this archive.\n" + kAdvice},
      {264, "\n" + kAdvice},
  };
  for (auto& c : cases) EXPECT_EQ(errorStr(c.code), c.expected) << c.code;
}

TEST(Messages, CompressorDetail) {
  vc::compressionStatus().decompressError = "637##";
  vc::compressionStatus().decompressFileBits = 18;
  EXPECT_EQ(errorStr(22), "compressed with 18 bits, can only handle 16 bits");
  vc::compressionStatus().decompressError = "639##";
  EXPECT_EQ(errorStr(22), "compressed file is corrupt");
  vc::compressionStatus().compressError = "4833##";
  EXPECT_EQ(errorStr(23), "bits must be 13-15, level must be 1-9");
  vc::compressionStatus().compressError = "9999##";
  EXPECT_EQ(errorStr(23), "Can't find message in catalog");
  vc::compressionStatus() = vc::CompressionStatus{};
}

TEST(Messages, CatalogueReferences) {
  EXPECT_EQ(vc::resolveCatalogueReference("4338##"), "Scanning %s");
  EXPECT_EQ(vc::resolveCatalogueReference("12##"), "Internal buffer length exceeded");
  EXPECT_EQ(vc::resolveCatalogueReference("86##"), "Can't find message in catalog");
  EXPECT_EQ(vc::resolveCatalogueReference("12#"), "12#");
  EXPECT_EQ(vc::resolveCatalogueReference("##"), "##");
  EXPECT_EQ(vc::resolveCatalogueReference("plain text"), "plain text");
}

TEST(Messages, BufferLimits) {
  const std::string text = "Invalid archive handle";  // code 7
  std::string buf(64, 'x');
  EXPECT_EQ(vcErrorStr(7, buf.data(), static_cast<int>(text.size()) + 1), 0);
  EXPECT_EQ(std::string(buf.c_str()), text);
  std::string untouched(64, 'x');
  EXPECT_EQ(vcErrorStr(7, untouched.data(), static_cast<int>(text.size())), vc::err::kBufferTooSmall);
  EXPECT_EQ(untouched, std::string(64, 'x'));  // nothing written
  EXPECT_EQ(vcErrorStr(7, untouched.data(), 5), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcErrorStr(7, nullptr, 10), vc::err::kBadArgument);
  EXPECT_EQ(vcErrorStr(7, untouched.data(), 0), vc::err::kBufferTooSmall);
}

TEST(Messages, RefusalCarriesTheSecurityDatabaseText) {
  useKelDouble();
  ASSERT_EQ(vcAPIinit(), 0);
  vc::securityOf(*vc::currentInstance()).error = 201;
  EXPECT_EQ(errorStr(243),
            "You do not have permission to modify this archive.\n\nCannot open Orv Kelmark "
            "database\n\n" + kAdvice);
  // Codes below 235 never carry it.
  EXPECT_EQ(errorStr(204), "Cannot lock file");
  int needed = vcBufferLenQ();
  char small[8];
  EXPECT_EQ(vcErrorStr(243, small, sizeof small), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcBufferLenQ(), needed);  // no needed length is kept
  EXPECT_EQ(vcAPIcleanup(), 0);
}
