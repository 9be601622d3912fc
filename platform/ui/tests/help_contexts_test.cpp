// The stack of help contexts: nested dialogs give the outer one its
// context back, and a window that ends out of order takes only its own.
#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/dialog_description.h"
#include "platform/ui/help_contexts.h"

namespace orv::ui {
namespace {

TEST(HelpContexts, NestedDialogsRestoreTheOuterContext) {
  EXPECT_EQ(currentHelpContext(), kGenericHelpContext);
  {
    ScopedHelpContext outer(9133);
    EXPECT_EQ(currentHelpContext(), 9133);
    {
      ScopedHelpContext inner(5016);
      EXPECT_EQ(currentHelpContext(), 5016);
    }
    EXPECT_EQ(currentHelpContext(), 9133) << "the inner dialog's end gives the outer its page back";
  }
  EXPECT_EQ(currentHelpContext(), kGenericHelpContext);
  EXPECT_EQ(helpContextDepth(), 0);
}

TEST(HelpContexts, OutOfOrderEndTakesOnlyItsOwnEntry) {
  auto modeless = std::make_unique<ScopedHelpContext>(6071);
  ScopedHelpContext modal(6049);
  modeless.reset();
  EXPECT_EQ(currentHelpContext(), 6049);
  EXPECT_EQ(helpContextDepth(), 1);
}

TEST(HelpContexts, AnEntryChangesWhereItStands) {
  ScopedHelpContext sheet(3000);
  {
    ScopedHelpContext box(9133);
    sheet.change(3018);
    EXPECT_EQ(currentHelpContext(), 9133) << "the box above keeps its own";
  }
  EXPECT_EQ(currentHelpContext(), 3018);
}

}  // namespace
}  // namespace orv::ui
