// Last-error values of the compression engines. Each value is the id of the
// message in the system's catalogue, so the revision library can show the
// detail behind "Decompressing error" (22) and "Compression error" (23).
#pragma once

namespace orv {

enum class DecompressError : int {
  None = 0,
  NotInitialized = 635,      // "not initialized"
  NotCompressed = 636,       // "not in compressed format"
  TooManyBits = 637,         // "compressed with %d bits, can only handle %d bits"
  NoMemory = 638,            // "no space for decompress tables"
  Corrupt = 639,             // "compressed file is corrupt" (also a CRC-32 or length mismatch)
  NotClosed = 640,           // "not closed"
  Unknown = 641,             // "unknown error" (also a failing input callback)
  IncompleteHuffman = 4031,  // "incomplete huffman table"
  IncompleteLiteral = 4032,  // "incomplete literal tree"
  IncompleteDistance = 4033, // "incomplete distance tree"
  MethodNotSupported = 4034, // "compression method not supported"
  MoreCodesThanBits = 4035,  // "more codes than bits"
  UnexpectedEnd = 4036,      // "unexpected end of file"
};

// The two numbers that fill message 637: the bits the file declares and the
// most this reader handles.
constexpr int kLzwMostBits = 16;

enum class CompressError : int {
  None = 0,
  NotInitialized = 4832,  // "zip not initialized"
  BadParameters = 4833,   // "bits must be 13-15, level must be 1-9"
  NoMemory = 4834,        // "no space for zip tables"
  NotClosed = 4835,       // "zip not closed"
  Unknown = 4836,         // "zip: unknown error" (also a failing output callback)
};

}  // namespace orv
