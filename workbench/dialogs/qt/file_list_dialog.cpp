// The file-list dialog on real widgets (see file_list_dialog.h).
#include "workbench/dialogs/qt/file_list_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orv::workbench::dialogs {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::vector<std::string> patternsOf(const QString& text) { return typedNamePatterns(text.toStdString()); }

}  // namespace

FileListWindow::FileListWindow(const FileListRequest& request, QWidget* parent) : QDialog(parent) {
  setWindowTitle(q(request.caption));
  setObjectName(QStringLiteral("FileListDialog"));
  for (const std::string& path : request.members) list_.add(path);

  auto* grid = new QGridLayout;
  folderLabel_ = new QLabel(this);
  folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(new QLabel(QStringLiteral("Folder:"), this));
  folderRow->addWidget(folderLabel_, 1);
  grid->addLayout(folderRow, 0, 0, 1, 4);

  auto* nameLabel = new QLabel(QStringLiteral("File &Name:"), this);
  name_ = new QLineEdit(this);
  name_->setToolTip(QStringLiteral("Names separated by blanks, or a folder; Enter lists them"));
  nameLabel->setBuddy(name_);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(name_, 1);
  grid->addLayout(nameRow, 1, 0, 1, 2);

  auto* filesLabel = new QLabel(QStringLiteral("&Files:"), this);
  files_ = new QListWidget(this);
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  filesLabel->setBuddy(files_);
  auto* foldersLabel = new QLabel(QStringLiteral("F&olders:"), this);
  folders_ = new QListWidget(this);
  foldersLabel->setBuddy(folders_);
  grid->addWidget(filesLabel, 2, 0);
  grid->addWidget(foldersLabel, 2, 1);
  grid->addWidget(files_, 3, 0);
  grid->addWidget(folders_, 3, 1);

  auto* typesLabel = new QLabel(QStringLiteral("Files of &Type:"), this);
  types_ = new QComboBox(this);
  for (const std::string& filter : request.filters) types_->addItem(q(filter));
  if (types_->count() == 0) types_->addItem(QStringLiteral("All Files (*)"));
  typesLabel->setBuddy(types_);
  selectAll_ = new QCheckBox(QStringLiteral("Se&lect All"), this);
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(typesLabel);
  typeRow->addWidget(types_, 1);
  grid->addLayout(typeRow, 4, 0, 1, 2);
  grid->addWidget(selectAll_, 5, 0);

  auto* middle = new QVBoxLayout;
  add_ = new QPushButton(q(request.addCaption) + QStringLiteral(" >>"), this);
  remove_ = new QPushButton(QStringLiteral("&Remove"), this);
  add_->setAutoDefault(false);
  remove_->setAutoDefault(false);
  middle->addStretch(1);
  middle->addWidget(add_);
  middle->addWidget(remove_);
  middle->addStretch(1);
  grid->addLayout(middle, 3, 2);

  auto* membersLabel = new QLabel(q(request.listCaption), this);
  members_ = new QListWidget(this);
  members_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Long paths keep their file names in view.
  members_->setTextElideMode(Qt::ElideLeft);
  members_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  membersLabel->setBuddy(members_);
  grid->addWidget(membersLabel, 2, 3);
  grid->addWidget(members_, 3, 3, 3, 1);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 3);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  if (request.archiveChoices) {
    auto* box = new QGroupBox(QStringLiteral("Archives"), this);
    auto* row = new QHBoxLayout(box);
    createArchives_ = new QCheckBox(QStringLiteral("&Create Archives"), box);
    automatic_ = new QRadioButton(QStringLiteral("A&utomatically"), box);
    interactive_ = new QRadioButton(QStringLiteral("&Interactively"), box);
    auto* group = new QButtonGroup(box);
    group->addButton(automatic_);
    group->addButton(interactive_);
    row->addWidget(createArchives_);
    row->addWidget(automatic_);
    row->addWidget(interactive_);
    row->addStretch(1);
    layout->addWidget(box);
    archiveChoicesEnabled_ = request.archiveChoicesEnabled;
    createArchives_->setChecked(request.archiveChoicesEnabled && request.createArchives);
    (request.automatic ? automatic_ : interactive_)->setChecked(true);
    createArchives_->setEnabled(archiveChoicesEnabled_);
    connect(createArchives_, &QCheckBox::toggled, this, [this] { updateArchiveChoices(); });
    updateArchiveChoices();
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok_->setDefault(true);
  cancel->setAutoDefault(false);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(add_, &QPushButton::clicked, this, [this] { addSelected(); });
  connect(remove_, &QPushButton::clicked, this, [this] { removeSelected(); });
  connect(files_, &QListWidget::itemSelectionChanged, this, [this] { filesSelectionChanged(); });
  connect(files_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    addFile(QDir(directory_).filePath(item->text()));
    files_->clearSelection();
  });
  connect(members_, &QListWidget::itemSelectionChanged, this,
          [this] { remove_->setEnabled(!members_->selectedItems().isEmpty()); });
  connect(folders_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    showDirectory(QDir::cleanPath(QDir(directory_).filePath(item->text())));
  });
  connect(types_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { fillFiles(); });
  connect(selectAll_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) files_->selectAll();
    else files_->clearSelection();
  });
  name_->installEventFilter(this);

  for (const std::string& path : list_.paths()) members_->addItem(q(path));
  remove_->setEnabled(false);
  showDirectory(q(request.directory.empty() ? QDir::currentPath().toStdString() : request.directory));
  resize(900, 440);
}

