// The help context of the window the user works in, as a stack: each
// dialog puts its own context on top while it exists and takes it off when
// it goes, so that a box or a file chooser opened from a dialog, and the
// dialog itself once an inner dialog has closed, still answer F1 with the
// dialog's page. Below every dialog lies the generic context.
//
// One stack per process, used from the GUI thread only.
#pragma once

#include <cstdint>

namespace orv::ui {

// The context on top of the stack (kGenericHelpContext when it is empty).
int currentHelpContext();
// How many contexts the stack holds (tests look at it).
int helpContextDepth();

// Puts a context on the stack for its own lifetime. Entries are removed by
// identity, so one that ends out of order (a modeless window) takes only
// its own context off.
class ScopedHelpContext {
 public:
  explicit ScopedHelpContext(int context);
  ~ScopedHelpContext();
  // Changes the context of this entry where it stands (a window whose
  // page changes, such as a property sheet's tab).
  void change(int context);
  ScopedHelpContext(const ScopedHelpContext&) = delete;
  ScopedHelpContext& operator=(const ScopedHelpContext&) = delete;

 private:
  std::uint64_t token_;
};

}  // namespace orv::ui
