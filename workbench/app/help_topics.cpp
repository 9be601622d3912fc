// The table from help contexts to pages, and the reading of the pages.
#include "workbench/app/help_topics.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>

#include "platform/sys/system_calls.h"
#include "platform/ui/dialog_description.h"

namespace orv::workbench::app {

namespace {

// Each row: a page and the contexts that open it. A dialog's row holds its
// own context and those of its controls' pairs.
constexpr int kContents[] = {kHelpContentsContext};
constexpr int kDialogs[] = {ui::kGenericHelpContext};
constexpr int kSupport[] = {kTechnicalSupportHelpContext};
constexpr int kUsingHelp[] = {kUsingHelpHelpContext};
constexpr int kTutorial[] = {kTutorialHelpContext};

constexpr int kLocate[] = {9133, 9136, 9137, 9138};
constexpr int kLocateFile[] = {9134};
constexpr int kLocateBrowse[] = {9135};

constexpr int kCreateArchive[] = {5016, 9092, 9093, 9094, 9095, 9096, 9097, 9098, 9099, 9100, 9101,
                                  9102, 9103, 9104, 9105, 9106, 9107, 9108, 9109, 9110, 9111};
constexpr int kCheckIn[] = {6049,  11003, 11004, 11005, 11006, 11007, 11008, 11009, 11010,
                            11011, 11012, 11013, 11014, 11015, 11016, 11017, 11018, 11019};
constexpr int kArchiveInfo[] = {6071,  12023, 12024, 12025, 12026, 12027, 12028, 12029,
                                12030, 12031, 12032, 12033, 12034, 12035, 12036, 12065};
constexpr int kRevisionInfo[] = {6073,  12053, 12054, 12055, 12056, 12057, 12058,
                                 12059, 12060, 12061, 12062, 12063, 12064};
constexpr int kPromoteRevision[] = {6051, 6054, 12002, 12003, 12004, 12005, 12006,
                                    12008, 12009, 12010, 12011, 12012};
constexpr int kPromoteMember[] = {6029, 6032, 11084, 11085, 11086, 11087, 11088,
                                  11090, 11091, 11092, 11093, 11094};
constexpr int kPromoteProject[] = {5042, 5045, 10041, 10042, 10043, 10044, 10045,
                                   10047, 10048, 10049, 10050, 10051};
constexpr int kCreateDirectory[] = {9129, 9130, 9131, 9132};
constexpr int kDirectoryMapping[] = {9068, 9070, 9071, 9072, 9073, 9074, 9075};
constexpr int kPassword[] = {12045};
constexpr int kNewPassword[] = {12037};
constexpr int kMemberLocation[] = {5060};
constexpr int kCreateProject[] = {6010};
constexpr int kSandbox[] = {6016};
constexpr int kMemberInfo[] = {6020};
constexpr int kProjectInfo[] = {6018};
constexpr int kCheckpoint[] = {5034, 10002, 10003, 10004, 10005, 10006, 10007};
constexpr int kLabelMembers[] = {6014, 11054, 11055, 11056, 11057, 11058, 11059};
constexpr int kBuild[] = {5056,  10053, 10054, 10055, 10056, 10057, 10058, 10059,
                          10060, 10061, 10062, 10063, 10064, 10065, 10066, 10067};
constexpr int kMemberSelect[] = {6012,  11039, 11040, 11041, 11042, 11043, 11044, 11045,
                                 11046, 11047, 11048, 11049, 11050, 11051, 11052};
constexpr int kMemberDependencies[] = {6044};
constexpr int kCheckOut[] = {6050,  11022, 11023, 11024, 11025, 11026, 11027, 11028, 11029,
                             11030, 11031, 11032, 11033, 11034, 11035, 11036, 11037};
constexpr int kLockMail[] = {9139, 9140, 9141, 9142, 9143, 9144, 9145, 9146, 9147};
constexpr int kConfigToolbar[] = {2044, 3071};
constexpr int kConfigPreferences[] = {3000, 3008, 3009, 3010, 3011, 3012, 3013, 3014, 3092};
constexpr int kConfigGeneral[] = {3018, 3021, 3022, 3023, 3024, 3025, 3026, 3027, 3028, 3029, 3030};
constexpr int kConfigDirectories[] = {3031, 3034, 3035, 3036, 3037, 3038, 3039, 3040};
constexpr int kConfigPromotion[] = {3041, 3044, 3045, 3046, 3047, 3048};
constexpr int kConfigLogging[] = {3051, 3054, 3055, 3058, 3059, 3060};
constexpr int kConfigRecursion[] = {3061, 3064, 3065, 3066, 3067, 3068, 3069, 3070};

constexpr HelpTopic kTopics[] = {
    {"index.html", kContents},
    {"dialogs.html", kDialogs},
    {"technical_support.html", kSupport},
    {"using_help.html", kUsingHelp},
    {"tutorial.html", kTutorial},
    {"locate_database.html", kLocate},
    {"locate_database.html#filename", kLocateFile},
    {"locate_database.html#browse", kLocateBrowse},
    {"create_archive.html", kCreateArchive},
    {"check_in.html", kCheckIn},
    {"archive_information.html", kArchiveInfo},
    {"revision_information.html", kRevisionInfo},
    {"promote.html#revision", kPromoteRevision},
    {"promote.html#member", kPromoteMember},
    {"promote.html#project", kPromoteProject},
    {"create_directory.html", kCreateDirectory},
    {"directory_mapping.html", kDirectoryMapping},
    {"passwords.html#password", kPassword},
    {"passwords.html#new-password", kNewPassword},
    {"member_location.html", kMemberLocation},
    {"create_project.html", kCreateProject},
    {"sandbox.html", kSandbox},
    {"member_information.html", kMemberInfo},
    {"project_information.html", kProjectInfo},
    {"checkpoint.html", kCheckpoint},
    {"label_members.html", kLabelMembers},
    {"build.html", kBuild},
    {"member_select.html", kMemberSelect},
    {"member_dependencies.html", kMemberDependencies},
    {"check_out.html", kCheckOut},
    {"lock_mail.html", kLockMail},
    {"config_toolbar.html", kConfigToolbar},
    {"config_preferences.html", kConfigPreferences},
    {"config_general.html", kConfigGeneral},
    {"config_directories.html", kConfigDirectories},
    {"config_promotion.html", kConfigPromotion},
    {"config_logging.html", kConfigLogging},
    {"config_recursion.html", kConfigRecursion},
};

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string trim(std::string s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The few entities the pages use.
std::string decodeEntities(std::string s) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}, {"&amp;", "&"}};
  for (const auto& [from, to] : kEntities) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
      s.replace(at, std::string_view(from).size(), to);
  }
  return s;
}

