// The last error of the archive compressor and decompressor, kept as
// catalogue references ("NNNN##") so that vcErrorStr can explain codes 22
// and 23. The compression modules set them; the message code reads them.
#pragma once

#include <string>

namespace vc {

struct CompressionStatus {
  std::string decompressError = "635##";  // "not initialized"
  int decompressFileBits = 0;             // the bit count a compressed file asked for (637)
  std::string compressError = "4832##";   // "zip not initialized"
};

CompressionStatus& compressionStatus();

}  // namespace vc
