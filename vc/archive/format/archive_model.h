// In-memory model of one revision archive: the archive record with its lists,
// the delta records that form the revision tree, and the text records that
// locate (or hold) logs, revision texts and the archive's own strings.
//
// Lists keep the order in which the file gave them, so an archive that is
// read and written again comes out byte for byte. Texts are held exactly as
// stored in the file: every '@' doubled.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vc::archive {

class ByteSource;

// The stored bytes of a text held in memory: a copy of its own, or a share
// of memory that another owner keeps alive, such as a block of the source
// that the reader read (it lives as long as a record holds it).
// Reads like an optional string: has_value(), *held gives the bytes.
class HeldText {
 public:
  HeldText& operator=(std::string bytes) {
    own_ = std::move(bytes);
    shared_.reset();
    view_ = {};
    kind_ = Kind::Own;
    return *this;
  }
  // Holds bytes that lie in memory owned by owner.
  void share(std::shared_ptr<const void> owner, std::string_view bytes) {
    own_.clear();
    shared_ = std::move(owner);
    view_ = bytes;
    kind_ = Kind::Shared;
  }
  void reset() {
    std::string().swap(own_);
    shared_.reset();
    view_ = {};
    kind_ = Kind::None;
  }
  bool has_value() const { return kind_ != Kind::None; }
  explicit operator bool() const { return has_value(); }
  std::string_view operator*() const { return kind_ == Kind::Shared ? view_ : std::string_view(own_); }
  struct Arrow {
    std::string_view bytes;
    const std::string_view* operator->() const { return &bytes; }
  };
  Arrow operator->() const { return {**this}; }
  // The owner of shared bytes; null for a copy of its own or nothing.
  const std::shared_ptr<const void>& owner() const { return shared_; }

 private:
  enum class Kind : uint8_t { None, Own, Shared };
  std::string own_;
  std::shared_ptr<const void> shared_;
  std::string_view view_;
  Kind kind_ = Kind::None;
};

// Where a string of the archive lives and, when loaded, its stored bytes.
struct TextRecord {
  static constexpr uint64_t kNoOffset = UINT64_MAX;

  uint64_t offset = kNoOffset;       // first byte after the opening '@' in its source
  uint64_t lines = 0;                // line feeds, plus one for an unterminated last line
  uint64_t chars = 0;                // characters, a doubled '@' counted once
  uint64_t storedLength = 0;        // bytes as stored, every '@' doubled
  HeldText data;                     // stored bytes when held in memory
  ByteSource* source = nullptr;      // where offset points; null: the archive's source

  bool inMemory() const { return data.has_value(); }
  bool hasOffset() const { return offset != kNoOffset; }
  // Replaces the content by a caller's text; '@' is doubled while copying.
  void setPlain(std::string_view plain);
  // Replaces the content by text that is already in stored form.
  void setStored(std::string stored);
  void clear() { *this = TextRecord{}; }
};

// Phrases of the format this library does not know (the grammar's
// "newphrase": an id, words, strings and ':' up to ';', such as "expand @k@;"
// or "commitid 10054A8E6F4C4E8A;"), each as the file spelled it from the id to
// the ';'. Kept so that a write gives them back where they were read: in the
// header before "comment" (where RCS 5.8 and later put "integrity") or after
// the known clauses.
using Phrases = std::vector<std::string>;

// One extension attribute of a revision: either a reference to the revision
// that holds the data, or the data itself (stored form).
struct ExtAttribute {
  std::string name;
  bool isReference = false;
  std::string revision;  // when is_reference
  std::string data;      // stored form, when not a reference
};