bool containsWord(const std::string& haystack, const std::string& word) {
  return haystack.find(word) != std::string::npos;
}

}  // namespace

std::span<const HelpTopic> helpTopics() { return kTopics; }

std::optional<std::string> helpPageFor(int context) {
  for (const HelpTopic& topic : kTopics)
    if (std::find(topic.contexts.begin(), topic.contexts.end(), context) != topic.contexts.end())
      return std::string(topic.page);
  return std::nullopt;
}

HelpPage parseHelpPage(std::string file, std::string_view html) {
  HelpPage page;
  page.file = std::move(file);
  const std::string text(html);
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"re(<title>([\s\S]*?)</title>)re", std::regex::icase)))
    page.title = trim(decodeEntities(m[1].str()));
  if (std::regex_search(text, m,
                        std::regex(R"re(<meta\s+name="keywords"\s+content="([^"]*)")re", std::regex::icase))) {
    std::string all = decodeEntities(m[1].str());
    for (std::size_t start = 0; start <= all.size();) {
      std::size_t comma = all.find(',', start);
      if (comma == std::string::npos) comma = all.size();
      if (std::string word = trim(all.substr(start, comma - start)); !word.empty())
        page.keywords.push_back(word);
      start = comma + 1;
    }
  }
  const std::regex href(R"re(\shref="([^"]*)")re", std::regex::icase);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), href); it != std::sregex_iterator(); ++it)
    page.links.push_back(decodeEntities((*it)[1].str()));
  // The body: its anchors (a <meta name=...> of the head is none) and the
  // text a reader sees.
  std::string body = text;
  if (std::regex_search(text, m, std::regex(R"re(<body[^>]*>([\s\S]*)</body>)re", std::regex::icase)))
    body = m[1].str();
  const std::regex anchor(R"re(\s(?:id|name)="([^"]*)")re", std::regex::icase);
  for (auto it = std::sregex_iterator(body.begin(), body.end(), anchor); it != std::sregex_iterator(); ++it)
    page.anchors.push_back((*it)[1].str());
  std::string plain;
  bool inTag = false;
  for (char c : body) {
    if (c == '<') {
      inTag = true;
      plain.push_back(' ');
    } else if (c == '>') {
      inTag = false;
    } else if (!inTag) {
      plain.push_back(c == '\n' || c == '\t' || c == '\r' ? ' ' : c);
    }
  }
  page.text = decodeEntities(plain);
  return page;
}

std::vector<HelpPage> loadHelpPages(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = sys::calls().opendir(dir.c_str())) {
    while (const dirent* e = sys::calls().readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".html") == 0) names.push_back(name);
    }
    sys::calls().closedir(d);
  }
  std::sort(names.begin(), names.end());
  std::vector<HelpPage> pages;
  for (const std::string& name : names) {
    std::string html;
    if (sys::readWholeFile(dir + "/" + name, html) == 0) pages.push_back(parseHelpPage(name, html));
  }
  return pages;
}

std::vector<const HelpPage*> searchHelpPages(const std::vector<HelpPage>& pages, std::string_view query) {
  std::vector<std::string> words;
  const std::string q = lower(query);
  for (std::size_t start = 0; start < q.size();) {
    const std::size_t end = q.find_first_of(" \t", start);
    const std::size_t stop = end == std::string::npos ? q.size() : end;
    if (stop > start) words.push_back(q.substr(start, stop - start));
    start = stop + 1;
  }
  struct Hit {
    const HelpPage* page;
    bool inTitle;
  };
  std::vector<Hit> hits;
  if (words.empty()) return {};
  for (const HelpPage& page : pages) {
    const std::string title = lower(page.title);
    const std::string all = title + " " + lower(page.text);
    if (!std::all_of(words.begin(), words.end(), [&](const std::string& w) { return containsWord(all, w); }))
      continue;
    const bool inTitle =
        std::all_of(words.begin(), words.end(), [&](const std::string& w) { return containsWord(title, w); });
    hits.push_back({&page, inTitle});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
    if (a.inTitle != b.inTitle) return a.inTitle;
    return lower(a.page->title) < lower(b.page->title);
  });
  std::vector<const HelpPage*> out;
  for (const Hit& h : hits) out.push_back(h.page);
  return out;
}

std::vector<HelpIndexEntry> helpIndex(const std::vector<HelpPage>& pages) {
  std::vector<HelpIndexEntry> out;
  for (const HelpPage& page : pages)
    for (const std::string& keyword : page.keywords) out.push_back({keyword, page.file, page.title});
  std::stable_sort(out.begin(), out.end(), [](const HelpIndexEntry& a, const HelpIndexEntry& b) {
    const std::string la = lower(a.keyword), lb = lower(b.keyword);
    return la != lb ? la < lb : a.title < b.title;
  });
  return out;
}

std::vector<const HelpPage*> helpContents(const std::vector<HelpPage>& pages) {
  auto find = [&](std::string_view file) -> const HelpPage* {
    for (const HelpPage& p : pages)
      if (p.file == file) return &p;
    return nullptr;
  };
  std::vector<const HelpPage*> out;
  const HelpPage* contents = find(kHelpContentsPage);
  if (!contents) return out;
  out.push_back(contents);
  std::set<std::string> seen{contents->file};
  for (const std::string& link : contents->links) {
    const std::string file = link.substr(0, link.find('#'));
    if (file.empty() || !seen.insert(file).second) continue;
    if (const HelpPage* p = find(file)) out.push_back(p);
  }
  return out;
}

}  // namespace orv::workbench::app
