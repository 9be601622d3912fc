// Texts of the library's message catalogue, looked up by number.
#pragma once

#include <string>

namespace vc {

// The catalogue's text for id, or null when it has none.
const char* catalogueText(int id);

// Resolves a catalogue reference: a text made of a decimal number followed by
// "##" stands for that catalogue entry ("Can't find message in catalog" when
// there is none); any other text stands for itself.
std::string resolveCatalogueReference(const char* text);

}  // namespace vc