void FileListWindow::updateArchiveChoices() {
  const bool on = archiveChoicesEnabled_ && createArchives_->isChecked();
  automatic_->setEnabled(on);
  interactive_->setEnabled(on);
}

void FileListWindow::showDirectory(const QString& directory) {
  directory_ = directory;
  folderLabel_->setText(directory);
  folders_->clear();
  QDir dir(directory);
  if (dir.absolutePath() != QDir::rootPath()) folders_->addItem(QStringLiteral(".."));
  for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) folders_->addItem(sub);
  fillFiles();
}

void FileListWindow::fillFiles() {
  files_->clear();
  const std::vector<std::string> typePatterns = filterPatterns(types_->currentText().toStdString());
  const std::vector<std::string> typed = patternsOf(name_->text());
  for (const QString& file : QDir(directory_).entryList(QDir::Files, QDir::Name)) {
    const std::string name = file.toStdString();
    if (matchesAnyPattern(name, typePatterns) && matchesAnyPattern(name, typed)) files_->addItem(file);
  }
  filesSelectionChanged();
}

void FileListWindow::filesSelectionChanged() {
  const int selected = static_cast<int>(files_->selectedItems().size());
  add_->setEnabled(selected > 0);
  if (selected == 0 && add_->hasFocus()) ok_->setFocus();
  selectAll_->setChecked(selected > 0 && selected == files_->count());
}

void FileListWindow::addFile(const QString& path) {
  if (!list_.add(path.toStdString())) return;
  members_->addItem(path);
  members_->item(members_->count() - 1)->setToolTip(path);
}

void FileListWindow::addSelected() {
  for (QListWidgetItem* item : files_->selectedItems()) addFile(QDir(directory_).filePath(item->text()));
  files_->clearSelection();
  ok_->setFocus();
}

void FileListWindow::removeSelected() {
  std::vector<int> rows;
  for (QListWidgetItem* item : members_->selectedItems()) rows.push_back(members_->row(item));
  list_.remove(rows);
  members_->clear();
  for (const std::string& path : list_.paths()) members_->addItem(q(path));
  remove_->setEnabled(false);
  ok_->setFocus();
}

bool FileListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == name_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // A folder typed into the box is entered; names filter the list and
      // stay as typed.
      const QString text = name_->text().trimmed();
      const QString asDir = QDir::isAbsolutePath(text) ? text : QDir(directory_).filePath(text);
      if (!text.isEmpty() && !text.contains(QLatin1Char(' ')) && QFileInfo(asDir).isDir()) {
        name_->clear();
        showDirectory(QDir::cleanPath(asDir));
      } else {
        fillFiles();
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FileListWindow::accept() {
  if (list_.paths().empty()) addSelected();
  QDialog::accept();
}

FileListAnswer FileListWindow::answer() const {
  FileListAnswer out;
  out.members = list_.paths();
  out.createArchives = createArchives_ && createArchives_->isChecked();
  out.automatic = !interactive_ || !interactive_->isChecked();
  return out;
}

std::optional<FileListAnswer> runQtFileListDialog(ui::Ui&, const FileListRequest& request) {
  FileListWindow window(request, QApplication::activeWindow());
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.answer();
}

}  // namespace orv::workbench::dialogs
