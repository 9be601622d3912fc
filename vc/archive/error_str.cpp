// vcErrorStr: the text of a result code, with the compressor's detail for codes
// VC_E_DECOMPRESS_ERROR and VC_E_COMPRESS_ERROR and, for refusals by the
// security database, the database's own explanation and the common advice text.
#include "vc/archive/compression_status.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/security/kel_binding.h"
#include "vc/instance/message_catalogue.h"
#include "vc/security/security_state.h"

#include <cstdio>
#include <cstring>

namespace vc {

CompressionStatus& compressionStatus() {
  static CompressionStatus status;
  return status;
}

namespace {

std::string codeText(int code) {
  if (code < 0 || (code > err::kProjectChangedByOther && code < err::kNoMemory) || code > err::kCatastrophe)
    return catalogueText(err::kCatastrophe);
  if (code == err::kDecompressError) {
    const CompressionStatus& cs = compressionStatus();
    std::string text = resolveCatalogueReference(cs.decompressError.c_str());
    if (cs.decompressError == "637##") {
      char filled[128];
      std::snprintf(filled, sizeof filled, "compressed with %d bits, can only handle %d bits",
                    cs.decompressFileBits, 16);
      text = filled;
    }
    return text;
  }
  if (code == err::kCompressError)
    return resolveCatalogueReference(compressionStatus().compressError.c_str());
  const char* t = catalogueText(code);
  std::string text = t ? t : "";
  if (code > err::kNoMessage) {
    std::string security;
    VcInstance* inst = currentInstance();
    const kel::Api* k = kel::api();
    if (inst && securityOf(*inst).error != 0 && k) {
      char buf[80] = {};
      if (k->kelErrorStr(securityOf(*inst).error, buf, static_cast<int>(sizeof buf)) == 0) {
        buf[sizeof buf - 1] = '\0';
        security = buf;
      }
    }
    if (!security.empty()) text += "\n\n" + security + "\n";
    text += "\n";
    text += catalogueText(err::kSecurityAdvice);
  }
  return text;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcErrorStr(VcError code, char* buffer, int length) {
  return guarded([&] {
    if (!buffer) return err::kBadArgument;
    std::string text = codeText(code);
    if (length < 1 || text.size() >= static_cast<std::size_t>(length)) return err::kBufferTooSmall;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
  });
}
