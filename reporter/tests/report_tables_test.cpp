// The parts under the walks: the error texts, cleaning and rows, the id
// table's keys, and writes that fail - at the end of a report call, in the
// middle of one, and when rptTerminate closes the tables.
#include <cerrno>

#include "platform/sys/fault_injection.h"
#include "reporter/report_ids.h"
#include "reporter/report_messages.h"
#include "reporter/report_state.h"
#include "reporter/report_tables.h"
#include "reporter/tests/report_test_support.h"

namespace {

using namespace reporttest;
using namespace orv::report;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;

TEST(ReportTextTest, ErrorTexts) {
  useKelDouble();
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(errorText("Cannot open data file x", kSystemError, ENOENT), "@Cannot open data file x\nNo such file or directory");
  EXPECT_EQ(errorText("Initializing: cannot allocate sufficient memory", kNoDetail, 0),
            "@Initializing: cannot allocate sufficient memory");
  EXPECT_EQ(errorText("Validating arguments", VC_E_BAD_ARGUMENT, 0), "@Validating arguments\n Invalid argument");
  // From VC_E_NO_MEMORY on the library's extra error follows when there is one.
  int h = 0;
  EXPECT_EQ(vcOpenProject("/nonexistent/p.prj", 0, &h, 0), VC_E_CANNOT_OPEN_PROJECT);
  ASSERT_EQ(vcExtraError(), ENOENT);
  char library[256] = "";
  ASSERT_EQ(vcErrorStr(VC_E_CANNOT_OPEN_PROJECT, library, sizeof library), 0);
  EXPECT_EQ(errorText("p: opening project", VC_E_CANNOT_OPEN_PROJECT, 0),
            std::string("@p: opening project\n ") + library + "\nNo such file or directory");
  // Cut at 255 characters, the detail too.
  const std::string text = errorText(std::string(250, 'x'), VC_E_BAD_ARGUMENT, 0);
  EXPECT_EQ(text, "@" + std::string(250, 'x') + "\n In");
  EXPECT_EQ(errorText(std::string(300, 'y'), kNoDetail, 0).size(), 255u);
  vcAPIcleanup();
}

TEST(ReportTextTest, RowsAndCleaning) {
  Row row;
  row.number(7).text("say \"hi\"\r\nnow").text("").number(0);
  EXPECT_EQ(row.finish(), "7, \"say 'hi'  now\", \"\", 0\n");
  EXPECT_EQ(cleaned("a\"b\nc\rd, e"), "a'b c d, e");
}

TEST(ReportTextTest, ReportTypes) {
  const unsigned expected[] = {kAllRevisions, kNoArchives, kHeadersOnly, kOneRevision, kAllRevisions, kAllRevisions};
  for (int type = 0; type < 12; ++type)
    EXPECT_EQ(reportFlags(type), expected[type % 6] | (type >= 6 ? kWithSubprojects : 0u)) << type;
}

TEST(IdTableTest, OneSequenceAndDistinctKinds) {
  IdTable ids;
  int id = 0;
  EXPECT_EQ(ids.lookup(IdTable::projectKey("p"), id), 1);
  EXPECT_EQ(ids.lookup(IdTable::archiveKey("foo1.2"), id), 2);
  EXPECT_EQ(ids.lookup(IdTable::revisionKey("foo", "1.2"), id), 3);
  EXPECT_EQ(ids.lookup(IdTable::revisionKey("x1", "1.2"), id), 4);
  EXPECT_EQ(ids.lookup(IdTable::revisionKey("x", "11.2"), id), 5);
  EXPECT_EQ(ids.lookup(IdTable::archiveKey("p"), id), 6);
  EXPECT_EQ(ids.lookup(IdTable::archiveKey("foo1.2"), id), 0);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(ids.lookup(IdTable::projectKey("p"), id), 0);
  EXPECT_EQ(id, 1);
  // A key taken out again gets a new number; the old one is not reused.
  ids.forget(IdTable::archiveKey("p"));
  EXPECT_EQ(ids.lookup(IdTable::archiveKey("p"), id), 7);
  // Many keys over the chains: each keeps its number.
  for (int i = 0; i < 5000; ++i) ids.lookup(IdTable::archiveKey("a" + std::to_string(i)), id);
  for (int i = 0; i < 5000; i += 97) {
    EXPECT_EQ(ids.lookup(IdTable::archiveKey("a" + std::to_string(i)), id), 0);
    EXPECT_EQ(id, 8 + i);
  }
  for (const char* key : {"", "a", "abc", "\xff\xfe"}) {
    const int chain = IdTable::chainOf(key);
    EXPECT_GE(chain, 1);
    EXPECT_LT(chain, IdTable::kChains);
  }
  // CRC-16/ARC of "123456789" is 0xBB3D: 47933 % 1009 = 510.
  EXPECT_EQ(IdTable::chainOf("123456789"), 510);
}

struct WriteFailureTest : ReportTest {
  void SetUp() override {
    ReportTest::SetUp();
    copyFixtures();
  }
  void TearDown() override {
    orv::sys::resetCalls();
    ReportTest::TearDown();
  }
};

// A table whose rows cannot be written: the report call says so and
// answers 0, never 1; the other tables are whole.
TEST_F(WriteFailureTest, FullDiskAtTheEndOfAReportCall) {
  rptHandle r = rptInitialize(path("t").c_str(), recordMessage, 0, givePassword);
  ASSERT_NE(r, nullptr);
  {
    ScopedFault<&SystemCalls::write> full(ENOSPC, {.pathContains = "t.txr"});
    EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 0);
    EXPECT_GE(full.failures(), 1);
  }
  EXPECT_EQ(errors(), std::vector<std::string>{"Writing to file " + path("t.txr") + "\nNo space left on device"});
  EXPECT_EQ(rows(path("t"), ".txa").size(), 4u);
  // The failure stays with the table: the next report call says it again.
  calls() = Calls{};
  EXPECT_EQ(rptArchiveReport(path("arc/main.v").c_str(), 0, r), 0);
  EXPECT_EQ(errors().size(), 1u);
  rptTerminate(0, r);
  EXPECT_FALSE(anyTable(path("t")));
}

