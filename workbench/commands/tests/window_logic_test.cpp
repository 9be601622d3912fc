// The toolkit-free parts of the document windows: remembered sizes, the
// list form setting, states, resize differences, layouts, captions, the
// selected revisions, and the dialogs' line-end helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/profile/profile.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/app/dialog_text.h"
#include "workbench/commands/document_window.h"
#include "workbench/commands/window_captions.h"
#include "workbench/commands/window_layout.h"
#include "workbench/commands/window_selection.h"
#include "workbench/external/file_filters.h"

namespace orv::workbench::commands {
namespace {

// ---- line ends -------------------------------------------------------

struct LineEndCase {
  const char* source;
  std::size_t size;
  const char* added;  // addCarriageReturns' result
  bool addFits;
  const char* stripped;  // stripCarriageReturns' result
  bool stripFits;
};

// The destination is a larger buffer filled with '#', so a write past size
// shows.
TEST(LineEnds, Table) {
  const LineEndCase cases[] = {
      {"a\nb", 1, "", false, "", false},
      {"", 1, "", true, "", true},
      {"a\nb", 5, "a\r\nb", true, "a\nb", true},        // exact fit
      {"a\nb", 3, "a", false, "a\n", false},           // the pair does not fit whole
      {"a\r\nb", 5, "a\r\nb", true, "a\nb", true},      // CR LF already there
      {"a\rb\r", 5, "a\rb\r", true, "a\rb\r", true},    // CR alone, and at the end
      {"\n\n", 5, "\r\n\r\n", true, "\n\n", true},
      {"\r\n\r\n", 3, "\r\n", false, "\n\n", true},
      {"\r", 2, "\r", true, "\r", true},
      {"abc", 3, "ab", false, "ab", false},
  };
  for (const LineEndCase& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(addCarriageReturns(buffer, c.source, c.size), c.addFits) << c.source;
    EXPECT_STREQ(buffer, c.added) << c.source;
    EXPECT_TRUE(std::all_of(buffer + c.size, buffer + sizeof buffer, [](char b) { return b == '#'; }));

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(stripCarriageReturns(buffer, c.source, c.size), c.stripFits) << c.source;
    EXPECT_STREQ(buffer, c.stripped) << c.source;
    EXPECT_TRUE(std::all_of(buffer + c.size, buffer + sizeof buffer, [](char b) { return b == '#'; }));
  }
  char untouched = '#';
  EXPECT_FALSE(addCarriageReturns(&untouched, "x", 0));
  EXPECT_EQ(untouched, '#');
}

TEST(LineEnds, StripInPlace) {
  char text[] = "one\r\ntwo\r\r\nthree\r";
  EXPECT_TRUE(stripCarriageReturns(text, text, sizeof text));
  EXPECT_STREQ(text, "one\ntwo\r\nthree\r");
}

TEST(DialogText, FindStringIndex) {
  const std::vector<std::string> choices = {"Exp", "Rel", "exp", "Rel"};
  EXPECT_EQ(findStringIndex(choices, "Rel"), 1);
  EXPECT_EQ(findStringIndex(choices, "exp"), 2);
  EXPECT_EQ(findStringIndex(choices, "Beta"), -1);
  const char* const words[] = {"a", "b"};
  EXPECT_EQ(findStringIndex(words, "b"), 1);
}

TEST(FileFilters, EndWithTheSeparator) {
  EXPECT_EQ(kMemberFileFilter.substr(0, 14), "All Files|*.*|");
  EXPECT_TRUE(kMemberFileFilter.ends_with("|TY Project Files|*.pj|"));
  // Pairs of description and patterns.
  EXPECT_EQ(std::count(kMemberFileFilter.begin(), kMemberFileFilter.end(), '|'), 16);
  EXPECT_EQ(kProjectFileFilter, "Project Files (*.pj)|*.pj|All Files (*.*)|*.*|");
}

// ---- remembered size and settings ---------------------------------------

struct SizeCase {
  const char* stored;
  Extent expected;
};

TEST(WindowSize, Restore) {
  const Extent client{800, 600};  // three quarters: 600 x 450
  const SizeCase cases[] = {
      {"-1,-1", {600, 450}},   {"0,0", {600, 450}},     {"800,600", {600, 450}},
      {"799,599", {799, 599}}, {"1,1", {1, 1}},         {"640,900", {640, 450}},
      {"", {600, 450}},        {"abc", {600, 450}},     {"640", {640, 450}},
      {"640;480", {640, 450}}, {"x,480", {600, 450}},   {" 320, 200", {320, 200}},
      {"99999999999,5", {600, 5}},
  };
  for (const SizeCase& c : cases) EXPECT_EQ(restoredWindowSize(c.stored, client), c.expected) << c.stored;
  EXPECT_EQ(restoredWindowSize("10,10", {7, 3}), (Extent{5, 2}));  // integer division
}

TEST(WindowSize, SavedOnlyWhenShownNormally) {
  test::TempDir dir;
  const std::string ini = dir.file("ORVTY.INI");
  const std::string_view archive = windowSection(ChildKind::archive);
  EXPECT_EQ(restoreWindowSize(ini, archive, {800, 600}), (Extent{600, 450}));  // nothing stored

  EXPECT_EQ(saveWindowSize(ini, archive, ShowState::maximized, {500, 300}), 0);
  EXPECT_EQ(saveWindowSize(ini, archive, ShowState::minimized, {500, 300}), 0);
  EXPECT_FALSE(profile::getProfileString(ini, "Archive Window", "WindowSize", "").size());

  EXPECT_EQ(saveWindowSize(ini, archive, ShowState::normal, {500, 300}), 0);
  EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "WindowSize", ""), "500,300");
  EXPECT_EQ(restoreWindowSize(ini, archive, {800, 600}), (Extent{500, 300}));
  // The project windows keep their own.
  EXPECT_EQ(windowSection(ChildKind::project), "Project Window");
  EXPECT_EQ(restoreWindowSize(ini, windowSection(ChildKind::project), {800, 600}), (Extent{600, 450}));
}

