// The help window and the help service.
#include "workbench/qt/help_window.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ui/qt/help_key_filter.h"

namespace orv::workbench {

namespace {

constexpr int kPageRole = Qt::UserRole + 1;

QString q(const std::string& s) { return QString::fromStdString(s); }

QListWidgetItem* pageItem(const QString& text, const QString& page) {
  auto* item = new QListWidgetItem(text);
  item->setData(kPageRole, page);
  return item;
}

}  // namespace

HelpWindow::HelpWindow(const QString& dir, QWidget* parent)
    : QWidget(parent, Qt::Window), dir_(dir), pages_(app::loadHelpPages(dir.toStdString())),
      indexEntries_(app::helpIndex(pages_)) {
  setWindowTitle(QStringLiteral("Orv Tessalyworkbench Help"));
  // F1 in here explains the help window itself.
  setProperty(ui::qt::kHelpContextProperty, app::kUsingHelpHelpContext);

  browser_ = new QTextBrowser;
  browser_->setSearchPaths({dir_});
  browser_->setOpenExternalLinks(true);

  tabs_ = new QTabWidget;
  contents_ = new QListWidget;
  for (const app::HelpPage* page : app::helpContents(pages_))
    contents_->addItem(pageItem(q(page->title), q(page->file)));
  tabs_->addTab(contents_, QStringLiteral("&Contents"));

  auto* indexPane = new QWidget;
  auto* indexLayout = new QVBoxLayout(indexPane);
  indexFilter_ = new QLineEdit;
  indexFilter_->setPlaceholderText(QStringLiteral("Type a word to find in the index"));
  index_ = new QListWidget;
  indexLayout->addWidget(indexFilter_);
  indexLayout->addWidget(index_);
  tabs_->addTab(indexPane, QStringLiteral("&Index"));
  fillIndex({});

  auto* searchPane = new QWidget;
  auto* searchLayout = new QVBoxLayout(searchPane);
  auto* searchRow = new QHBoxLayout;
  searchField_ = new QLineEdit;
  searchField_->setPlaceholderText(QStringLiteral("Words to search for"));
  auto* searchButton = new QPushButton(QStringLiteral("&Search"));
  searchRow->addWidget(searchField_);
  searchRow->addWidget(searchButton);
  results_ = new QListWidget;
  searchLayout->addLayout(searchRow);
  searchLayout->addWidget(results_);
  tabs_->addTab(searchPane, QStringLiteral("&Search"));

  auto* bar = new QToolBar;
  QAction* back = bar->addAction(QStringLiteral("&Back"), browser_, &QTextBrowser::backward);
  QAction* forward = bar->addAction(QStringLiteral("&Forward"), browser_, &QTextBrowser::forward);
  bar->addAction(QStringLiteral("C&ontents"), this, [this] { showPage(q(std::string(app::kHelpContentsPage))); });
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  auto* split = new QSplitter;
  split->addWidget(tabs_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({250, 590});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(split);
  resize(860, 580);

  auto open = [this](QListWidgetItem* item) {
    if (item) openItem(item->data(kPageRole).toString());
  };
  for (QListWidget* list : {contents_, index_, results_}) {
    connect(list, &QListWidget::itemActivated, this, open);
    connect(list, &QListWidget::itemClicked, this, open);
  }
  connect(indexFilter_, &QLineEdit::textChanged, this, &HelpWindow::fillIndex);
  connect(indexFilter_, &QLineEdit::returnPressed, this, [this, open] { open(index_->item(0)); });
  connect(searchField_, &QLineEdit::returnPressed, this, &HelpWindow::search);
  connect(searchButton, &QPushButton::clicked, this, &HelpWindow::search);
  // The contents list marks the page shown.
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    const QString file = url.fileName();
    for (int i = 0; i < contents_->count(); ++i) {
      if (contents_->item(i)->data(kPageRole).toString() == file) {
        contents_->setCurrentRow(i);
        return;
      }
    }
    contents_->clearSelection();
  });
}

void HelpWindow::fillIndex(const QString& filter) {
  index_->clear();
  for (const app::HelpIndexEntry& e : indexEntries_) {
    const QString keyword = q(e.keyword);
    if (!filter.isEmpty() && !keyword.startsWith(filter, Qt::CaseInsensitive)) continue;
    auto* item = pageItem(keyword + QStringLiteral(" - ") + q(e.title), q(e.file));
    index_->addItem(item);
  }
}

void HelpWindow::search() {
  results_->clear();
  const auto found = app::searchHelpPages(pages_, searchField_->text().toStdString());
  for (const app::HelpPage* page : found) results_->addItem(pageItem(q(page->title), q(page->file)));
  if (found.empty() && !searchField_->text().trimmed().isEmpty()) {
    auto* none = new QListWidgetItem(QStringLiteral("No page holds all of these words."));
    none->setFlags(Qt::NoItemFlags);
    results_->addItem(none);
  }
}

void HelpWindow::openItem(const QString& page) {
  if (!page.isEmpty()) showPage(page);
}

void HelpWindow::showPage(const QString& page) {
  const QString file = page.section(QLatin1Char('#'), 0, 0);
  if (!QFileInfo::exists(QDir(dir_).filePath(file))) {
    browser_->setHtml(QStringLiteral("<h2>No help page</h2><p>The help page %1 is not installed in %2. "
                                     "Ask your system administrator to install the workbench's help "
                                     "pages there.</p>")
                          .arg(file.toHtmlEscaped(), dir_.toHtmlEscaped()));
    return;
  }
  QUrl url = QUrl::fromLocalFile(QDir(dir_).filePath(file));
  if (page.contains(QLatin1Char('#'))) url.setFragment(page.section(QLatin1Char('#'), 1));
  browser_->setSource(url);
}

void HelpWindow::showContext(int context) {
  const auto page = app::helpPageFor(context);
  showPage(q(page ? *page : std::string(app::kHelpContentsPage)));
}

QString HelpWindow::currentPage() const { return browser_->source().fileName(); }

HelpService::~HelpService() { delete window_.data(); }

void HelpService::show(int context) {
  // A modal dialog blocks every window but its own children: the help
  // window becomes one of them while the dialog is up.
  QWidget* modal = QApplication::activeModalWidget();
  if (window_ && window_->parentWidget() != modal) {
    const QRect place = window_->geometry();
    window_->setParent(modal, Qt::Window);
    window_->setGeometry(place);
  }
  if (!window_) window_ = new HelpWindow(dir_, modal);
  window_->showContext(context);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

QString HelpService::installedDirectory() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orv/help"));
}

}  // namespace orv::workbench
