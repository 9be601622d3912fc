// LZW (.Z) reading against data made by independent writers: the standard
// `compress` tool (package ncompress) and a small encoder in Python whose
// output `gzip -dc` checks too.
#include <gtest/gtest.h>

#include "libc/orv/decompressor.h"
#include "libc/orv/lzw_reader.h"
#include "libc/orv/tests/test_support.h"

#ifndef ORV_LZW_ENCODER
#error "ORV_LZW_ENCODER must name the test encoder script"
#endif

namespace orv {
namespace {

using test::Bytes;

bool decodeLzw(const Bytes& z, Bytes& out, DecompressError* error = nullptr,
               std::size_t chunk = 4096, std::size_t piece = 2048) {
  LzwReader r;
  out.clear();
  const bool ok = r.start(test::memoryReader(z, chunk)) && test::readAll(r, out, piece);
  if (error) *error = r.lastError();
  r.end();
  return ok;
}

class LzwFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }

  struct Job {
    Bytes plain;
    int bits;
    bool block;
    bool clearWhenFull;
  };

  // Encodes with the Python encoder (one run for all jobs) and checks each
  // output with gzip -dc.
  std::vector<Bytes> pythonEncode(const std::vector<Job>& jobs) {
    std::string cmd = std::string("python3 '") + ORV_LZW_ENCODER + "'";
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      const std::string n = std::to_string(i);
      test::writeFile(dir_.file("plain" + n), jobs[i].plain);
      cmd += " '" + dir_.file("plain" + n) + "' '" + dir_.file(n + ".Z") + "' " +
             std::to_string(jobs[i].bits) + (jobs[i].block ? " 1" : " 0") +
             (jobs[i].clearWhenFull ? " 1" : " 0");
    }
    EXPECT_EQ(test::run(cmd), 0);
    std::vector<Bytes> out;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      const std::string n = std::to_string(i);
      EXPECT_EQ(test::run("gzip -dc < '" + dir_.file(n + ".Z") + "' > '" + dir_.file(n + ".out") + "'"), 0);
      EXPECT_EQ(test::readFile(dir_.file(n + ".out")), jobs[i].plain) << "the test encoder is wrong, job " << i;
      out.push_back(test::readFile(dir_.file(n + ".Z")));
    }
    return out;
  }

  test::TempDir dir_;
};

TEST_F(LzwFiles, ReadsCompressToolOutput) {
  if (!test::haveTool("compress")) GTEST_SKIP() << "compress (package ncompress) is not installed";
  // Large enough that the tables fill and, at small widths, compress sends
  // CLEAR when the ratio drops.
  const Bytes plain = test::wordText(400000, 31);
  test::writeFile(dir_.file("plain"), plain);
  for (int bits : {10, 12, 14, 15, 16}) {
    SCOPED_TRACE(bits);
    ASSERT_EQ(test::run("compress -b " + std::to_string(bits) + " -c < '" + dir_.file("plain") +
                        "' > '" + dir_.file("c.Z") + "'"),
              0);
    const Bytes z = test::readFile(dir_.file("c.Z"));
    ASSERT_GE(z.size(), 3u);
    EXPECT_EQ(z[2], 0x80 | bits);
    Bytes out;
    EXPECT_TRUE(decodeLzw(z, out, nullptr, 1 + static_cast<std::size_t>(bits) * 37));
    EXPECT_EQ(out, plain);
  }
}

TEST_F(LzwFiles, ReadsIndependentlyEncodedData) {
  struct Case { const char* what; Bytes plain; int bits; bool block; bool clearWhenFull; };
  const Case cases[] = {
      {"empty", {}, 16, true, false},
      {"one byte", test::toBytes("x"), 16, true, false},
      {"repeats (KwKwK codes)", Bytes(5000, 'a'), 16, true, false},
      // A declared 9 bits: the width grows to 10 once the 9-bit table fills.
      {"9 bits", test::wordText(20000, 1), 9, true, false},
      {"9 bits, no block mode", test::wordText(20000, 2), 9, false, false},
      {"9 bits, clearing", test::wordText(20000, 3), 9, true, true},
      {"10 bits, clearing", test::wordText(30000, 4), 10, true, true},
      {"12 bits, no block mode", test::wordText(60000, 5), 12, false, false},
      {"binary 16 bits", test::randomBytes(40000, 6), 16, true, false},
      {"binary 14 bits, clearing", test::randomBytes(60000, 7), 14, true, true},
  };
  std::vector<Job> jobs;
  for (const Case& c : cases) jobs.push_back({c.plain, c.bits, c.block, c.clearWhenFull});
  const std::vector<Bytes> encoded = pythonEncode(jobs);
  ASSERT_EQ(encoded.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const Bytes& z = encoded[i];
    SCOPED_TRACE(c.what);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{2000}}) {
      for (std::size_t piece : {std::size_t{7}, std::size_t{2048}}) {
        Bytes out;
        EXPECT_TRUE(decodeLzw(z, out, nullptr, chunk, piece));
        EXPECT_EQ(out, c.plain) << "chunk " << chunk << " piece " << piece;
      }
    }
    // Through the archive decompressor as well.
    Decompressor d;
    ASSERT_TRUE(d.start(test::memoryReader(z)));
    EXPECT_EQ(d.format(), Decompressor::Format::Lzw);
    Bytes out;
    EXPECT_TRUE(test::readAll(d, out));
    EXPECT_EQ(out, c.plain);
  }
}

