// Loading a shared library by name and binding its entry points.
// A library is looked for beside the library or program that asks for it
// first (found with dladdr), so tests and installed copies need no
// LD_LIBRARY_PATH.
#pragma once

#include <string>

namespace orv::dynlib {

class Library {
 public:
  Library() = default;
  ~Library() { close(); }
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the file at path (RTLD_NOW | RTLD_LOCAL); false with lastError().
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != nullptr; }
  // Address of an exported symbol, or null.
  void* symbol(const char* name) const;
  const std::string& lastError() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

// Full path of the loaded file (library or program) that holds address.
std::string pathOfModuleContaining(const void* address);
// Directory part of that path (without the trailing '/'), or "" when unknown.
std::string directoryOfModuleContaining(const void* address);

// Loads fileName: from the environment variable overrideVar when it names a
// file, else from the directory of the module holding anchor, else through
// the system's search path.
bool openBesideModule(Library& lib, const std::string& fileName, const void* anchor,
                      const char* overrideVar = nullptr);

}  // namespace orv::dynlib
