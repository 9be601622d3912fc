// Gzip writing and reading: the header fields we write, acceptance of our
// output by the standard gzip tool, reading what gzip writes, and refusal of
// damaged, cut and misused streams.
#include <gtest/gtest.h>

#include "libc/orv/decompressor.h"
#include "libc/orv/gzip_writer.h"
#include "libc/orv/tests/test_support.h"

namespace orv {
namespace {

using test::Bytes;

Bytes compress(const Bytes& plain, int bits, std::uint32_t mtime = 0, const char* name = nullptr,
               std::size_t writePiece = 1000) {
  Bytes out;
  GzipWriter w;
  EXPECT_TRUE(w.start(test::memoryWriter(out), bits, GzipWriter::kArchiveLevel, mtime, name));
  for (std::size_t i = 0; i < plain.size(); i += writePiece) {
    const std::size_t k = std::min(writePiece, plain.size() - i);
    EXPECT_TRUE(w.write(plain.data() + i, k));
  }
  EXPECT_TRUE(w.finish());
  EXPECT_FALSE(w.active());
  return out;
}

// Decompresses through the archive decompressor; false on any error.
bool decompress(const Bytes& data, Bytes& plain, DecompressError* error = nullptr,
                std::size_t chunk = 4096, std::size_t piece = 2048) {
  Decompressor d;
  plain.clear();
  bool ok = d.start(test::memoryReader(data, chunk)) && test::readAll(d, plain, piece);
  if (error) *error = d.lastError();
  d.end();
  return ok;
}

TEST(GzipWriter, HeaderFieldsAreOurs) {
  const Bytes out = compress(test::toBytes("head 1.1;\n"), 15, 0x5F3E1A2Bu);
  ASSERT_GE(out.size(), 18u);
  const Bytes header(out.begin(), out.begin() + 10);
  EXPECT_EQ(header, (Bytes{0x1F, 0x8B, 0x08, 0x00, 0x2B, 0x1A, 0x3E, 0x5F, 0x00, 0x0B}));

  const Bytes named = compress(test::toBytes("x"), 14, 1, "arch.c,v");
  EXPECT_EQ(named[3], 0x08);
  EXPECT_EQ(std::string(named.begin() + 10, named.begin() + 19), std::string("arch.c,v\0", 9));
}

TEST(GzipWriter, StandardGzipAcceptsOurOutput) {
  test::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  struct Case { const char* what; Bytes plain; int bits; std::size_t piece; };
  const Case cases[] = {
      {"empty", {}, 15, 1000},
      {"one line", test::toBytes("head\t1.3;\naccess ;\n"), 13, 1},
      {"text 13 bits", test::wordText(300000, 1), 13, 777},
      {"text 14 bits", test::wordText(300000, 2), 14, 65536},
      {"text 15 bits", test::wordText(300000, 3), 15, 4096},
      {"binary", test::randomBytes(100000, 4), 15, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes gz = compress(c.plain, c.bits, 1700000000u, nullptr, c.piece);
    const std::string file = dir.file("a.gz");
    test::writeFile(file, gz);
    EXPECT_EQ(test::run("gzip -t '" + file + "'"), 0);
    EXPECT_EQ(test::run("gzip -dc '" + file + "' > '" + dir.file("a.out") + "'"), 0);
    EXPECT_EQ(test::readFile(dir.file("a.out")), c.plain);

    Bytes back;
    EXPECT_TRUE(decompress(gz, back, nullptr, 1 + c.plain.size() % 5000));
    EXPECT_EQ(back, c.plain);
  }
}

TEST(GzipReader, ReadsWhatGzipWrites) {
  test::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const Bytes plain = test::wordText(200000, 7);
  const std::string file = dir.file("plain.txt");
  test::writeFile(file, plain);
  // Stored name (gzip's default for files), no name, best and fastest
  // levels, and two members one after the other (gzip -dc joins them).
  struct Case { const char* what; std::string command; Bytes expected; };
  const Bytes twice = [&] {
    Bytes b = plain;
    b.insert(b.end(), plain.begin(), plain.end());
    return b;
  }();
  const Case cases[] = {
      {"with name", "gzip -c '" + file + "'", plain},
      {"no name -9", "gzip -9 -n -c < '" + file + "'", plain},
      {"fast", "gzip -1 -c < '" + file + "'", plain},
      {"two members", "(gzip -c '" + file + "'; gzip -c '" + file + "')", twice},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(test::run(c.command + " > '" + dir.file("in.gz") + "'"), 0);
    const Bytes gz = test::readFile(dir.file("in.gz"));
    for (std::size_t chunk : {std::size_t{1}, std::size_t{13}, std::size_t{4096}}) {
      Bytes back;
      EXPECT_TRUE(decompress(gz, back, nullptr, chunk, 2048));
      EXPECT_EQ(back, c.expected) << "chunk " << chunk;
    }
  }
}

TEST(GzipReader, HeaderWithExtraCommentAndCrcIsRead) {
  // A header with every optional field, built by hand; the header CRC is
  // the low 16 bits of the CRC-32 of the header bytes before it.
  const Bytes plain = test::toBytes("head 1.1;\n");
  const Bytes ours = compress(plain, 15);
  Bytes header = {0x1F, 0x8B, 8, 0x02 | 0x04 | 0x08 | 0x10, 0, 0, 0, 0, 0, 3,
                  3, 0, 'a', 'b', 'c', 'n', '\0', 'c', 'o', '\0'};
  const Bytes tail(ours.begin() + 10, ours.end());
  test::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // Let python3 work out the header CRC, independently of zlib's crc32 here.
  test::writeFile(dir.file("h"), header);
  ASSERT_EQ(test::run("python3 -c \"import zlib,sys;d=open(sys.argv[1],'rb').read();"
                      "c=zlib.crc32(d)&0xffff;open(sys.argv[1],'ab').write(bytes([c&255,c>>8]))\" '" +
                      dir.file("h") + "'"),
            0);
  Bytes full = test::readFile(dir.file("h"));
  full.insert(full.end(), tail.begin(), tail.end());
  test::writeFile(dir.file("full.gz"), full);
  EXPECT_EQ(test::run("gzip -t '" + dir.file("full.gz") + "'"), 0);

  Bytes back;
  EXPECT_TRUE(decompress(full, back, nullptr, 1));
  EXPECT_EQ(back, plain);

  full[20] ^= 0x01;  // damage the header CRC
  DecompressError e{};
  EXPECT_FALSE(decompress(full, back, &e));
  EXPECT_EQ(e, DecompressError::Corrupt);
}

TEST(GzipReader, DamagedTrailerOrDataIsRefused) {
  const Bytes plain = test::wordText(50000, 9);
  const Bytes good = compress(plain, 15);
  const std::size_t n = good.size();
  struct Case { const char* what; std::size_t at; std::uint8_t flip; DecompressError want; };
  const Case cases[] = {
      {"crc", n - 8, 0x01, DecompressError::Corrupt},
      {"crc high byte", n - 5, 0x80, DecompressError::Corrupt},
      {"length", n - 4, 0x01, DecompressError::Corrupt},
      {"length high byte", n - 1, 0x01, DecompressError::Corrupt},
      {"method", 2, 0x01, DecompressError::MethodNotSupported},
      {"reserved flag", 3, 0x20, DecompressError::Corrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    bad[c.at] ^= c.flip;
    Bytes back;
    DecompressError e{};
    EXPECT_FALSE(decompress(bad, back, &e));
    EXPECT_EQ(e, c.want);
  }

  // Any damage inside the deflate data is caught, by inflate or at the
  // latest by the CRC-32: never a success with wrong bytes.
  for (std::size_t at = 10; at < n - 8; at += 97) {
    Bytes bad = good;
    bad[at] ^= 0x10;
    Bytes back;
    DecompressError e{};
    EXPECT_FALSE(decompress(bad, back, &e)) << "byte " << at;
    EXPECT_NE(e, DecompressError::None);
  }
}

TEST(GzipReader, CutAndExtendedStreamsAreRefused) {
  const Bytes plain = test::wordText(8000, 11);
  const Bytes good = compress(plain, 15);
  for (std::size_t len = 0; len < good.size(); ++len) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len));
    Bytes back;
    DecompressError e{};
    ASSERT_FALSE(decompress(cut, back, &e, 1 + len % 300)) << "length " << len;
    const bool expected = e == DecompressError::NotCompressed || e == DecompressError::UnexpectedEnd;
    EXPECT_TRUE(expected) << "length " << len << " error " << static_cast<int>(e);
    ASSERT_LE(back.size(), plain.size());
    EXPECT_TRUE(std::equal(back.begin(), back.end(), plain.begin()));
  }

