#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace oru {

// The files GDAL's drivers write into a folder of ours (a staging folder),
// reached through a file layer that checks every write, flush, truncation,
// sync and close of them. GDAL 3.6 reads and writes local files through C
// stdio and its drivers drop the results of most writes: on a full disk a
// GPX, KML, GeoJSON or FlatGeobuf output came out truncated or empty
// without a word. Through this layer the first failure is kept, with the
// system's error number, however the driver goes on; a file opened for
// writing is also synced to disk (fsync) before it is closed.
//
// While the object lives, GDAL opens the folder's files under CheckedPath's
// names ("/vsioru/..."), from any thread; files elsewhere cannot be opened
// through the layer.
class CheckedWrites {
 public:
  // `folder` must exist; it is taken as an absolute path.
  explicit CheckedWrites(const std::filesystem::path& folder);
  ~CheckedWrites();
  CheckedWrites(const CheckedWrites&) = delete;
  CheckedWrites& operator=(const CheckedWrites&) = delete;

  // The name for GDAL of the file `name` in the folder.
  std::string CheckedPath(const std::filesystem::path& name) const;
  // The error number (errno) of the first operation that failed on a file
  // of the folder since the object was made; 0 when none did.
  int FirstError() const;

  struct Record;

 private:
  std::string folder_;
  std::shared_ptr<Record> record_;
};

}  // namespace oru
