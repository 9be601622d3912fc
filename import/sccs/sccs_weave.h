// Revision texts straight from the SCCS weave: the head's whole text, and
// for every other revision the edit script that makes it from its
// neighbour's text (a lower trunk revision from the one above it, a branch
// revision from its predecessor), by the visible/changed flags each open
// block of the weave carries.
#pragma once

#include <map>

#include "import/sccs/sccs_model.h"

namespace orv::import {

class WeaveReader {
 public:
  WeaveReader(const SccsFile& file, const std::string& name, MessageBuffer& msgs);
  // The whole text of the head (trunk mode, T the head itself).
  void headText(const SccsDelta& head, std::string& out);
  // The reverse script of a lower trunk revision; `above` is the trunk
  // revision directly above it.
  void trunkScript(const SccsDelta& above, std::string& out);
  // The script that makes a branch revision from its predecessor.
  void branchScript(const SccsDelta& revision, std::string& out);

 private:
  struct Block {
    unsigned serial;
    char kind;  // 'I' or 'D'
    bool v, k;
  };
  enum class Mode { Whole, Trunk, Branch };

  void run(const SccsDelta& target, Mode mode, std::string& out);
  void flagsOf(Block& b, const Block* parent) const;
  void close(std::vector<Block>& stack, unsigned serial) const;
  std::size_t countAhead(std::size_t from, std::vector<Block> stack) const;
  const SccsDelta& deltaOf(unsigned serial) const;

  const SccsFile& file_;
  const std::string& name_;
  MessageBuffer& msgs_;
  std::map<unsigned, const SccsDelta*> bySerial_;
  // The current run.
  const SccsDelta* target_ = nullptr;
  bool branchMode_ = false;
};

}  // namespace orv::import