// A revision's date as stored ("2024.01.02.03.04.05", or with a two-digit
// year): held in place up to 23 characters, which every date the format
// writes fits, so reading a record makes no allocation for it; a longer one
// is held in a string. Reads as a string_view.
class StoredDate {
 public:
  StoredDate() = default;
  StoredDate(std::string_view text) { assign(text); }
  StoredDate& operator=(std::string_view text) {
    assign(text);
    return *this;
  }
  StoredDate& operator=(const std::string& text) { return *this = std::string_view(text); }
  StoredDate& operator=(const char* text) { return *this = std::string_view(text); }
  std::string_view view() const { return size_ <= kInPlace ? std::string_view(inPlace_, size_) : std::string_view(long_); }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  bool empty() const { return size_ == 0; }
  size_t size() const { return view().size(); }
  friend bool operator==(const StoredDate& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const StoredDate& a, const StoredDate& b) { return a.view() == b.view(); }

 private:
  static constexpr size_t kInPlace = 23;
  void assign(std::string_view text) {
    if (text.size() <= kInPlace) {
      if (!text.empty()) std::memcpy(inPlace_, text.data(), text.size());
      size_ = static_cast<uint8_t>(text.size());
      long_.clear();
    } else {
      long_.assign(text);
      size_ = kInPlace + 1;
    }
  }

  char inPlace_[kInPlace] = {};
  uint8_t size_ = 0;  // in place up to kInPlace; kInPlace + 1: in long_
  std::string long_;
};
std::ostream& operator<<(std::ostream& out, const StoredDate& date);

struct DeltaRecord {
  // What the archive knows about this revision's texts.
  enum class Texts : uint8_t {
    Unread,    // the file holds them further on; not scanned yet
    Read,      // scanned from the file: log and text records are valid
    Detached,  // set in memory (a new revision); not taken from the file
  };

  DeltaRecord* parent = nullptr;          // record whose next or branches names this one
  DeltaRecord* next = nullptr;
  std::vector<DeltaRecord*> branches;     // first records of branches, in file order
  std::string revision;
  StoredDate date;
  std::string author;
  std::string state;
  std::vector<ExtAttribute> ext;
  Phrases phrases;      // after "next" in the revision's entry
  Phrases textPhrases;  // between its log and text strings
  TextRecord log;
  TextRecord text;
  uint32_t changeFlags = 0;              // kDeltaChanged
  Texts texts = Texts::Unread;
  bool defined = false;                   // its record in the header was read (or it was made in memory)
};

inline constexpr uint32_t kDeltaChanged = 1u << 0;

// Flag bits of the archive record.
inline constexpr uint8_t kFlagStrict = 1u << 0;
inline constexpr uint8_t kFlagBinary = 1u << 1;
inline constexpr uint8_t kFlagFormatStated = 1u << 2;
inline constexpr uint8_t kFlagEncrypted = 1u << 3;
inline constexpr uint8_t kFlagModified = 1u << 4;
inline constexpr uint8_t kFlagCreated = 1u << 5;
inline constexpr uint8_t kFlagKeepClosed = 1u << 7;

struct Symbol {
  std::string revision;
  std::string name;
};

struct Lock {
  std::string revision;
  std::string user;
};

enum class ReadState : uint8_t { Nothing = 0, Header = 1, All = 2 };

class ArchiveFile {
 public:
  ArchiveFile() = default;
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // --- contents of the file ---
  DeltaRecord* head = nullptr;
  std::string defaultBranch;                 // empty: none
  std::vector<std::string> access;            // names without quotes
  std::vector<std::string> securityObjects;  // names without the "__Security_Object__" prefix
  std::vector<Symbol> symbols;
  std::vector<Lock> locks;
  uint8_t flags = 0;
  uint8_t compression = 0;                    // compression bits, 0 none (set by the opening layer)
  TextRecord comment;                         // always written; empty when the file had none
  TextRecord extension;                       // written only when has_extension
  bool hasExtension = false;
  TextRecord description;
  Phrases phrasesBeforeComment;               // between "locks ...; strict;" and "comment"
  Phrases phrases;                            // after the known header clauses

  // --- reader state ---
  ReadState readState = ReadState::Nothing;
  bool quickHeader = false;                  // header read in quick mode: never write it
  uint64_t textPosition = 0;                 // where the first delta text begins
  uint64_t resumePosition = 0;               // where the first unread delta text begins
  ByteSource* source = nullptr;               // plain text of the archive (not owned)
  DeltaRecord* current = nullptr;             // last record found by find_delta