TEST_F(LzwFiles, CutDataGivesAPrefixOrAnError) {
  // The format has no length or checksum, so data cut at a code boundary
  // reads as a shorter text; what is read is always a true prefix, and a cut
  // inside a code (a whole byte of it present) is refused.
  const Bytes plain = test::wordText(4000, 41);
  const std::vector<Bytes> encoded = pythonEncode({{plain, 12, true, false}});
  ASSERT_EQ(encoded.size(), 1u);
  const Bytes& z = encoded[0];
  int refused = 0;
  for (std::size_t len = 3; len < z.size(); ++len) {
    const Bytes cut(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(len));
    Bytes out;
    DecompressError e{};
    const bool ok = decodeLzw(cut, out, &e, 1 + len % 100);
    if (!ok) {
      EXPECT_EQ(e, DecompressError::Corrupt) << len;
      ++refused;
    }
    ASSERT_LE(out.size(), plain.size()) << len;
    ASSERT_TRUE(std::equal(out.begin(), out.end(), plain.begin())) << len;
  }
  EXPECT_GT(refused, 0);
}

TEST(LzwReader, CorruptCodesAreRefused) {
  // Codes by hand (9 bits, packed from the least significant bit).
  auto pack = [](std::initializer_list<unsigned> codes, std::uint8_t flags) {
    Bytes out = {0x1F, 0x9D, flags};
    std::uint32_t acc = 0;
    int n = 0;
    for (unsigned c : codes) {
      acc |= c << n;
      n += 9;
      while (n >= 8) {
        out.push_back(static_cast<std::uint8_t>(acc));
        acc >>= 8;
        n -= 8;
      }
    }
    if (n > 0) out.push_back(static_cast<std::uint8_t>(acc));
    return out;
  };
  struct Case { const char* what; Bytes z; bool ok; Bytes plain; };
  const Case cases[] = {
      {"literals", pack({'a', 'b', 'c'}, 0x90), true, test::toBytes("abc")},
      {"known entry", pack({'a', 'b', 257}, 0x90), true, test::toBytes("abab")},
      {"entry defined by its own code", pack({'a', 257}, 0x90), true, test::toBytes("aaa")},
      {"code beyond the next entry", pack({'a', 259}, 0x90), false, {}},
      {"first code not a literal", pack({300}, 0x90), false, {}},
            // CLEAR ends its group of eight codes: the six after it are padding.
      {"clear then a table code", pack({'a', 256, 0, 0, 0, 0, 0, 0, 257}, 0x90), false, {}},
      {"clear then literals", pack({'a', 256, 0, 0, 0, 0, 0, 0, 'b', 'c', 257}, 0x90), true,
       test::toBytes("abcbc")},
      {"no block mode: 256 is an entry", pack({'a', 'b', 256}, 0x10), true, test::toBytes("abab")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes out;
    DecompressError e{};
    EXPECT_EQ(decodeLzw(c.z, out, &e), c.ok);
    if (c.ok) {
      EXPECT_EQ(out, c.plain);
    } else {
      EXPECT_EQ(e, DecompressError::Corrupt);
    }
  }
}

TEST(LzwReader, GarbageNeverCrashes) {
  // Random code streams behind a valid header: refused or read, never a
  // crash or a read beyond the data (the sanitizer build watches).
  std::mt19937 rng(77);
  for (int i = 0; i < 300; ++i) {
    Bytes z = test::randomBytes(1 + rng() % 3000, static_cast<unsigned>(i));
    const int bits = 9 + static_cast<int>(rng() % 8);
    z.insert(z.begin(), {0x1F, 0x9D, static_cast<std::uint8_t>((rng() % 2 ? 0x80 : 0) | bits)});
    Bytes out;
    decodeLzw(z, out, nullptr, 1 + rng() % 64, 1 + rng() % 3000);
    // A code expands to at most the table size in bytes.
    EXPECT_LE(out.size(), z.size() * 8 / 9 * (std::size_t{1} << bits));
  }
}

TEST(LzwReader, MisuseIsRefused) {
  LzwReader r;
  std::uint8_t buf[4];
  EXPECT_EQ(r.read(buf, sizeof buf), -1);
  EXPECT_EQ(r.lastError(), DecompressError::NotInitialized);
  const Bytes z = {0x1F, 0x9D, 0x90, 'a', 0};
  ASSERT_TRUE(r.start(test::memoryReader(z)));
  EXPECT_FALSE(r.start(test::memoryReader(z)));
  EXPECT_EQ(r.lastError(), DecompressError::NotClosed);
  EXPECT_EQ(r.read(buf, sizeof buf), 1);
  EXPECT_EQ(buf[0], 'a');
  EXPECT_EQ(r.read(buf, sizeof buf), 0);
  r.end();
  EXPECT_FALSE(r.active());
}

}  // namespace
}  // namespace orv
