// "NNNN##" references into the message catalogue.
#include "vc/instance/message_catalogue.h"

#include <cctype>
#include <cstdlib>

namespace vc {

std::string resolveCatalogueReference(const char* text) {
  if (!text) return {};
  const char* p = text;
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
  if (p == text || p[0] != '#' || p[1] != '#') return text;
  long id = std::strtol(text, nullptr, 10);
  const char* found = id <= 100000 ? catalogueText(static_cast<int>(id)) : nullptr;
  return found ? found : "Can't find message in catalog";
}

}  // namespace vc