TEST(WindowSettings, ListView) {
  for (const char* yes : {"yes", "YES", "Yes", "yesno"}) EXPECT_TRUE(listViewChosen(yes)) << yes;
  for (const char* no : {"no", "ye", "", " yes", "y"}) EXPECT_FALSE(listViewChosen(no)) << no;

  test::TempDir dir;
  const std::string ini = dir.file("ORVTY.INI");
  EXPECT_TRUE(readListViewSetting(ini, "Project Window"));  // the default
  ASSERT_EQ(profile::writeProfileString(ini, "Project Window", "ListView", "no"), 0);
  EXPECT_FALSE(readListViewSetting(ini, "Project Window"));
  EXPECT_TRUE(readListViewSetting(ini, "Archive Window"));
}

TEST(WindowSettings, SeveralStates) {
  const std::pair<std::optional<std::string_view>, bool> cases[] = {
      {std::nullopt, false}, {"", false},         {"Exp", false},  {"Exp,Rel", true},
      {"Exp Rel", true},     {"Exp\tRel", true},  {",", true},     {"Exp;Rel", false},
  };
  for (const auto& [states, several] : cases) EXPECT_EQ(namesSeveralStates(states), several);
}

// ---- resizes -------------------------------------------------------------

TEST(ClientSize, ResizeDifferences) {
  ClientSizeTracker tracker;
  tracker.relayout({400, 300});
  using Change = ClientSizeTracker::Change;
  EXPECT_EQ(tracker.resized(ShowState::normal, false, {410, 300}), (Change{10, 0}));  // an edge dragged
  EXPECT_EQ(tracker.resized(ShowState::minimized, false, {0, 0}), std::nullopt);
  EXPECT_EQ(tracker.resized(ShowState::maximized, true, {1000, 700}), std::nullopt);
  EXPECT_EQ(tracker.last(), (Extent{410, 300}));  // neither was taken
  EXPECT_EQ(tracker.resized(ShowState::maximized, false, {1000, 700}), (Change{590, 400}));
  EXPECT_EQ(tracker.resized(ShowState::normal, false, {410, 290}), (Change{-590, -410}));
}

TEST(ClientSize, MinimumAndInitialState) {
  EXPECT_EQ(minimumWindowSize({1280, 1024}), (Extent{426, 341}));
  EXPECT_EQ(initialShowState(ShowState::maximized), ShowState::maximized);
  EXPECT_EQ(initialShowState(ShowState::normal), ShowState::normal);
  EXPECT_EQ(initialShowState(ShowState::minimized), ShowState::normal);
  EXPECT_EQ(initialShowState(std::nullopt), ShowState::normal);
}

