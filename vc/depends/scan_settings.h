// What dependency scanning knows about source files: the languages, the
// extension table (or the option `targetext` in its place), and the scan
// settings of the running scanning period (exclude list, target-extension
// list, include path), which vcInitUses sets and vcDoneUses frees. One
// scanning period at a time per process.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vc {

struct VcMember;

// Languages by number: 0 C and C++, 1 FORTRAN, 2 Pascal, 3 assembler,
// 4 none.
inline constexpr int kLanguageC = 0;
inline constexpr int kLanguageFortran = 1;
inline constexpr int kLanguagePascal = 2;
inline constexpr int kLanguageAssembler = 3;
inline constexpr int kLanguageNone = 4;

struct ScanSettings {
  std::vector<std::string> exclude;      // directories, without trailing separators
  std::vector<std::string> targetExt;    // "src-target" entries, when set
  bool targetExtSet = false;
  std::vector<std::string> includePath;  // directories, in search order
};
ScanSettings& scanSettings();
void clearScanSettings();

// The extension of a file name: the text after its last ".", none when
// that "." stands before the last separator or is the name's first
// character.
std::optional<std::string> fileExtension(const std::string& name);

// What the extension table (or the target-extension list, when set) says
// of a file: known, its target extension (empty: none) and its language.
struct ExtensionInfo {
  bool known = false;
  std::string target;
  int language = kLanguageNone;
};
ExtensionInfo extensionInfo(const std::string& fileName);

// A member's language: its rules' "language=" setting, else its extension;
// none when neither tells.
std::optional<int> memberLanguage(const VcMember& m);

// The include name of a source line in a language, or none.
std::optional<std::string> includeToken(std::string_view line, int language);

}  // namespace vc
