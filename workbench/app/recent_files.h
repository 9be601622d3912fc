// The File menu's list of the eight files opened last, most recent first,
// kept in ORVTY.INI [General] LastFile1..LastFile8 as "path,kind". Kinds
// are bits: 1 no kind recorded, 2 archive, 4/8/16 project kinds; an entry
// moves to a project kind but never back to an archive.
#pragma once

#include <string>
#include <vector>

#include "platform/profile/profile.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

struct RecentFile {
  std::string path;
  int kind = 1;
};

// Command ids of the menu items, first to eighth.
constexpr int kFirstRecentFileCommand = 1564;
constexpr std::size_t kRecentFileCount = 8;

// One stored value split at its last comma; no comma or nothing after it
// gives kind 1.
RecentFile parseRecentFile(const std::string& value);

class RecentFiles {
 public:
  // fold: the file-name case folding applied to every path taken in.
  explicit RecentFiles(std::string (*fold)(std::string) = nullptr) : fold_(fold) {}

  void load(const profile::ProfileFile& settings);
  // Writes the list as LastFile1..n and removes the keys after it.
  void store(profile::ProfileFile& settings) const;

  void add(const std::string& path, int kind);
  const std::vector<RecentFile>& entries() const { return entries_; }

  // The menu texts "&N path", each path fitted by fit; built afresh every
  // time the File menu opens.
  template <class Fit>
  std::vector<std::string> menuItems(Fit fit) const {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < entries_.size(); ++i)
      items.push_back("&" + std::to_string(i + 1) + " " + fit(entries_[i].path));
    return items;
  }

 private:
  std::string (*fold_)(std::string);
  std::vector<RecentFile> entries_;  // only entries with a path
};

}  // namespace orv::workbench::app
