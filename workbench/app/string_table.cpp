// The text table itself: a sorted constant array searched by number. Texts
// are kept byte for byte as the program has always shown them (note the two
// blanks after "Number." and the doubled '%' of texts used as formats).
#include "workbench/app/string_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orv::workbench::app {

namespace {

using Entry = std::pair<int, std::string_view>;

constexpr std::array kStrings = {
    Entry{0, "Orv Tessalyworkbench"},
    Entry{13, "ORVTY.HLP"},
    Entry{14, "TESSALY.HLP"},
    Entry{107, "%Y/%m/%d %H:%M:%S"},
    Entry{113, "A"},
    Entry{282, "TMDIArchive"},
    Entry{283, "TMDIProject"},
    Entry{284, "TMDISandbox"},
    Entry{285, "Project Window"},
    Entry{500, "Writable work file %s.\nOverwrite it?"},
    Entry{501, "File %s is the same as revision %s.\nCheck in anyway?"},
    Entry{502, "Unable to remove %s.\n%s"},
    Entry{503, "Label %s is already assigned to revision %s.\nDo you want to delete the existing label "
               "and move the label to revision %s?"},
    Entry{504, "Cannot access file %s.\n(You may not be in the right directory)"},
    Entry{505, "No memory to view %s."},
    Entry{506, "Cannot load %s.\nFile or Path not found."},
    Entry{507, "Cannot load %s.\nFailed with code=%d."},
    Entry{508, "Cannot load %s.\nNot a Windows program."},
    Entry{509, "Cannot load %s.\nNot enough memory."},
    Entry{510, "Cannot load %s.\nAlready running, and only one instance allowed."},
    Entry{512, "Can't find a working file for %s."},
    Entry{513, "The archive file for %s is inaccessible."},
    Entry{516, "File %s does not exist."},
    Entry{517, "Missing a username.\nUse Configuration... to set your username."},
    Entry{518, "You do not have a lock on this revision of archive %s."},
    Entry{519, "You already have a lock on revision %s of archive %s. Unlock it first."},
    Entry{520, "Illegal Label. Must be alphanumeric characters, leading alphabetic character."},
    Entry{521, "Illegal State. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), "
               "leading alphabetic character."},
    Entry{522, "Illegal Author. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), "
               "leading alphabetic character."},
    Entry{523, "Illegal Revision Number.  Must be digit sequences separated by periods, nonzero "
               "leading digit in each sequence."},
    Entry{525, "Illegal Branch. Must be a valid Label (alphanumeric characters, leading "
               "alphabetic), or a valid Revision Number (digit sequences separated by periods, "
               "nonzero leading digit in each sequence)."},
    Entry{526, "Illegal Attribute. Must be one of the following forms:\nVariable\nVariable=Value\n"
               "Variable and Value are alphanumeric characters, leading alphabetic character."},
    Entry{528, "&View Revision"},
    Entry{530, "Edit &Working File"},
    Entry{531, "View &Working File"},
    Entry{537, "Revision %s is not in archive %s."},
    Entry{538, "Member %s:\nLabel %s already assigned to revision %s.\nDo you want to move this label to %s?"},
    Entry{539, "Unable to add label %s to revision %s of archive%s."},
    Entry{540, "Unable to set state to %s in revision %s of archive %s."},
    Entry{542, "Cannot open %s."},
    Entry{543, "Member %s is already in the project, and will not be added again. Do you wish to be warned about other attempts to re-add an existing member?"},
    Entry{547, "Diff failed.\n%s"},
    Entry{548, "No lines selected.\nSelect at least one line."},
    Entry{549, "Too many members selected! Try again with fewer."},
    Entry{550, "Project %s"},
    Entry{551, "Sandbox %s"},
    Entry{552, "Variant Sandbox %s"},
    Entry{553, "Historical Sandbox %s"},
    Entry{554, "Historical Project %s"},
    Entry{555, "Frozen Sandbox %s"},
    Entry{556, "Frozen Project %s"},
    Entry{557, "No working file"},
    Entry{558, "Cannot access working file"},
    Entry{559, "Working file modified"},
    Entry{560, "Working file"},
    Entry{561, "%ld bytes longer"},
    Entry{562, "%ld bytes shorter"},
    Entry{563, "newer:"},
    Entry{564, "older:"},
    Entry{565, "No archive file"},
    Entry{566, "Archive corrupted"},
    Entry{567, "Archive encrypted - valid password not entered"},
    Entry{568, "Archive missing revision"},
    Entry{569, "Archive in use"},
    Entry{570, "New revision available:"},
    Entry{571, "Locked by:"},
    Entry{574, "Do you really want to remove member:\n%s?"},
    Entry{577, "Working file corresponds to revision"},
    Entry{581, "Could not create sandbox %s."},
    Entry{584, "Cannot get path to working file %s: %s"},
    Entry{595, "Cannot change to project working directory %s."},
    Entry{597, "Cannot get %s revision."},
    Entry{598, "%s has changed, ignored."},
    Entry{599, "%s: cannot determine project working directory."},
    Entry{600, "The archive %s has been updated by another user.\nDo you want to reload it?"},
    Entry{601, "Cannot check out project member %s.\nMember is not of type 'Archived'."},
    Entry{603, "Failure trying to communicate with the Orv Tessalyworkbench NetWare NLM."},
    Entry{604, "Access denied by the Orv Tessalyworkbench NetWare NLM."},
    Entry{605, "Unrecognized NetWare error."},
    Entry{618, "Cannot access working file %s.\nAdd to project anyway?"},
    Entry{620, "Too many files selected!  Try again with fewer."},
    Entry{651, "Initial revision"},
    Entry{652, "Archive %s"},
    Entry{653, "Archive %s  (from %s)"},
    Entry{654, "Updating..."},
    Entry{655, "Checking In..."},
    Entry{656, "Checking Out..."},
    Entry{657, "vs."},
    Entry{658, "%s: cannot save variant changes!"},
    Entry{659, "%s: cannot set new revision to %s."},
    Entry{660, "%s: cannot save"},
    Entry{662, "%s: archive inaccessible."},
    Entry{663, "%s: cannot check in revision %s, already locked at %s."},
    Entry{664, "%s: cannot lock revision %s."},
    Entry{665, "%s: done."},
    Entry{666, "New Project"},
    Entry{667, "%s: checking out revision %s."},
    Entry{675, "Creating Sandbox..."},
    Entry{676, "Orv Tessalyworkbench Assertion Failure"},
    Entry{677, "Internal error.\nFile %s line %u"},
    Entry{681, "Out of memory!"},
    Entry{682, "This revision (%s) of archive %s is currently locked by %s.  Do you want to unlock it?"},
    Entry{684, "%s: copying member"},
    Entry{690, "Invalid password. Please re-enter."},
    Entry{691, "Passwords are not the same."},
    Entry{692, "Passwords cannot be empty."},
    Entry{693, "%d members:  %d locked;  %d selected"},
    Entry{694, "%d revisions:  %d locked;  %d selected"},
    Entry{727, "Launches"},
    Entry{733, "Open Subprojec&t"},
    Entry{738, "Could not create directory %s."},
    Entry{739, "Select Directory"},
    Entry{743, "%s: creating subproject sandbox"},
    Entry{744, "%s is a release 6.2 Orv RCS project.\nDo you want to convert it now?"},
    Entry{746, "Unable to associate %s to project (%s)."},
    Entry{747, "%s: cannot drop association of archive to project %s."},
    Entry{748, "Multiply included subproject %s."},
    Entry{749, "access denied: %s"},
    Entry{754, "Cannot update project reference file %s."},
    Entry{755, "Unable to perform operation.\n%s is encrypted and a valid password was not entered."},
    Entry{756, "Pre-checkin event for revision %s of archive %s failed.  Checkin operation aborted."},
    Entry{757, "Pre-checkout event for revision %s of archive %s failed.  Checkout operation aborted."},
    Entry{761, "Cannot check out subproject %s.  To work with a different revision of the subproject, create a sandbox based on the appropriate revision."},
    Entry{768, "Locking..."},
    Entry{769, "Unlocking..."},
    Entry{773, "Illegal validator type."},
    Entry{774, "Unable to validate the contents of the entry field."},
    Entry{776, "Illegal Archive Path. Only '%%v', '%%d', and '%%f' are valid variables."},
    Entry{777, "Cannot create temporary file %s.\nYou may not have appropriate file permissions in this "
               "directory, or you may have too many files open."},
    Entry{782, "Your lock on revision %s of file\r\n   %s\r\nhas been broken by %s\r\nfor the following "
               "reason:\r\n"},
    Entry{783, "Lock broken on %s"},
    Entry{786, "Project %s is in use, try again later."},
    Entry{787, "The project %s has been updated by another user.\nDo you want to reload it?"},
    Entry{788, "Cannot add subproject %s from a sandbox. Subprojects must be added via the master project."},
    Entry{796, "This revision (%s) of archive\n%s\nis currently locked by %s.\n\nYou do not have "
               "permission to break locks on revisions in this archive.\nContact your system "
               "administrator, or see Orv Tessalyworkbench\ndocumentation for more information."},
    Entry{797, "Unable to create a temporary file - set the environment variable TMPDIR to point "
               "to the directory where temporary files should be created."},
    Entry{798, "WARNING!  This operation will permanently delete\nrevision %s from the archive.  The "
               "deletion is not\nreversible - it will be impossible to restore the\nrevision in the "
               "future.\n\nAre you sure you want to delete this revision?"},
    Entry{799, "WARNING!  This operation will permanently delete\nrevision %s from the archive.  The "
               "deletion is not\nreversible.\n\nThis revision has label(s) associated with it.  They\n"
               "will be deleted along with the revision.\n\nAre you sure you want to delete this "
               "revision?"},
    Entry{800, "Dele&te Revision"},
    Entry{801, "%s: recursing into subproject."},
    Entry{802, "%s\nis a subproject. Do you want to recurse into it?"},
    Entry{806, "You cannot change the information\nfor any of the members of\n%s\nwhile 'historical' is set."},
    Entry{807, "Frozen Member "},
    Entry{808, "Freezing..."},
    Entry{809, "Thawing..."},
    Entry{810, "%s\nis a frozen member. You cannot modify\nits information while it is frozen."},
    Entry{813, "Sandbox &Information"},
    Entry{820, "Cannot check out revision %s of archive %s."},
    Entry{821, "Cannot check in revision %s to archive %s."},
    Entry{822, "Unable to make the file %s writable\n%s"},
    Entry{823, "Unable to make the file %s readonly\n%s"},
    Entry{824, "Archive cannot be modified - user"},
    Entry{825, "not on access list"},
    Entry{826, "Cannot lock revision %s of archive %s because it has state '%s' and you do not have "
               "permission to lock revisions with that state.\nContact your system administrator, or "
               "see the Orv Tessalyworkbench documentation for more information."},
    Entry{827, "%s\nis a frozen member. You cannot remove it while it is frozen."},
    Entry{828, "Cannot move label '%s' from revision %s to revision %s of archive %s, because you "
               "do not have permission to delete labels.\nContact your system administrator, or "
               "see the Orv Tessalyworkbench documentation for more information."},
    Entry{830, "Select Orv Kelmark Database"},
    Entry{831, "The database file could not be found. Make sure that you have specified the correct "
               "path and filename."},
    Entry{832, "The database redirector file %s already exists. Overwrite it?"},
    Entry{833, "The database redirector file %s could not be created. Contact your system "
               "administrator, or see the Orv Tessalyworkbench documentation for more information."},
    Entry{839, "Archived"},
    Entry{840, "Non-Archived"},
    Entry{841, "Subproject"},
    Entry{846, "You cannot perform this operation on member %s, because there is no revision associated with the member."},
    Entry{847, "Cannot parse file %s."},
    Entry{848, "Archive inaccessible - no KEL permission"},
    Entry{849, "The archive file for %s is inaccessible.\nDo you wish to be warned about other inaccessible archives?"},
    Entry{850, "Cannot check out revision %s of archive %s.\n\nYou do not have permission to check out revisions from this archive.\nDo you wish to be warned about other attempts to check out?"},
    Entry{851, "Do you wish to overwrite the subproject %s?"},
    Entry{852, "Could not start the Vardel application. It must be in your path, or in the directory "
               "where Tessalyworkbench is installed."},
    Entry{854, "Could not perform variable remapping for sandbox %s."},
    Entry{855, "Working file corresponds to unknown revision"},
    Entry{860, "Archive %s already exists."},
    Entry{861, "%s\nA file with this name is located in an archive directory and is not a valid "
               "archive. Move it elsewhere before proceeding."},
    Entry{862, "A PVCS archive %s already exists."},
    Entry{863, "An SCCS archive %s already exists."},
    Entry{864, "You must select exactly one member."},
    Entry{865, "You must select exactly one revision."},
    Entry{866, "Cannot get full member name for %s."},
    Entry{867, "Member %s is not of type 'Archived'."},
    Entry{870, "Cannot access working file %s."},
    Entry{871, "Archive %s has strict locking, and you have no revisions locked."},
    Entry{872, "Cannot delete a label on a different revision.\nLabel %s is associated with revision %s."},
    Entry{873, "There is currently no list of promotion states defined.\nCreate a state list in the Configuration "
               "dialog before proceeding."},
    Entry{874, "Promoting Project Members..."},
    Entry{875, "Demoting Project Members..."},
    Entry{10001, "Revision Server"},
    Entry{10002, "System"},
    Entry{10003, "CreateArchive"},
    Entry{10004, "CreateProject"},
    Entry{10005, "OpenArchive"},
    Entry{10006, "OpenProject"},
    Entry{10007, "CheckIn"},
    Entry{10008, "CheckOut"},
    Entry{10009, "Convert"},
    Entry{10010, "Configuration ;"},
    Entry{10011, "Diff"},
    Entry{10012, "Help ;"},
    Entry{10013, "About ;"},
};

static_assert(std::is_sorted(kStrings.begin(), kStrings.end(),
                             [](const Entry& a, const Entry& b) { return a.first < b.first; }));

}  // namespace

std::string_view loadString(int id) {
  auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                             [](const Entry& e, int v) { return e.first < v; });
  return it != kStrings.end() && it->first == id ? it->second : std::string_view{};
}

}  // namespace orv::workbench::app
