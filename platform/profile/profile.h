// Private-profile (INI) files with the semantics the programs were built on:
// "[section]" headers and "key=value" lines; sections and keys are matched
// without regard to ASCII case and the first match wins; every other line
// (comments, blank lines, text we do not understand) is kept as it stands;
// a change rewrites the whole file through a temporary file and a rename.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv::profile {

class ProfileFile {
 public:
  // Reads path; a missing file is an empty profile. False on a read error.
  bool load(const std::string& path);
  // Writes the whole profile back to the path it was loaded from.
  // Returns 0 or an errno value; the old file is untouched on failure.
  int save() const;

  // The value of key in section (blanks around it cut, one pair of
  // surrounding double quotes removed), or nothing.
  std::optional<std::string> get(const std::string& section, const std::string& key) const;
  // Sets key; a missing section is added at the end, a missing key after the
  // last entry of its section. False, and nothing changed, for texts that
  // would not read back as written (a section holding ']', an empty key or
  // one holding '=', a line end anywhere).
  bool set(const std::string& section, const std::string& key, const std::string& value);
  // Removes the key's first line; false when it was not there.
  bool removeKey(const std::string& section, const std::string& key);
  // Removes the section's header and every line up to the next section.
  bool removeSection(const std::string& section);

  std::vector<std::string> sections() const;
  std::vector<std::string> keys(const std::string& section) const;

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  // Index of the section's header line, or -1.
  long findSection(const std::string& section) const;
  // One past the section's last line.
  std::size_t sectionEnd(long header) const;
  long findKey(long header, const std::string& key) const;

  std::string path_;
  std::vector<std::string> lines_;
};

// One-call forms that read (and, for writes, rewrite) the file each time.
std::string getProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue);
// The leading decimal number of the value (an optional sign, then digits), or
// the default when the key is missing or holds no number.
long getProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   long defaultValue);
// A null value removes the key; a null key removes the section. 0 or errno
// (EINVAL for texts that would not read back as written).
int writeProfileString(const std::string& file, const std::string& section, const char* key,
                       const char* value);

}  // namespace orv::profile
