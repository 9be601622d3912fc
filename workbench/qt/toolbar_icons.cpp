// Built-in tool-bar icons and the icons of users' programs.
#include "workbench/qt/toolbar_icons.h"

#include <QFile>
#include <cstdlib>
#include <utility>

#include "platform/ui/qt/dialog_window.h"

// The icons live in this static library; their resources are linked in
// by name.
static void initToolbarIcons() { Q_INIT_RESOURCE(toolbar_icons); }

namespace orv::workbench {

namespace {

constexpr std::pair<int, const char*> kThemeNames[] = {
    {4101, "folder-open"},         {4102, "folder-new"},          {4104, "document-properties"},
    {4113, "document-open"},       {4114, "document-new"},        {4115, "document-properties"},
    {4124, "preferences-system"},  {4129, "help-contents"},
};

}  // namespace

const char* themeNameOf(int iconId) {
  for (const auto& [id, name] : kThemeNames)
    if (id == iconId) return name;
  return "";
}

QIcon ownIcon(int iconId) {
  static const bool loaded = (initToolbarIcons(), true);
  (void)loaded;
  const QString path = QStringLiteral(":/orv/icons/%1.svg").arg(iconId);
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon builtInIcon(int iconId) {
  const QIcon own = ownIcon(iconId);
  const char* name = themeNameOf(iconId);
  if (*name && QIcon::hasThemeIcon(QString::fromLatin1(name))) return QIcon::fromTheme(QString::fromLatin1(name));
  return own;
}

QIcon iconOf(const external::IconChoice& choice, int fallbackId) {
  using Kind = external::IconChoice::Kind;
  switch (choice.kind) {
    case Kind::file: {
      QIcon icon(QString::fromStdString(choice.value));
      if (!icon.isNull() && !icon.availableSizes().isEmpty()) return icon;
      if (!icon.pixmap(24, 24).isNull()) return icon;
      break;
    }
    case Kind::theme: {
      const QString name = QString::fromStdString(choice.value);
      if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
      break;
    }
    case Kind::builtIn: return builtInIcon(choice.builtInId);
    case Kind::none: break;
  }
  return builtInIcon(fallbackId);
}

const external::IconLookup& systemIconLookup() {
  static const external::SystemIconLookup lookup(
      [](const std::string& name) { return QIcon::hasThemeIcon(QString::fromStdString(name)); });
  return lookup;
}

void installIconProvider() {
  external::setThemeIconCheck([](const std::string& name) { return QIcon::hasThemeIcon(QString::fromStdString(name)); });
  ui::qt::setIconProvider([](const std::string& key) -> QIcon {
    if (key.empty()) return {};
    if (key.rfind("icon:", 0) == 0) return builtInIcon(std::atoi(key.c_str() + 5));
    if (key.rfind("theme:", 0) == 0) {
      const auto colon = key.rfind(':');
      const int fallback = std::atoi(key.c_str() + colon + 1);
      return iconOf({external::IconChoice::Kind::theme, key.substr(6, colon - 6), 0}, fallback);
    }
    return iconOf({external::IconChoice::Kind::file, key, 0}, 0);
  });
}

}  // namespace orv::workbench
