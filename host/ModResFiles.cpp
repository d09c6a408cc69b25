#include "host/ModResFiles.h"

namespace td {

int32_t WriteResFile(FileSystem& files, System& system, int16_t id, const std::string& type,
                     const std::string& path) {
  try {
    const auto bytes = system.LoadResourceBytes(type, id);
    if (!bytes) throw RunError(err::kFileNotFound, "Resource not found");
    files.WriteBytes(path, *bytes);
    return 0;
  } catch (const RunError& error) {
    return error.Number();
  }
}

}  // namespace td
