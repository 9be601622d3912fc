// What the operation dialogs share between their records and controls:
// copying an entry or a check box into a record field (cut to the field's
// width), and the token check of the entry fields when the dialog is
// accepted.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/app/token_validator.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"

namespace orv::workbench::dialogs {

template <std::size_t N>
void readField(const ui::DialogSurface& surface, int id, char (&field)[N]) {
  archive::setField(field, surface.text(id));
}

inline std::uint32_t checkedValue(const ui::DialogSurface& surface, int id) {
  return surface.isChecked(id) ? 1 : 0;
}

// A box whose record value is fixed: shown with value and disabled.
inline void fixBox(ui::DialogSurface& surface, int id, bool value) {
  surface.setChecked(id, value);
  surface.setEnabled(id, false);
}

// The entry of entries a list control shows chosen: its text, else its
// selected row; -1 when it names none of them.
int chosenIndex(const ui::DialogSurface& surface, int id, const std::vector<std::string>& entries);

// Commits the changes made under the archive's write lock (under the wait
// cursor) and lets the library close the file. A failed commit throws the
// changes away (the archive is read again as stored) and is shown. True
// when committed.
bool commitArchiveChanges(archive::OpenArchive& archive);

// True when the configuration enforces "logname": the author is not the
// user's to choose.
bool lognameEnforced();

struct TokenField {
  int id;
  app::TokenKind kind;
};
// Checks each enabled field in order with the library's token rules; at the
// first refusal shows its message, puts the focus there and answers false.
bool validateTokenFields(ui::Ui& ui, ui::DialogSurface& surface, std::initializer_list<TokenField> fields);

// The four entries of a new revision (label, number, state, author) with
// their captions, as both the Check In and the Create Archive dialog have
// them, each under its own ids.
struct RevisionFieldIds {
  int labelCaption, label, numberCaption, number, stateCaption, state, authorCaption, author;
};
// Appends the captions and entries, in that order, to controls in group.
void addRevisionFields(std::vector<ui::ControlDescription>& controls, const RevisionFieldIds& ids, int group);
// The token check of the four entries (see validateTokenFields).
bool validateRevisionFields(ui::Ui& ui, ui::DialogSurface& surface, const RevisionFieldIds& ids);

// Shows and takes back the four entries of a record that has them.
template <class Record>
void showRevisionFields(ui::DialogSurface& surface, const RevisionFieldIds& ids, const Record& record) {
  surface.setText(ids.label, archive::fieldText(record.label));
  surface.setText(ids.number, archive::fieldText(record.number));
  surface.setText(ids.state, archive::fieldText(record.state));
  surface.setText(ids.author, archive::fieldText(record.author));
}
template <class Record>
void takeRevisionFields(const ui::DialogSurface& surface, const RevisionFieldIds& ids, Record& record) {
  readField(surface, ids.label, record.label);
  readField(surface, ids.number, record.number);
  readField(surface, ids.state, record.state);
  readField(surface, ids.author, record.author);
}

}  // namespace orv::workbench::dialogs
