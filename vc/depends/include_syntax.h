// How each source language writes an include statement.
#pragma once

namespace vc {

struct LanguageSyntax {
  const char* opening;     // characters that open a name; the last one, with
                           // angle, closes with the one before it
  bool openingRequired;    // a name must open with one of them
  bool angle;
  const char* keyword;     // none: the language has no includes
  bool exactCase;
  const char* prefixes;    // characters one of which must come before the keyword
  int column;              // the column (from 0) where the keyword needs no prefix; -1 none
  bool dropTrailingPrefix; // a name ending with the first prefix character loses it
};

const LanguageSyntax& languageSyntax(int language);

// ASCII lower-casing of one character.
char foldAsciiChar(char c);

}  // namespace vc
