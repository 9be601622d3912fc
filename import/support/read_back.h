// The check an importer makes before it answers success: the archive text it
// wrote is read by the revision library's own archive reader, every revision
// is rebuilt by the library's delta applier (as a check-out rebuilds it), and
// each must come out with the text and author the importer meant it to have.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::import {

struct ExpectedRevision {
  std::string number;  // as written in the archive
  std::string author;
  std::string text;    // the plain text ('@' not doubled)
  // When set, makes the text instead (asked once, when its turn comes).
  std::function<std::string()> make;
};

// Empty when the archive holds exactly the expected revisions and each reads
// back as expected; otherwise what went wrong, for the importer's message.
std::string readBack(std::string_view archive, const std::vector<ExpectedRevision>& expected);

}  // namespace orv::import
