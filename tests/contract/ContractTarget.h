// The machine a platform contract test runs on: the simulated one natively, the real
// Windows one (under Wine) in the Windows build. The tests themselves are written once,
// against Platform.h; this adds the few set-up steps the program itself never takes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace td::contract {

// The id of the one resource the contract's executable carries (contract.rc).
inline constexpr int16_t kCarriedResourceId = 101;

class ContractTarget {
 public:
  virtual ~ContractTarget() = default;
  virtual Platform& Machine() = 0;
  // "sim" or "win32", for the messages of the tests.
  virtual std::string Name() const = 0;
  // An empty folder of the test's own, its full path ending in "\".
  virtual std::string Scratch() = 0;
  // Sets an entry's attribute bits (read-only, hidden, system).
  virtual void SetAttributes(const std::string& path, uint32_t bits) = 0;
  // The bytes that the executable carries as resource kCarriedResourceId of type "CUSTOM".
  virtual std::string CarriedResource() = 0;
  // Writes a text value of the current user's registry (the key is made as needed).
  virtual void SetRegistryText(const std::string& key, const std::string& value,
                               const std::string& text) = 0;
  // Another program copies text: the clipboard then holds that alone.
  virtual void CopyTextAsAnotherProgram(const std::string& text) = 0;
  // What the clipboard holds, in order: "picture" and "text".
  virtual std::vector<std::string> ClipboardHolds() = 0;
};

// One fresh target per test.
std::unique_ptr<ContractTarget> MakeContractTarget();

}  // namespace td::contract
