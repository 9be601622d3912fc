// Passwords of encrypted archives: each password the library accepted is
// remembered, keyed by the archive's path, until the program ends (never
// written anywhere), so the user types it once per archive; when none is
// known, or the known one has become wrong, the password dialog asks.
//
// Paths are keyed with '\' turned into '/' (at most 512 characters) and
// compare exactly. Passwords are at most 9 characters; every copy handed
// out is terminated.
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::archive {

constexpr int kPasswordLength = 9;       // characters of a password
constexpr int kPasswordBufferSize = 10;  // with the terminator

// Gives archive a working password: the remembered one, or one the user
// types (asked again after a wrong one). The accepted password is copied
// into buffer (cut to size - 1 characters, terminated). 0 accepted, 1 the
// user cancelled, -1 the library refused it for another reason, 2 a null
// path or buffer.
int askArchivePassword(ui::Ui& ui, int archive, const char* path, char* buffer, int size);

// Replaces the remembered password of path (after an archive was encrypted
// with a new one). Nothing when either is null.
void rememberArchivePassword(const char* path, const char* password);
void forgetArchivePassword(const char* path);
// Whether a password is remembered for path.
bool hasRememberedPassword(const char* path);
// Forgets every password (wiping them).
void forgetAllArchivePasswords();

// The Ui through which the library's password callback asks; none: the
// callback refuses.
void setPasswordCallbackUi(ui::Ui* ui);
// The library's password callback (a VcPasswordFn): askArchivePassword's
// result.
int passwordCallback(int archive, const char* archiveName, char* buffer, int length);

// Overwrites a string's characters before it is released.
void wipeText(std::string& text);

}  // namespace orv::workbench::archive
