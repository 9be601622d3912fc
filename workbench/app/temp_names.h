// Temporary files of the workbench, named after the file they stand for:
// "<first three characters of the name before '.', or xxx><counter as five
// hex digits>.<text after the first '.'>", e.g. main.c -> mai00000.c. Each
// name is reserved by creating the file (exclusive create, mode 0600), and
// every name handed out is removed when the program ends (removeAll).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

// The name of counter for path in dir; empty when path has no base name.
std::string tempFileName(std::string_view dir, std::string_view path, unsigned counter);

class TempFiles {
 public:
  explicit TempFiles(ui::Ui& ui) : ui_(ui) {}
  ~TempFiles() { removeAll(); }
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

  // The directories tried in order: $TMPDIR, $TMP, $TEMP, /tmp, the
  // settings directory, then the current directory ("").
  static std::vector<std::string> directories();

  // Creates and registers a new empty file for path in the first usable
  // directory (missing ones are created; one that cannot be is reported
  // and skipped). Nothing when every directory fails.
  std::optional<std::string> make(std::string_view path,
                                  const std::vector<std::string>& dirs = directories());
  // Removes every file handed out.
  void removeAll();

 private:
  bool ensureDirectory(const std::string& dir);

  ui::Ui& ui_;
  std::vector<std::string> names_;
};

}  // namespace orv::workbench::app
