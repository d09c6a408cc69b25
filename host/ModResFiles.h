// Writes one of the documents the executable carries into a file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace td {

// Resource ids of the carried documents (all of type "CUSTOM").
constexpr int16_t kResDataPathScript = 101;  // "GetPXDRData.bat"
constexpr int16_t kResBackupScript = 102;    // "SaveOrig.bat"
constexpr int16_t kResUserGuide = 103;       // "How to Use.rtf"

// Writes the resource's exact bytes over whatever the file held. Returns 0, or the
// number of the error that stopped it; it shows nothing.
int32_t WriteResFile(FileSystem& files, System& system, int16_t id, const std::string& type,
                     const std::string& path);

// Writes one of the carried scripts before it runs; a failure ends the run with its
// error, because an old copy that cannot be replaced must not run in its place.
inline void WriteScript(FileSystem& files, System& system, int16_t id, const std::string& path) {
  if (const int32_t error = WriteResFile(files, system, id, "CUSTOM", path)) throw RunError(error);
}

}  // namespace td