// A write that fails in the middle of a report stops the walk there.
TEST_F(WriteFailureTest, FullDiskInTheMiddleOfAReport) {
  // Enough members that the member table's buffer is written out during
  // the walk.
  std::string project = "--ORV Project--\n$Revision$\nEndOptions\n";
  for (int i = 0; i < 400; ++i) project += "file" + std::to_string(1000 + i) + std::string(40, 'x') + ".c f  \n";
  writeFile(path("big.prj"), project);
  rptHandle r = rptInitialize(path("t").c_str(), recordMessage, 0, nullptr);
  ASSERT_NE(r, nullptr);
  {
    ScopedFault<&SystemCalls::write> full(ENOSPC, {.pathContains = "t.txm"});
    EXPECT_EQ(rptProjectReport(path("big.prj").c_str(), 0, r), 0);
  }
  EXPECT_EQ(errors(), std::vector<std::string>{"Writing to file " + path("t.txm") + "\nNo space left on device"});
  std::size_t progressShown = 0;
  for (const std::string& m : calls().messages) progressShown += m[0] != '@';
  EXPECT_LT(progressShown, 400u);
  rptTerminate(0, r);
}

// rptTerminate pushes out what no report call did; a table to be kept
// that cannot be written says so.
TEST_F(WriteFailureTest, CloseThatFails) {
  rptHandle r = rptInitialize(path("t").c_str(), recordMessage, 0, nullptr);
  ASSERT_NE(r, nullptr);
  {
    ScopedFault<&SystemCalls::write> full(ENOSPC, {.pathContains = "t.txs"});
    rptTerminate(1, r);
  }
  EXPECT_EQ(errors(), std::vector<std::string>{"Writing to file " + path("t.txs") + "\nNo space left on device"});
  EXPECT_EQ(readFile(path("t.txp")), "ProjId, ProjName, ProjRev\n");

  // Tables that are deleted anyway need no message.
  calls() = Calls{};
  r = rptInitialize(path("u").c_str(), recordMessage, 0, nullptr);
  ASSERT_NE(r, nullptr);
  {
    ScopedFault<&SystemCalls::write> full(ENOSPC, {.pathContains = "u.txs"});
    rptTerminate(0, r);
  }
  EXPECT_TRUE(errors().empty());
  EXPECT_FALSE(anyTable(path("u")));
}

}  // namespace
