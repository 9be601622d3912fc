// The state lists: the states offered, the state a new revision starts in,
// and the "LockStates" rule, through the library on the double.
#include <gtest/gtest.h>

#include "workbench/app/library_settings.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ArchiveTest;

TEST(StateWords, SeparatorRunsGiveTheSamePositionsAsSingleCommas) {
  const char* spaced = " ,\tExp,, Rel \t,Prod";
  for (const char* word : {"Exp", "Rel", "Prod"})
    EXPECT_EQ(app::findWordInList(word, spaced), app::findWordInList(word, "Exp,Rel,Prod")) << word;
  EXPECT_EQ(app::findWordInList("Prod", spaced), 2);
  EXPECT_EQ(app::findWordInList("prod", spaced), -1);
  EXPECT_EQ(app::findWordInList("Pro", spaced), -1);
}

class StateListTest : public ArchiveTest {};

TEST_F(StateListTest, LockStatesOfSeparatorsOnlyRestrictNothing) {
  kel.grantWithValue("LockStates", " ,\t, ");
  start();
  EXPECT_TRUE(app::isLockableState("Exp"));
  EXPECT_TRUE(app::isLockableState("anything"));
}

TEST_F(StateListTest, OneLockStateRefusesEveryOther) {
  kel.grantWithValue("LockStates", "Rel");
  start();
  EXPECT_TRUE(app::isLockableState("Rel"));
  EXPECT_FALSE(app::isLockableState("Exp"));
  EXPECT_FALSE(app::isLockableState("rel"));
}

TEST_F(StateListTest, AllowedStatesComeBeforeTheConfiguredList) {
  kel.grantWithValue("AllowedStates", "Rel, Prod");
  start("states=Exp,Rel,Prod\n");
  EXPECT_EQ(offeredStates(), (std::vector<std::string>{"Rel", "Prod"}));
}

TEST_F(StateListTest, TheConfiguredListServesWhenAllowedStatesNamesNone) {
  kel.grantWithValue("AllowedStates", " , ");
  start("states=Exp Rel\tProd\n");
  EXPECT_EQ(offeredStates(), (std::vector<std::string>{"Exp", "Rel", "Prod"}));
}

TEST_F(StateListTest, ANewRevisionStartsInTheFirstValidListedState) {
  start();
  struct Case {
    const char* states;  // nullptr: the option is not defined
    const char* state;
    bool fromList;
  } cases[] = {{nullptr, "Exp", false},
               {"Draft,Rel", "Draft", true},
               {" ,\tDraft Rel", "Draft", true},
               {"1bad,Rel", "Exp", false},
               {"A234567890123456789012345678901234567890,Rel", "Exp", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.states ? c.states : "(none)");
    if (c.states)
      ASSERT_EQ(vcSetConfig("states", c.states), 0);
    else
      vcDropConfig("states");
    const InitialState initial = initialState(0);
    EXPECT_EQ(initial.state, c.state);
    EXPECT_EQ(initial.fromList, c.fromList);
  }
}

}  // namespace
}  // namespace orv::workbench::dialogs
