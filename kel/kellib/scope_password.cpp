// Scope passwords: kelRegisterPasswdCB, kelCheckPasswd, kelSetPasswd and the
// scope check.
//
// The check asks the registered callback up to three times. An answer that
// matches the scope's hash or the global module's is remembered for the rest
// of the process; a remembered answer is tested against the current hash each
// time, so a changed password is asked for again.
#include "kel/kellib/scope_password.h"

#include "kel/kellib/kel_state.h"
#include "libc/gen/des_crypt.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kel {
namespace {

constexpr const char* kSalt = "Vq";
constexpr int kTries = 3;

struct CachedAnswer {
  int kind;            // 1: a password that matched the global module
  std::string scope;   // "" for the global module
  std::string password;
};

struct PasswordState {
  kelPasswdCallback callback = nullptr;
  std::vector<CachedAnswer> cache;  // newest first
};

PasswordState& state() {
  static PasswordState s;
  return s;
}

// The global module's hash as it is stored now (another process may have
// changed it); the copy read at open when it cannot be read.
PasswordHash globalHash() {
  ObjectRecord global;
  if (readObject(database().globalId(), global) == KEL_SUCCESS) {
    database().globalModule = global;
    return storedHash(global);
  }
  return storedHash(database().globalModule);
}

bool matches(const std::string& password, const PasswordHash& h) {
  return hashPassword(password.c_str()) == h;
}

void remember(int kind, std::string scope, std::string password) {
  auto& cache = state().cache;
  cache.erase(std::remove_if(cache.begin(), cache.end(),
                             [&](const CachedAnswer& a) { return a.kind == kind && a.scope == scope; }),
              cache.end());
  cache.insert(cache.begin(), CachedAnswer{kind, std::move(scope), std::move(password)});
}

}  // namespace

PasswordHash hashPassword(const char* password) {
  PasswordHash h{};
  if (!password || !*password) return h;
  orv::DesCryptHash c = orv::desCrypt(password, kSalt);
  std::memcpy(h.data(), c.data(), c.size());
  return h;
}

PasswordHash storedHash(const ObjectRecord& scope) {
  PasswordHash h{};
  std::memcpy(h.data(), scope.textField(), h.size());
  return h;
}

bool isNoPassword(const PasswordHash& h) {
  return std::all_of(h.begin(), h.end(), [](char c) { return c == 0; });
}

int checkScope(const ObjectRecord& scope) {
  const PasswordHash own = storedHash(scope);
  if (isNoPassword(own)) return KEL_SUCCESS;
  const PasswordHash global = scope.type() == KEL_GLOBAL_MODULE ? own : globalHash();
  const int kind = scope.type();
  const std::string key = scopeKey(scope);

  for (const auto& a : state().cache) {
    if (a.kind == kind && a.scope == key && matches(a.password, own)) return KEL_SUCCESS;
    if (a.kind == KEL_GLOBAL_MODULE && !isNoPassword(global) && matches(a.password, global)) return KEL_SUCCESS;
  }

  kelPasswdCallback callback = state().callback;
  if (!callback) return KEL_INCORRECT_PASSWORD;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    char buffer[KEL_PASSWORD_SIZE] = {};
    int answer = callback(kind, key.c_str(), buffer, KEL_PASSWORD_SIZE, attempt == 0 ? "" : "retry");
    buffer[KEL_PASSWORD_SIZE - 1] = '\0';
    if (answer != 1) return KEL_INCORRECT_PASSWORD;
    const std::string typed(buffer);
    if (matches(typed, own)) {
      remember(kind, key, typed);
      return KEL_SUCCESS;
    }
    if (!isNoPassword(global) && matches(typed, global)) {
      remember(KEL_GLOBAL_MODULE, "", typed);
      return KEL_SUCCESS;
    }
  }
  return KEL_INCORRECT_PASSWORD;
}

void updateCachedPassword(const ObjectRecord& scope, const char* password) {
  const std::string key = scopeKey(scope);
  for (auto& a : state().cache)
    if (a.kind == scope.type() && a.scope == key) a.password = password ? password : "";
}

void resetPasswordState() { state() = PasswordState(); }

}  // namespace kel

extern "C" KEL_API kelResult kelRegisterPasswdCB(kelPasswdCallback callback) {
  kel::state().callback = callback;
  return KEL_SUCCESS;
}

extern "C" KEL_API kelResult kelCheckPasswd(int scopeKind, const char* scopeName, const char* password) {
  return kel::exportBarrier([&]() -> int {
    kel::ObjectRecord scope;
    if (int rc = kel::findScope(scopeKind, scopeName, scope)) return rc;
    return kel::hashPassword(password) == kel::storedHash(scope) ? KEL_SUCCESS : KEL_INCORRECT_PASSWORD;
  });
}

extern "C" KEL_API kelResult kelSetPasswd(int scopeKind, const char* scopeName, const char* password) {
  return kel::exportBarrier([&]() -> int {
    if (int rc = kel::requireWritable()) return rc;
    const kel::PasswordHash h = kel::hashPassword(password);
    if (int rc = kelSetAttribute(scopeKind, scopeName, 0, nullptr, 0, h.data(), static_cast<int>(h.size())))
      return rc;
    kel::ObjectRecord scope;
    if (kel::findScope(scopeKind, scopeName, scope) == KEL_SUCCESS) kel::updateCachedPassword(scope, password);
    if (scopeKind == KEL_GLOBAL_MODULE) std::memcpy(kel::database().globalModule.textField(), h.data(), h.size());
    return KEL_SUCCESS;
  });
}