  Bytes extended = good;
  extended.push_back(0);
  Bytes back;
  DecompressError e{};
  EXPECT_FALSE(decompress(extended, back, &e));
  EXPECT_EQ(e, DecompressError::Corrupt);
}

TEST(GzipWriter, RefusesBadBitsAndLevels) {
  struct Case { int bits; int level; };
  const Case cases[] = {{12, 5}, {9, 5}, {16, 5}, {0, 5}, {15, 0}, {15, 10}, {13, -1}};
  for (const Case& c : cases) {
    Bytes out;
    GzipWriter w;
    EXPECT_FALSE(w.start(test::memoryWriter(out), c.bits, c.level, 0)) << c.bits << "/" << c.level;
    EXPECT_EQ(w.lastError(), CompressError::BadParameters);
    EXPECT_FALSE(w.active());
    EXPECT_TRUE(out.empty());
  }
}

TEST(GzipWriter, MisuseAndOutputFailure) {
  GzipWriter w;
  const std::uint8_t byte = 'x';
  EXPECT_FALSE(w.write(&byte, 1));
  EXPECT_EQ(w.lastError(), CompressError::NotInitialized);
  EXPECT_FALSE(w.finish());
  EXPECT_EQ(w.lastError(), CompressError::NotInitialized);

  // A second start while a stream runs is refused; the first goes on.
  Bytes out;
  Bytes other;
  ASSERT_TRUE(w.start(test::memoryWriter(out), 15, 5, 0));
  EXPECT_FALSE(w.start(test::memoryWriter(other), 15, 5, 0));
  EXPECT_EQ(w.lastError(), CompressError::NotClosed);
  EXPECT_TRUE(other.empty());
  const Bytes plain = test::toBytes("still the first stream\n");
  EXPECT_TRUE(w.write(plain.data(), plain.size()));
  EXPECT_TRUE(w.finish());
  Bytes back;
  EXPECT_TRUE(decompress(out, back));
  EXPECT_EQ(back, plain);

  // The output refuses after the header: the failure shows and sticks.
  int calls = 0;
  ByteWriter failing = [&calls](const std::uint8_t*, std::size_t) { return ++calls == 1; };
  ASSERT_TRUE(w.start(failing, 15, 5, 0));
  const Bytes big = test::randomBytes(200000, 5);
  EXPECT_FALSE(w.write(big.data(), big.size()));
  EXPECT_EQ(w.lastError(), CompressError::Unknown);
  EXPECT_FALSE(w.finish());
  EXPECT_FALSE(w.active());

  // A refused header leaves no stream running.
  ASSERT_FALSE(w.start([](const std::uint8_t*, std::size_t) { return false; }, 15, 5, 0));
  EXPECT_FALSE(w.active());

  // The writer is used again after all that, with other parameters.
  out.clear();
  ASSERT_TRUE(w.start(test::memoryWriter(out), 13, 5, 0));
  EXPECT_TRUE(w.write(plain.data(), plain.size()));
  EXPECT_TRUE(w.finish());
  EXPECT_TRUE(decompress(out, back));
  EXPECT_EQ(back, plain);
}

TEST(Decompressor, RecognisesFormatsAndRefusesOthers) {
  struct Case { const char* what; Bytes data; DecompressError want; };
  const Case cases[] = {
      {"plain archive", test::toBytes("head 1.1;\nbranch ;\n"), DecompressError::NotCompressed},
      {"empty", {}, DecompressError::NotCompressed},
      {"one byte", {0x1F}, DecompressError::NotCompressed},
      {"magic only", {0x1F, 0x8B}, DecompressError::NotCompressed},
      {"gzip, other method", {0x1F, 0x8B, 7, 0, 0, 0, 0, 0, 0, 11}, DecompressError::MethodNotSupported},
      {"gzip cut in header", {0x1F, 0x8B, 8, 0, 0}, DecompressError::UnexpectedEnd},
      {"lzw, 17 bits", {0x1F, 0x9D, 0x91, 0, 0}, DecompressError::TooManyBits},
      {"lzw, 8 bits", {0x1F, 0x9D, 0x88, 0, 0}, DecompressError::Corrupt},
      {"lzw, no flags byte", {0x1F, 0x9D}, DecompressError::NotCompressed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Decompressor d;
    EXPECT_FALSE(d.start(test::memoryReader(c.data)));
    EXPECT_EQ(d.lastError(), c.want);
    EXPECT_FALSE(d.active());
  }

  Decompressor d;
  const Bytes lzw17 = {0x1F, 0x9D, 0x91};
  EXPECT_FALSE(d.start(test::memoryReader(lzw17)));
  EXPECT_EQ(d.declaredBits(), 17);  // message 637 is filled with 17 and 16
  EXPECT_EQ(kLzwMostBits, 16);

  const Bytes gz = compress(test::toBytes("abc"), 15);
  ASSERT_TRUE(d.start(test::memoryReader(gz)));
  EXPECT_EQ(d.format(), Decompressor::Format::Gzip);
}

TEST(Decompressor, MisuseAndInputFailure) {
  Decompressor d;
  std::uint8_t buf[16];
  EXPECT_EQ(d.read(buf, sizeof buf), -1);
  EXPECT_EQ(d.lastError(), DecompressError::NotInitialized);

  const Bytes gz = compress(test::toBytes("first\n"), 15);
  const Bytes gz2 = compress(test::toBytes("second\n"), 15);
  ASSERT_TRUE(d.start(test::memoryReader(gz)));
  EXPECT_FALSE(d.start(test::memoryReader(gz2)));
  EXPECT_EQ(d.lastError(), DecompressError::NotClosed);
  Bytes back;
  EXPECT_TRUE(test::readAll(d, back));
  EXPECT_EQ(back, test::toBytes("first\n"));
  EXPECT_EQ(d.read(buf, sizeof buf), 0);  // stays at the end
  d.end();

  // The input fails half way.
  const Bytes big = compress(test::wordText(100000, 3), 15);
  std::size_t served = 0;
  ByteReader failing = [&](std::uint8_t* out, std::size_t n) -> std::ptrdiff_t {
    if (served >= big.size() / 2) return -1;
    const std::size_t k = std::min(n, big.size() / 2 - served);
    std::copy_n(big.begin() + static_cast<std::ptrdiff_t>(served), k, out);
    served += k;
    return static_cast<std::ptrdiff_t>(k);
  };
  ASSERT_TRUE(d.start(failing));
  back.clear();
  EXPECT_FALSE(test::readAll(d, back));
  EXPECT_EQ(d.lastError(), DecompressError::Unknown);
  EXPECT_EQ(d.read(buf, sizeof buf), -1);  // the error sticks until end()
  d.end();

  // After end() the same object reads a new stream.
  ASSERT_TRUE(d.start(test::memoryReader(gz2)));
  back.clear();
  EXPECT_TRUE(test::readAll(d, back, 1));
  EXPECT_EQ(back, test::toBytes("second\n"));
}

TEST(Decompressor, ReadsInSmallPieces) {
  const Bytes plain = test::wordText(30000, 21);
  const Bytes gz = compress(plain, 15);
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{2048}}) {
    Bytes back;
    EXPECT_TRUE(decompress(gz, back, nullptr, 512, piece));
    EXPECT_EQ(back, plain) << piece;
  }
}

}  // namespace
}  // namespace orv
