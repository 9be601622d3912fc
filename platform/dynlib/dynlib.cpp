// dlopen/dlsym behind a small owning handle (see dynlib.h).
#include "platform/dynlib/dynlib.h"
#include "platform/sys/system_calls.h"

#include <cstdlib>
#include <dlfcn.h>
#include <utility>

namespace orv::dynlib {

Library::Library(Library&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool Library::open(const std::string& path) {
  close();
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = ::dlerror();
    error_ = e ? e : "cannot load " + path;
    return false;
  }
  error_.clear();
  return true;
}

void Library::close() {
  if (handle_) {
    ::dlclose(handle_);
    handle_ = nullptr;
  }
}

void* Library::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_, name) : nullptr;
}

std::string pathOfModuleContaining(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

std::string directoryOfModuleContaining(const void* address) {
  std::string path = pathOfModuleContaining(address);
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool openBesideModule(Library& lib, const std::string& fileName, const void* anchor,
                      const char* overrideVar) {
  if (overrideVar) {
    const char* over = orv::sys::calls().getenv(overrideVar);
    if (over && *over) return lib.open(over);
  }
  std::string dir = directoryOfModuleContaining(anchor);
  if (!dir.empty() && lib.open(dir + "/" + fileName)) return true;
  return lib.open(fileName);
}

}  // namespace orv::dynlib
