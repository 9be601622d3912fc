// The tool bars' icons: the icon theme's where a freedesktop name fits,
// else the workbench's own SVG icons (resources under :/orv/icons), drawn
// at any size and device pixel ratio; Qt's disabled mode greys them.
#pragma once

#include <QIcon>
#include <string>

#include "workbench/external/icon_resolver.h"

namespace orv::workbench {

// The icon of a built-in icon id (4101-4129, 4250-4254); a null icon for
// an unknown id.
QIcon builtInIcon(int iconId);
// The icon-theme name tried first for iconId; empty when none fits.
const char* themeNameOf(int iconId);
// The workbench's own icon of iconId (no theme).
QIcon ownIcon(int iconId);
// The icon of a resolved choice; fallbackId's built-in icon when the
// choice gives none.
QIcon iconOf(const external::IconChoice& choice, int fallbackId);

// The lookup of the running system with the toolkit's icon theme.
const external::IconLookup& systemIconLookup();

// Installs the provider that turns the icon keys of dialogs
// (external::iconKey) into icons.
void installIconProvider();

}  // namespace orv::workbench
