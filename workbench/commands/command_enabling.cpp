// The enabling rules of the archive window, the project window and the
// frame. Every rule is written as one && chain in the order its terms are
// to be asked.
#include "workbench/commands/command_enabling.h"

#include "workbench/app/library_settings.h"
#include "workbench/app/string_table.h"
#include "workbench/commands/command_table.h"

namespace orv::workbench::commands {

namespace {

EnableResult decide(bool enabled) { return {enabled ? Enabling::enabled : Enabling::disabled, {}}; }
EnableResult decide(bool enabled, std::string_view text) {
  return {enabled ? Enabling::enabled : Enabling::disabled, std::string(text)};
}

// Permission questions, plain and in the global scope.
class Ask {
 public:
  explicit Ask(PermissionOracle& oracle) : oracle_(oracle) {}
  bool operator()(std::string_view name) const { return oracle_.hasPermission(name); }
  bool global(std::string_view name) const {
    return oracle_.withoutLibraryContext([&] { return oracle_.hasPermission(name); });
  }

 private:
  PermissionOracle& oracle_;
};

bool ask(const std::function<bool()>& question) { return question && question(); }

// The File commands both windows decide the same way.
std::optional<EnableResult> enableFileCommand(int id, const Ask& may) {
  switch (id) {
    case kCommandCreateArchive:
    case kCommandImportArchive:
      return decide(may.global("CreateArchive"));
    case kCommandOpenArchive:
      return decide(may("OpenArchive"));
    case kCommandCreateProject:
      return decide(may.global("CreateProject"));
    case kCommandOpenProject:
      return decide(may("OpenProject"));
    default:
      return std::nullopt;
  }
}

// A file on disk is edited when writable, viewed when read-only, and
// neither when missing.
EnableResult viewOrEditFile(FileState file) {
  switch (file) {
    case FileState::writable:
      return decide(true, loadString(kStrEditWorkFile));
    case FileState::readOnly:
      return decide(true, loadString(kStrViewWorkFile));
    case FileState::missing:
      break;
  }
  return decide(false, loadString(kStrViewWorkFile));
}

// View or edit the selected row of an archive window: a revision is viewed
// (checked out to a temporary copy), the working-file row edits or views
// the working file.
EnableResult enableArchiveViewEdit(const ArchiveWindowFacts& facts, const Ask& may) {
  if (facts.selectedCount != 1) return decide(false);
  if (!facts.firstSelectedIsWorkFile) return decide(may("CheckOut"), loadString(kStrViewRevision));
  return viewOrEditFile(facts.workFile);
}

EnableResult enableProjectEditMember(const ProjectWindowFacts& facts) {
  std::optional<SelectedMember> member;
  if (facts.selectedCount == 1 && facts.selectedMember) member = facts.selectedMember();
  if (!member) return decide(false, loadString(kStrViewWorkFile));
  if (member->type == 'i') return decide(member->file != FileState::missing, loadString(kStrOpenSubproject));
  return viewOrEditFile(member->file);
}

EnableResult enableRecentFile(int id, const Ask& may, std::span<const int> recentKinds) {
  const auto n = static_cast<std::size_t>(id - kCommandRecentFile1);
  if (n >= recentKinds.size()) return {};
  const int kind = recentKinds[n];
  if (kind & 16) return decide(may("OpenSandbox") && may("OpenArchive"));
  if (kind & 8) return decide(may("OpenSandbox"));
  if (kind & 4) return decide(may("OpenProject"));
  if (kind & 2) return decide(may("OpenArchive"));
  if (kind & 1) return decide(may("OpenProject") || may("OpenArchive"));
  return {};
}

}  // namespace

bool LibraryPermissions::hasPermission(std::string_view name) {
  return app::hasPermission(std::string(name).c_str());
}

bool LibraryPermissions::withoutLibraryContext(const std::function<bool()>& check) {
  struct Restore {
    ~Restore() { restoreLibraryContext(); }
  };
  saveLibraryContext();
  Restore restore;
  return check();
}

EnableResult enableForFrame(int id, PermissionOracle& oracle, std::span<const int> recentKinds) {
  const CommandInfo* info = findCommand(id);
  if (!info) return {};
  const Ask may(oracle);
  switch (info->client) {
    case ClientRule::permission:
      return decide(may(info->permission));
    case ClientRule::disabled:
      return decide(false);
    case ClientRule::recentFile:
      return enableRecentFile(id, may, recentKinds);
    case ClientRule::untouched:
      break;
  }
  return {};
}

EnableResult enableForArchiveWindow(int id, const ArchiveWindowFacts& facts,
                                    PermissionOracle& oracle) {
  const Ask may(oracle);
  if (auto file = enableFileCommand(id, may)) return *file;
  const int selected = facts.selectedCount;
  const bool oneRevision = selected == 1 && !facts.firstSelectedIsWorkFile;
  switch (id) {
    case kCommandCompareRevisions:
      return decide(may("CheckOut") && selected == 2);
    case kCommandCheckIn:
      return decide(may("CheckIn"));
    case kCommandCheckOut:
      return decide(may("CheckOut"));
    case kCommandArchiveInfo:
      return decide(true);
    case kCommandRevisionInfo:
    case kCommandUnlockRevision:
      return decide(oneRevision);
    case kCommandLockRevision:
      return decide(may("Lock") && oneRevision);
    case kCommandViewEdit:
      return enableArchiveViewEdit(facts, may);
    case kCommandPromoteRevision:
      return decide(may("Promote") && oneRevision && ask(facts.hasSeveralStates));
    case kCommandDemoteRevision:
      return decide(may("Demote") && oneRevision && ask(facts.hasSeveralStates));
    case kCommandCreateSandbox:
    case kCommandArchiveReport:
      return decide(false);
    case kCommandDeleteRevision: {
      std::string text(loadString(kStrDeleteRevisionItem));
      if (selected > 1) text += 's';
      return decide(may("DeleteRevision") && selected >= 1 && !facts.firstSelectedIsWorkFile, text);
    }
    default:
      return {};
  }
}

EnableResult enableForProjectWindow(int id, const ProjectWindowFacts& facts,
                                    PermissionOracle& oracle) {
  const Ask may(oracle);
  if (auto file = enableFileCommand(id, may)) return *file;
  const unsigned s = facts.selectedCount;
  const bool r = facts.selectionHasRevision;
  const bool f = facts.frozen;
  const bool hs = facts.historical;
  const bool fr = facts.frozenRequested;
  auto v = [&] { return ask(facts.mayCheckpointVariant); };
  auto states = [&] { return ask(facts.hasSeveralStates); };
  switch (id) {
    case kCommandAddMembers:
      return decide(may("AddMember") && v() && !hs && !f);
    case kCommandRemoveMembers:
      return decide(may("RemoveMember") && v() && !hs && !f && s > 0);
    case kCommandMemberInfo:
      return decide(s == 1);
    case kCommandProjectInfo:
      return decide(true, facts.sandbox ? loadString(kStrSandboxInformation)
                                        : findCommand(id)->menuText);
    case kCommandUpdateToHead:
      return decide(may("ModifyProject") && may("OpenArchive") && r && v() && !hs && !f && s > 0);
    case kCommandOpenMemberArchive:
      return decide(may("OpenArchive") && r && s > 0);
    case kCommandCheckInMembers:
      return decide(may("CheckIn") && s > 0);
    case kCommandCheckOutMembers:
      return decide(may("CheckOut") && r && s > 0);
    case kCommandLabelMembers:
      return decide(may("AddLabel") && r && s > 0);
    case kCommandProjectReport:
      return decide(false);
    case kCommandDependencies: {
      if (s != 1 || !facts.selectedMember) return decide(false);
      const auto member = facts.selectedMember();
      return decide(member && member->type != 'i' && member->type != 's');
    }
    case kCommandBuild:
      return decide(true);
    case kCommandCheckpoint:
      return decide(may("Checkpoint") && v() && !hs && !fr);
    case kCommandOpenProjectArchive: {
      if (!may("OpenArchive") || !facts.projectRevision) return decide(false);
      const auto revision = facts.projectRevision();
      return decide(revision && !revision->empty());
    }
    case kCommandResynchronize:
      return decide(may("CheckOut"));
    case kCommandRemoveUnusedLocks:
      return decide(may("OpenArchive"));
    case kCommandCreateSandbox:
      return decide(may("CreateSandbox") && !facts.sandbox);
    case kCommandLockMembers:
      return decide(may("Lock") && r && s > 0);
    case kCommandUnlockMembers:
      return decide(may("OpenArchive") && r && s > 0);
    case kCommandEditMember:
      return enableProjectEditMember(facts);
    case kCommandMemberDifferences:
      return decide(may("CheckOut") && r && s == 1);
    case kCommandPromoteProject:
      return decide(may("Promote") && states());
    case kCommandDemoteProject:
      return decide(may("Demote") && states());
    case kCommandPromoteMembers:
      return decide(may("Promote") && r && states() && s > 0);
    case kCommandDemoteMembers:
      return decide(may("Demote") && r && states() && s > 0);
    case kCommandFreezeProject:
      return decide(may("FreezeProject") && !f && v() && !hs && !fr);
    case kCommandThawProject:
      return decide(may("ThawProject") && f && v() && !hs && !fr);
    case kCommandFreezeMembers:
      return decide(may("FreezeMember") && r && v() && !hs && !f && s > 0);
    case kCommandThawMembers:
      return decide(may("ThawMember") && r && v() && !hs && !f && s > 0);
    default:
      return {};
  }
}

}  // namespace orv::workbench::commands