// ---- layouts ---------------------------------------------------------------

const WindowMetrics kMetrics{16, 4, 20};  // scroll bar, frame, caption

TEST(ArchiveLayout, TreeAndList) {
  const int h = 13;
  const int panel = initialLogPanelHeight(h, kMetrics);
  EXPECT_EQ(panel, 16 + 39 + 1);
  const Rect client{0, 0, 500, 400};

  const ArchiveLayout tree = layoutArchiveWindow(client, h, panel, false);
  EXPECT_EQ(tree.logPanel, (Rect{0, 344, 500, 56}));
  EXPECT_EQ(tree.splitter, (Rect{0, 339, 500, 4}));  // 5 above the panel, 4 high
  EXPECT_EQ(tree.titles, (Rect{0, 0, 500, 13}));
  EXPECT_EQ(tree.view, (Rect{0, 14, 500, 325}));  // one pixel under the titles, down to the splitter

  const ArchiveLayout list = layoutArchiveWindow(client, h, panel, true);
  EXPECT_EQ(list.view, (Rect{0, 0, 500, 339}));
  EXPECT_EQ(list.titles, Rect{});
  EXPECT_EQ(list.splitter, tree.splitter);
  EXPECT_EQ(list.logPanel, tree.logPanel);
}

TEST(ArchiveLayout, TinyClientKeepsFourPixelsOfTree) {
  const ArchiveLayout tree = layoutArchiveWindow({0, 0, 50, 40}, 13, 56, false);
  EXPECT_EQ(tree.view.y, 14);
  EXPECT_EQ(tree.view.height, 4);
  const ArchiveLayout list = layoutArchiveWindow({0, 0, 50, 40}, 13, 56, true);
  EXPECT_EQ(list.view.height, 40 - 56 - 5);
}

TEST(ProjectLayout, TreeAndList) {
  const int h = 13;
  EXPECT_EQ(detailPaneHeight(h, kMetrics), 16 + 26 + 10);
  const Rect client{0, 0, 500, 400};
  const ProjectLayout tree = layoutProjectWindow(client, h, kMetrics, false);
  EXPECT_EQ(tree.titles, (Rect{0, 0, 500, 13}));
  EXPECT_EQ(tree.view, (Rect{0, 14, 500, 400 - 14 - 52 - 4}));
  EXPECT_EQ(tree.detail, (Rect{0, 348, 500, 52}));

  const ProjectLayout list = layoutProjectWindow(client, h, kMetrics, true);
  EXPECT_EQ(list.view, (Rect{0, 0, 500, 344}));
  EXPECT_EQ(list.detail, tree.detail);
}

TEST(ProjectLayout, TinyClient) {
  const Rect tiny{0, 0, 60, 30};
  const ProjectLayout tree = layoutProjectWindow(tiny, 13, kMetrics, false);
  EXPECT_EQ(tree.view.height, 4);
  const ProjectLayout list = layoutProjectWindow(tiny, 13, kMetrics, true);
  EXPECT_LE(list.view.height, 0);
  EXPECT_EQ(list.view.height, 30 - 52 - 4);
  EXPECT_EQ(list.detail, (Rect{0, 30 - 52, 60, 52}));
}

TEST(WindowLayout, MinimumSizes) {
  // 4 lines + 2 frames + caption + 2 scroll bars + 2.
  const int height = 4 * 13 + 8 + 20 + 32 + 2;
  EXPECT_EQ(archiveMinimumSize(1024, 13, kMetrics), (Extent{204, height}));
  EXPECT_EQ(projectMinimumSize(1024, 13, kMetrics), (Extent{256, height}));
}