  // --- what the writer needs to know about the source file ---
  bool sourceCanonical = false;              // header bytes were exactly what the writer makes
  size_t fileDeltaCount = 0;                // delta records defined by the file's header
  std::vector<DeltaRecord*> readOrder;       // deltas whose texts were read, in file order

  // --- result of the last write ---
  uint16_t checksum = 0;
  uint64_t length = 0;

  // Record lookup by revision number (exact text).
  DeltaRecord* lookup(std::string_view revision) const;
  // Makes a record for a revision not known yet; null when it exists already.
  DeltaRecord* createDelta(std::string_view revision);
  // Gives a record a new number; false when that number is taken.
  bool renumberDelta(DeltaRecord* d, std::string_view revision);

  // Frees a record that is no longer linked into the tree (revision
  // deletion); the caller has unlinked it and read every text of the file.
  void dropDelta(DeltaRecord* record);
  // All records, in the order they were made.
  const std::vector<DeltaRecord*>& allDeltas() const { return deltas_; }
  // Forgets everything read (the source stays).
  void reset();

  // Changes of the revision tree: counted by the calls above that make,
  // drop or renumber records and by treeChanged(), which code that links or
  // unlinks records calls. Orders kept over the tree compare it.
  uint64_t treeGeneration() const { return generation_; }
  void treeChanged() { ++generation_; }

  // The enumeration order of the records and each record's place in it, as
  // last made (vc/revisions keeps them; in memory only).
  struct OrderCache {
    bool built = false;
    uint64_t generation = 0;
    std::vector<DeltaRecord*> order;
    std::unordered_map<const DeltaRecord*, size_t> position;
  };
  mutable OrderCache enumeration;

 private:
  // Records are made in blocks that never move (one allocation for many
  // records); a dropped record is emptied in place and its room stays until
  // reset().
  struct RecordBlock {
    DeltaRecord* items;
    size_t used;
    size_t capacity;
  };
  DeltaRecord* newRecord();
  void freeRecords();
  // Revision number to record: open addressing (linear probing) over the
  // records' own numbers, so no key is copied.
  struct Slot {
    DeltaRecord* record;
    size_t hash;
  };
  static size_t hashRevision(std::string_view revision);
  size_t findSlot(std::string_view revision, size_t hash) const;  // the slot that holds it, or the empty one where it would go
  void growIndex();
  void indexInsert(DeltaRecord* d, size_t hash);
  void indexErase(DeltaRecord* d);

  std::vector<RecordBlock> blocks_;
  std::vector<DeltaRecord*> deltas_;
  std::vector<Slot> slots_;  // size a power of two, at most half full; empty before the first record
  size_t indexed_ = 0;
  uint64_t generation_ = 0;
  mutable DeltaRecord* lastFound_ = nullptr;  // the record lookup() found last
};

// The order in which the delta records are written: from the head along next;
// after a chain, the branches of its records, each walked the same way.
std::vector<DeltaRecord*> recordOrder(const ArchiveFile& a);
// The order of the delta texts: each record, then its branches from the last
// listed to the first, then the record's successor on its chain.
std::vector<DeltaRecord*> textOrder(const ArchiveFile& a);

// Finds a revision: a number the archive holds as written through the
// record index, any other by walking from the head with the revision
// comparison. Sets a.current to the record found or, when absent, to the nearest record
// the walk reached (the head's neighbourhood or a branch end). Answers the
// record found or null.
DeltaRecord* findDelta(ArchiveFile& a, std::string_view revision);

// Memory held in in-memory copies of texts, and the release of copies that
// can be read again (they have an offset): description first, then for each
// revision of the tree (branches before the revision) its log and its text.
// Nothing is dropped when more is asked than could be freed. Answers the bytes freed.
// A text that shares a block the reader read counts its own bytes; the block
// itself goes when the last text that shares it lets go.
uint64_t heldTextBytes(const ArchiveFile& a);
uint64_t releaseTexts(ArchiveFile& a, uint64_t wanted);

}  // namespace vc::archive
