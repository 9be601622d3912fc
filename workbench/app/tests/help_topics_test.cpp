// The help pages against the program: every help context the workbench's
// sources use opens a page that exists (with its anchor), every link
// between pages resolves, every page is reached from the contents; and the
// reading of pages for the help window's contents, index and search.
//
// The contexts are read from the sources themselves, so a dialog added
// later without a page fails here: the named help-context constants, the
// helpContext and showHelp values, the (control, context) pairs of the
// descriptions, and the rows of a dialog table whose records carry a
// helpContext field.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "workbench/app/help_topics.h"

namespace orv::workbench::app {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = ORV_SOURCE_DIR;
const std::string kHelpDir = (kSource / "workbench/help").string();

std::string readText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The program's sources: the workbench and the window seam, without tests.
std::vector<fs::path> programSources() {
  std::vector<fs::path> out;
  for (const fs::path& root : {kSource / "workbench", kSource / "platform/ui"}) {
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      const std::string p = e.path().string();
      if (!e.is_regular_file() || p.find("/tests/") != std::string::npos ||
          p.find("/testing/") != std::string::npos)
        continue;
      if (e.path().extension() == ".cpp" || e.path().extension() == ".h") out.push_back(e.path());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Every help context the sources use, with the file that uses it.
std::map<int, std::string> contextsInSources() {
  std::map<int, std::string> found;
  std::map<std::string, int> constants;  // NAME = number, over all files
  std::vector<std::pair<std::string, std::string>> named;  // identifiers used as contexts
  const std::regex constant(R"(\b(k\w+)\s*=\s*(\d+))");
  const std::regex helpConstant(R"(\b(k\w*Help\w*Context\w*)\s*=\s*(\d+))");
  const std::regex assigned(R"((?:helpContext\s*=|showHelp\()\s*(\w+))");
  const std::regex pairs(R"(helpPairs\s*=\s*\{([\s\S]*?)\};)");
  const std::regex pair(R"(\{\s*[\w:.\[\]]+\s*,\s*(\w+)\s*\})");
  const std::regex recordField(R"(\bint\s+helpContext\s*;)");
  const std::regex number(R"(\b(\d{4,5})\b)");
  auto use = [&](const std::string& value, const std::string& file) {
    if (std::isdigit(static_cast<unsigned char>(value[0])))
      found.emplace(std::stoi(value), file);
    else
      named.emplace_back(value, file);
  };
  for (const fs::path& path : programSources()) {
    const std::string text = readText(path);
    const std::string file = fs::relative(path, kSource).string();
    for (std::sregex_iterator it(text.begin(), text.end(), constant), end; it != end; ++it)
      constants.emplace((*it)[1].str(), std::stoi((*it)[2].str()));
    for (std::sregex_iterator it(text.begin(), text.end(), helpConstant), end; it != end; ++it)
      found.emplace(std::stoi((*it)[2].str()), file);
    for (std::sregex_iterator it(text.begin(), text.end(), assigned), end; it != end; ++it)
      use((*it)[1].str(), file);
    for (std::sregex_iterator it(text.begin(), text.end(), pairs), end; it != end; ++it) {
      const std::string body = (*it)[1].str();
      for (std::sregex_iterator p(body.begin(), body.end(), pair); p != end; ++p) use((*p)[1].str(), file);
    }
    // A table of dialogs whose records carry their help contexts (and
    // their controls'): every number of the help range in that file.
    if (std::regex_search(text, recordField)) {
      for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it) {
        const int n = std::stoi((*it)[1].str());
        if (n >= 5000 && n < 13000) found.emplace(n, file);
      }
    }
  }
  // Identifiers resolve through the constants; the ones that do not name
  // a number (a record's field, a parameter) pass a context on.
  for (const auto& [name, file] : named)
    if (auto c = constants.find(name); c != constants.end()) found.emplace(c->second, file);
  return found;
}

std::set<std::string> pageFiles() {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(kHelpDir))
    if (e.path().extension() == ".html") out.insert(e.path().filename().string());
  return out;
}

const HelpPage* findPage(const std::vector<HelpPage>& pages, const std::string& file) {
  for (const HelpPage& p : pages)
    if (p.file == file) return &p;
  return nullptr;
}

// "" when target (a page, with or without "#anchor") resolves among pages.
std::string resolveProblem(const std::vector<HelpPage>& pages, const std::string& from,
                           const std::string& target) {
  const auto hash = target.find('#');
  const std::string file = hash == 0 ? from : target.substr(0, hash);
  const HelpPage* page = findPage(pages, file);
  if (!page) return "no page " + file;
  if (hash != std::string::npos) {
    const std::string anchor = target.substr(hash + 1);
    if (std::find(page->anchors.begin(), page->anchors.end(), anchor) == page->anchors.end())
      return "no anchor #" + anchor + " in " + file;
  }
  return {};
}

TEST(HelpPages, EveryContextTheProgramUsesOpensAPage) {
  const auto pages = loadHelpPages(kHelpDir);
  ASSERT_GT(pages.size(), 10u);
  const auto used = contextsInSources();
  // The scan finds the contexts that are known to be there.
  for (int known : {0, 6082, 6083, 5016, 6049, 9133, 9134, 12045, 11084, 10051})
    EXPECT_TRUE(used.count(known)) << "the scan missed context " << known;
  for (const auto& [context, file] : used) {
    const auto page = helpPageFor(context);
    if (!page) {
      ADD_FAILURE() << "help context " << context << " (" << file
                    << ") has no page in workbench/app/help_topics.cpp";
      continue;
    }
    EXPECT_EQ(resolveProblem(pages, "", *page), "") << "context " << context << " (" << file << ")";
  }
}

TEST(HelpPages, TheTableNamesEachContextOnceAndOnlyPagesThatExist) {
  const auto pages = loadHelpPages(kHelpDir);
  std::set<int> seen;
  for (const HelpTopic& topic : helpTopics()) {
    EXPECT_EQ(resolveProblem(pages, "", std::string(topic.page)), "") << topic.page;
    for (int context : topic.contexts) EXPECT_TRUE(seen.insert(context).second) << "twice: " << context;
  }
  EXPECT_EQ(helpPageFor(424242), std::nullopt);
}

TEST(HelpPages, EveryLinkResolvesAndEveryPageIsReachedFromTheContents) {
  const auto pages = loadHelpPages(kHelpDir);
  EXPECT_EQ(pages.size(), pageFiles().size()) << "every page reads";
  std::set<std::string> reached;
  std::vector<std::string> todo{std::string(kHelpContentsPage)};
  while (!todo.empty()) {
    const std::string file = todo.back();
    todo.pop_back();
    if (!reached.insert(file).second) continue;
    const HelpPage* page = findPage(pages, file);
    ASSERT_NE(page, nullptr) << file;
    for (const std::string& link : page->links) {
      if (link.rfind("http", 0) == 0 || link.rfind("mailto:", 0) == 0) continue;
      if (link.find(".css") != std::string::npos) {
        EXPECT_TRUE(fs::exists(fs::path(kHelpDir) / link)) << link << " in " << file;
        continue;
      }
      EXPECT_EQ(resolveProblem(pages, file, link), "") << link << " in " << file;
      const std::string target = link.substr(0, link.find('#'));
      if (!target.empty()) todo.push_back(target);
    }
  }
  for (const HelpPage& page : pages) {
    EXPECT_TRUE(reached.count(page.file)) << page.file << " cannot be reached from the contents";
    EXPECT_FALSE(page.title.empty()) << page.file;
    EXPECT_FALSE(page.keywords.empty()) << page.file << " is in no index";
    std::set<std::string> anchors(page.anchors.begin(), page.anchors.end());
    EXPECT_EQ(anchors.size(), page.anchors.size()) << "an anchor twice in " << page.file;
  }
}

TEST(HelpPageReading, TitleKeywordsLinksAnchorsAndText) {
  const HelpPage page = parseHelpPage("a.html", R"(<html><head><title>Check &amp; In</title>
<meta name="keywords" content="check in, revision , ,labels"></head>
<body><h1 id="top">Check In</h1><p>Puts a <b>new</b> revision
into the archive. See <a href="b.html#x">B</a> and <a name="old">here</a>.</p></body></html>)");
  EXPECT_EQ(page.title, "Check & In");
  EXPECT_EQ(page.keywords, (std::vector<std::string>{"check in", "revision", "labels"}));
  EXPECT_EQ(page.links, (std::vector<std::string>{"b.html#x"}));
  EXPECT_EQ(page.anchors, (std::vector<std::string>{"top", "old"}));
  EXPECT_NE(page.text.find("Puts a  new  revision into the archive."), std::string::npos) << page.text;
  EXPECT_EQ(page.text.find("<"), std::string::npos);
}

TEST(HelpPageReading, SearchIndexAndContents) {
  std::vector<HelpPage> pages = {
      parseHelpPage("index.html", R"(<title>Contents</title><meta name="keywords" content="contents">
<body><a href="lock.html">L</a> <a href="check_in.html#x">C</a> <a href="lock.html">again</a></body>)"),
      parseHelpPage("check_in.html", R"(<title>Check In</title><meta name="keywords" content="Revisions, check in">
<body>A new revision; the lock goes.</body>)"),
      parseHelpPage("lock.html", R"(<title>Locking Revisions</title><meta name="keywords" content="lock">
<body>Nothing else.</body>)"),
  };
  auto titles = [](const std::vector<const HelpPage*>& found) {
    std::vector<std::string> out;
    for (const HelpPage* p : found) out.push_back(p->title);
    return out;
  };
  EXPECT_EQ(titles(searchHelpPages(pages, "LOCK")), (std::vector<std::string>{"Locking Revisions", "Check In"}))
      << "title hits first";
  EXPECT_EQ(titles(searchHelpPages(pages, "revision lock goes")), (std::vector<std::string>{"Check In"}));
  EXPECT_TRUE(searchHelpPages(pages, "  ").empty());
  EXPECT_TRUE(searchHelpPages(pages, "sandbox").empty());

  const auto index = helpIndex(pages);
  std::vector<std::string> keywords;
  for (const auto& e : index) keywords.push_back(e.keyword);
  EXPECT_EQ(keywords, (std::vector<std::string>{"check in", "contents", "lock", "Revisions"}));
  EXPECT_EQ(titles(helpContents(pages)), (std::vector<std::string>{"Contents", "Locking Revisions", "Check In"}));
}

}  // namespace
}  // namespace orv::workbench::app
