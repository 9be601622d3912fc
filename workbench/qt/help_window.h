// The help window: the workbench's HTML pages in a QTextBrowser, with a
// Contents list (the pages the contents page links to, in its order), an
// Index of the pages' keywords with a filter, and a full-text Search. A
// help context opens its page (help_topics.h); a context without one opens
// the contents.
//
// HelpService is the program's help seam behind Ui::showHelp: it keeps one
// window and brings it forward. While a modal dialog is up, the window
// becomes that dialog's child window, so that it takes input instead of
// being blocked with the rest of the program.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

#include "workbench/app/help_topics.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

namespace orv::workbench {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // dir: the folder of the pages.
  explicit HelpWindow(const QString& dir, QWidget* parent = nullptr);

  // Shows the page of context (the contents when it has none).
  void showContext(int context);
  // Shows a page of the folder, "file.html" or "file.html#anchor".
  void showPage(const QString& page);
  // The file shown now (without anchor).
  QString currentPage() const;

  QTextBrowser* browser() const { return browser_; }
  QTabWidget* tabs() const { return tabs_; }
  QListWidget* contentsList() const { return contents_; }
  QListWidget* indexList() const { return index_; }
  QLineEdit* indexFilter() const { return indexFilter_; }
  QLineEdit* searchField() const { return searchField_; }
  QListWidget* searchResults() const { return results_; }

 private:
  void fillIndex(const QString& filter);
  void search();
  void openItem(const QString& page);

  QString dir_;
  std::vector<app::HelpPage> pages_;
  std::vector<app::HelpIndexEntry> indexEntries_;
  QTextBrowser* browser_;
  QTabWidget* tabs_;
  QListWidget* contents_;
  QLineEdit* indexFilter_;
  QListWidget* index_;
  QLineEdit* searchField_;
  QListWidget* results_;
};

class HelpService {
 public:
  explicit HelpService(QString dir) : dir_(std::move(dir)) {}
  ~HelpService();

  // Opens (or brings forward) the help window at context.
  void show(int context);
  HelpWindow* window() const { return window_.data(); }

  // Where the pages are installed: share/orv/help beside the program's
  // bin directory.
  static QString installedDirectory();

 private:
  QString dir_;
  QPointer<HelpWindow> window_;
};

}  // namespace orv::workbench