TEST(WindowLayout, TitleScroll) {
  struct Case {
    TreeScrollState tree;
    TitleScroll expected;
  };
  const Case cases[] = {
      // Wider than the list: the maximum is the last reachable position and
      // the horizontal bar takes a scroll bar's height from the rows.
      {{0, 599, 200, 50, 600, 200, 100, 7}, {0, 400, 50, 600, true}},
      {{0, 599, 200, 50, 600, 200, 100, 6}, {0, 400, 50, 600, false}},
      // Without a page size the maximum itself is reachable.
      {{0, 50, 0, 5, 300, 200, 100, 0}, {0, 50, 5, 300, false}},
      // Everything fits.
      {{0, 0, 0, 0, 150, 200, 100, 7}, {0, 0, 0, 150, false}},
      {{0, 0, 0, 0, 150, 200, 100, 8}, {0, 0, 0, 150, true}},
      // No rows: no vertical bar even when nothing is visible.
      {{0, 10, 1, 0, 300, 200, 10, 0}, {0, 10, 0, 300, false}},
  };
  for (const Case& c : cases) EXPECT_EQ(titleScrollFor(c.tree, 13, kMetrics), c.expected);
}

// ---- captions ---------------------------------------------------------------

TEST(Captions, Archive) {
  EXPECT_EQ(archiveCaption("/src/a.c,v"), "Archive /src/a.c,v");
  EXPECT_EQ(archiveCaption("/src/a.c,v", "/home/u/proj/main.pj"), "Archive /src/a.c,v  (from main.pj)");
  EXPECT_EQ(archiveCaption("a", "main.pj"), "Archive a  (from main.pj)");
  EXPECT_EQ(archiveWindowClass(), "TMDIArchive");
}

TEST(Captions, Project) {
  struct Case {
    unsigned kind;
    bool frozen, historical;
    const char* caption;
  };
  const Case cases[] = {
      {4, false, false, "Project p.pj"},
      {8, false, false, "Sandbox p.pj"},
      {4, true, false, "Frozen Project p.pj"},
      {8, true, true, "Frozen Sandbox p.pj"},
      {4, false, true, "Historical Project p.pj"},
      {8, false, true, "Historical Sandbox p.pj"},
      {24, true, true, "Variant Sandbox p.pj"},
  };
  for (const Case& c : cases) EXPECT_EQ(projectCaption("p.pj", c.kind, c.frozen, c.historical), c.caption);
  EXPECT_EQ(projectWindowClass(4), "TMDIProject");
  EXPECT_EQ(projectWindowClass(8), "TMDISandbox");
}

// ---- selections ---------------------------------------------------------------

std::vector<RevisionRow> archiveRows(std::string workRowText = "") {
  return {{std::move(workRowText), kWorkFileRowFlag}, {"1.3", 0}, {"1.2", 0}, {"1.1", 0}};
}

TEST(SelectedRevisions, WorkingFileRowLeftOutByItsFlag) {
  // The working file was deleted: its row is still the working-file row.
  const SelectedRevisions some = selectedRevisions(archiveRows(), {0, 1, 3});
  EXPECT_EQ(some.count, 2);
  EXPECT_EQ(some.list, std::string("1.3\0" "1.1\0" "\0", 9));

  const SelectedRevisions workOnly = selectedRevisions(archiveRows(), {0});
  EXPECT_EQ(workOnly.count, 0);
  EXPECT_EQ(workOnly.list, std::string("\0", 1));

  const SelectedRevisions none = selectedRevisions(archiveRows(), {});
  EXPECT_EQ(none.count, 0);
  EXPECT_EQ(none.list, std::nullopt);

  const SelectedRevisions three = selectedRevisions(archiveRows(), {1, 2, 3});
  EXPECT_EQ(three.count, 3);
  EXPECT_EQ(three.list, std::string("1.3\0" "1.2\0" "1.1\0" "\0", 13));
}

TEST(SelectedRows, Messages) {
  ui::testing::ScriptedUi ui;
  EXPECT_TRUE(takeSelectedRows(ui, 0, false, {}).empty());  // no warning asked: nothing shown

  ui.expectMessage("Too many members selected! Try again with fewer.", ui::kAnswerOk);
  EXPECT_TRUE(takeSelectedRows(ui, std::numeric_limits<std::size_t>::max(), true,
                               [](std::vector<int>&) { FAIL() << "nothing to collect"; })
                  .empty());

  const auto rows = takeSelectedRows(ui, 2, true, [](std::vector<int>& r) { r = {3, 5}; });
  EXPECT_EQ(rows, (std::vector<int>{3, 5}));
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(StatusLine, Revisions) {
  EXPECT_EQ(revisionStatusLine(12, 2, 1), "12 revisions:  2 locked;  1 selected");
}

}  // namespace
}  // namespace orv::workbench::commands
