#include "dynload/loaded_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <system_error>

namespace oru {
namespace {

// The shared object's path beside the running program.
std::string ModulePath(const char* file) {
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return file;
  return (program.parent_path() / ORU_MODULE_DIR / file).lexically_normal().string();
}

}  // namespace

const void* LoadModuleEntry(const char* file, const char* entry, const char* what,
                            std::string& error) {
  // dlopen and dlerror keep their state per thread, but a first load on two
  // threads at once would run the object's constructors twice over.
  static std::mutex mutex;
  const std::lock_guard lock(mutex);
  const std::string failed = std::string(what) + " (" + file + ") could not be loaded: ";
  void* handle = ::dlopen(ModulePath(file).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    error = failed + (reason != nullptr ? reason : "unknown reason");
    return nullptr;
  }
  using Entry = const void* (*)();
  void* symbol = ::dlsym(handle, entry);
  if (symbol == nullptr) {
    error = failed + "it has no " + entry;
    return nullptr;
  }
  return reinterpret_cast<Entry>(symbol)();
}

}  // namespace oru
