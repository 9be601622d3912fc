// The merge program's settings in "vardel.ini": the view of new comparison
// windows, the comparison options, the case of chosen file names, the
// comment texts of saved listings, the line ends of saved files, the colours
// of the line kinds and the font. Missing or malformed values fall back to
// their defaults; nothing is written until a setting is saved.
#pragma once

#include <array>
#include <string>

#include "merge/file_diff.h"

namespace orv::merge {

struct LineColours {
  bool set = false;
  long foreground = 0, background = 0;  // colour references: blue high, red low
};

// The table by colour class (0 normal ... 5 file 2, 6 empty rows, 7 highlight).
using ColourTable = std::array<LineColours, 8>;
ColourTable defaultColours();

struct FontSpec {
  bool system = true;  // the system font (no stored font)
  std::string face;
  int height = 0, italic = 0, weight = 0, charSet = 0, pitchAndFamily = 0, width = 0, pointSize = 0;
};
// "face,height,italic,weight,charset,pitch,width,points": all eight fields,
// or the first six (width and points 0); anything else is the system font.
FontSpec parseFont(const std::string& value);
std::string formatFont(const FontSpec& font);

struct MergeSettings {
  int viewMode = 3;
  bool lineNumbers = true;
  bool commonLines = true;
  CompareOptions options;
  bool preserveFileCase = true;
  std::string commentBegin = "/*", commentEnd = "*/";
  int saveFormat = 1;  // 1 CR LF, 2 LF
  ColourTable colours = defaultColours();
  FontSpec font;
};

MergeSettings loadSettings(const std::string& iniPath);
// Each writes its group; 0 or an errno value.
int saveViewAndOptions(const std::string& iniPath, const MergeSettings& s);
int saveComments(const std::string& iniPath, const MergeSettings& s);
int saveColours(const std::string& iniPath, const MergeSettings& s);  // all six keys
int saveFont(const std::string& iniPath, const MergeSettings& s);
// Writes "SaveFileFormat" only when the format changed.
int saveFormatIfChanged(const std::string& iniPath, int before, int after);

// The save format that keeps the line ends of the compared files: the
// first line end met in file 1, else in file 2, decides (CR LF gives 1,
// LF 2); files with no line end of their own are saved with LF, this
// system's own line end.
int inputSaveFormat(const std::string& file1, const std::string& file2);

// A chosen file name, lower-cased unless file case is preserved.
std::string caseAdjusted(const std::string& name, bool preserveFileCase);

}  // namespace orv::merge
