#include "gis/checked_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <atomic>
#include <map>
#include <mutex>
#include <string_view>

#include <cpl_vsi.h>

namespace oru {

// What the files of one folder have come to: the first failure.
struct CheckedWrites::Record {
  std::atomic<int> error{0};
  void Fail(int number) {
    int none = 0;
    error.compare_exchange_strong(none, number != 0 ? number : EIO);
  }
};

namespace {

namespace fs = std::filesystem;

// GDAL's names of checked files are this prefix followed by their absolute
// path, so that the layer's callbacks are given absolute paths. GDAL keeps
// the pointer to the prefix: it must live as long as the process.
constexpr const char* kPrefix = "/vsioru/";

std::mutex g_mutex;
std::map<std::string, std::shared_ptr<CheckedWrites::Record>>* g_folders = nullptr;  // under g_mutex

// The record of the folder that holds `path`, or null.
std::shared_ptr<CheckedWrites::Record> RecordOf(std::string_view path) {
  const std::lock_guard lock(g_mutex);
  for (const auto& [folder, record] : *g_folders) {
    if (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/') {
      return record;
    }
  }
  return nullptr;
}

struct Handle {
  std::FILE* file = nullptr;
  std::shared_ptr<CheckedWrites::Record> record;
  bool writing = false;
  // Keeps the first failure of a writing handle; `ok` as given.
  bool Check(bool ok) {
    if (!ok && writing) record->Fail(errno);
    return ok;
  }
};

Handle* HandleOf(void* file) { return static_cast<Handle*>(file); }

void* Open(void*, const char* path, const char* access) {
  auto record = RecordOf(path);
  if (!record) {
    errno = EACCES;
    return nullptr;
  }
  const std::string_view mode(access);
  const bool writing = mode.find_first_of("wa+") != std::string_view::npos;
  std::FILE* file = std::fopen(path, (std::string(mode) + "e").c_str());  // "e": close on exec
  if (file == nullptr) {
    // A file that could not be made is a failure; one that is not there to
    // be read or updated is the driver's to judge (the Shapefile driver
    // looks for companions in upper case too).
    if (mode.find_first_of("wa") != std::string_view::npos) record->Fail(errno);
    return nullptr;
  }
  return new Handle{file, std::move(record), writing};
}

vsi_l_offset Tell(void* file) {
  const off_t at = ::ftello(HandleOf(file)->file);
  return at < 0 ? 0 : static_cast<vsi_l_offset>(at);
}

int Seek(void* file, vsi_l_offset offset, int whence) {
  return ::fseeko(HandleOf(file)->file, static_cast<off_t>(offset), whence);
}

size_t Read(void* file, void* buffer, size_t size, size_t count) {
  return std::fread(buffer, size, count, HandleOf(file)->file);
}

int ReadMultiRange(void* file, int ranges, void** data, const vsi_l_offset* offsets,
                   const size_t* sizes) {
  for (int i = 0; i < ranges; ++i) {
    if (Seek(file, offsets[i], SEEK_SET) != 0 || Read(file, data[i], 1, sizes[i]) != sizes[i]) {
      return -1;
    }
  }
  return 0;
}

int Eof(void* file) { return std::feof(HandleOf(file)->file); }

size_t Write(void* file, const void* buffer, size_t size, size_t count) {
  Handle& handle = *HandleOf(file);
  errno = 0;
  const size_t written = std::fwrite(buffer, size, count, handle.file);
  handle.Check(written == count);
  return written;
}

int Flush(void* file) {
  Handle& handle = *HandleOf(file);
  return handle.Check(std::fflush(handle.file) == 0) ? 0 : -1;
}

int Truncate(void* file, vsi_l_offset size) {
  Handle& handle = *HandleOf(file);
  const bool ok = std::fflush(handle.file) == 0 &&
                  ::ftruncate(::fileno(handle.file), static_cast<off_t>(size)) == 0;
  return handle.Check(ok) ? 0 : -1;
}

int Close(void* file) {
  Handle* handle = HandleOf(file);
  bool ok = true;
  if (handle->writing) {
    // Written through to the disk, so that a failure the kernel finds only
    // then (delayed allocation, a network file system) is seen here.
    ok = handle->Check(std::fflush(handle->file) == 0) &&
         handle->Check(::fsync(::fileno(handle->file)) == 0 || errno == EINVAL);
  }
  ok = handle->Check(std::fclose(handle->file) == 0) && ok;
  delete handle;
  return ok ? 0 : -1;
}

int Stat(void*, const char* path, VSIStatBufL* stat, int flags) {
  return VSIStatExL(path, stat, flags);
}

char** ReadDir(void*, const char* path, int max_files) { return VSIReadDirEx(path, max_files); }

int Unlink(void*, const char* path) { return ::unlink(path); }
int Rename(void*, const char* from, const char* to) { return std::rename(from, to); }
int Mkdir(void*, const char* path, long mode) { return ::mkdir(path, static_cast<mode_t>(mode)); }
int Rmdir(void*, const char* path) { return ::rmdir(path); }

// Installs the layer once per process; GDAL keeps it to the end.
void InstallOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_folders = new std::map<std::string, std::shared_ptr<CheckedWrites::Record>>();
    VSIFilesystemPluginCallbacksStruct* callbacks = VSIAllocFilesystemPluginCallbacksStruct();
    callbacks->open = Open;
    callbacks->tell = Tell;
    callbacks->seek = Seek;
    callbacks->read = Read;
    callbacks->read_multi_range = ReadMultiRange;
    callbacks->eof = Eof;
    callbacks->write = Write;
    callbacks->flush = Flush;
    callbacks->truncate = Truncate;
    callbacks->close = Close;
    callbacks->stat = Stat;
    callbacks->read_dir = ReadDir;
    callbacks->unlink = Unlink;
    callbacks->rename = Rename;
    callbacks->mkdir = Mkdir;
    callbacks->rmdir = Rmdir;
    VSIInstallPluginHandler(kPrefix, callbacks);
    VSIFreeFilesystemPluginCallbacksStruct(callbacks);
  });
}

}  // namespace

CheckedWrites::CheckedWrites(const fs::path& folder)
    : folder_(fs::absolute(folder).lexically_normal().string()),
      record_(std::make_shared<Record>()) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  InstallOnce();
  const std::lock_guard lock(g_mutex);
  (*g_folders)[folder_] = record_;
}

CheckedWrites::~CheckedWrites() {
  const std::lock_guard lock(g_mutex);
  g_folders->erase(folder_);
}

std::string CheckedWrites::CheckedPath(const fs::path& name) const {
  return std::string(kPrefix) + folder_ + "/" + name.string();
}

int CheckedWrites::FirstError() const { return record_->error.load(); }

}  // namespace oru
