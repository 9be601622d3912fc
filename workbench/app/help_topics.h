// The workbench's help: which page each help context opens, and the pages
// themselves as the help window reads them (title, index words, links and
// anchors, plain text for searching).
//
// The pages are the project's own HTML files (workbench/help), installed
// in share/orv/help beside the program's bin directory. A context names a
// page, possibly with an anchor ("check_in.html#label"); the table in
// help_topics.cpp is the one place that says which. A new dialog adds one
// row there: its page and every context its description uses (its own and
// those of its controls).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv::workbench::app {

// Contexts of the Help menu and of the help window itself.
inline constexpr int kHelpContentsContext = 0;
inline constexpr int kTechnicalSupportHelpContext = 6083;
inline constexpr int kUsingHelpHelpContext = 6084;
inline constexpr int kTutorialHelpContext = 6085;

// The page that shows when a context has none of its own.
inline constexpr std::string_view kHelpContentsPage = "index.html";

struct HelpTopic {
  std::string_view page;               // file name, "#anchor" allowed
  std::span<const int> contexts;       // every context that opens it
};

// Every row of the table.
std::span<const HelpTopic> helpTopics();
// The page (with its anchor, when it has one) of context; nothing when the
// table does not know it.
std::optional<std::string> helpPageFor(int context);

// One page as the help window uses it.
struct HelpPage {
  std::string file;                    // its file name in the help folder
  std::string title;                   // <title>
  std::vector<std::string> keywords;   // <meta name="keywords">, comma-separated
  std::vector<std::string> links;      // every href, in order
  std::vector<std::string> anchors;    // every id="..." and name="..."
  std::string text;                    // the body without tags, entities resolved
};

HelpPage parseHelpPage(std::string file, std::string_view html);
// Every *.html page of dir, sorted by file name; empty when dir cannot be read.
std::vector<HelpPage> loadHelpPages(const std::string& dir);

// The pages whose title or text holds every word of query (without regard
// to case), those with the words in their title first, then by title.
std::vector<const HelpPage*> searchHelpPages(const std::vector<HelpPage>& pages,
                                             std::string_view query);

struct HelpIndexEntry {
  std::string keyword;
  std::string file;
  std::string title;
};
// Every keyword of every page, sorted without regard to case.
std::vector<HelpIndexEntry> helpIndex(const std::vector<HelpPage>& pages);

// The pages the contents page links to, in its order, each once; the
// contents page itself first.
std::vector<const HelpPage*> helpContents(const std::vector<HelpPage>& pages);

}  // namespace orv::workbench::app
