// The contract's target in the native build: the simulated machine.
#include "ContractTarget.h"
#include "platform/sim/SimPlatform.h"

namespace td::contract {
namespace {

constexpr char kCarried[] = "Carried by the contract tests.\r\n";

class SimTarget : public ContractTarget {
 public:
  SimTarget() {
    machine_.given.resources[kCarriedResourceId] = kCarried;
    machine_.fs.AddFile(machine_.given.executablePath, "MZ");
  }
  Platform& Machine() override { return machine_; }
  std::string Name() const override { return "sim"; }
  std::string Scratch() override {
    machine_.fs.AddFolder("C:\\Contract");
    return "C:\\Contract\\";
  }
  void SetAttributes(const std::string& path, uint32_t bits) override {
    machine_.fs.SetAttributes(path, bits);
  }
  std::string CarriedResource() override { return kCarried; }
  void SetRegistryText(const std::string& key, const std::string& value,
                       const std::string& text) override {
    machine_.SetRegistryText(key, value, text);
  }
  void CopyTextAsAnotherProgram(const std::string& text) override {
    machine_.clipboard = {{"text", text}};
  }
  std::vector<std::string> ClipboardHolds() override {
    std::vector<std::string> kinds;
    for (const auto& [kind, content] : machine_.clipboard) kinds.push_back(kind);
    return kinds;
  }

 private:
  sim::SimPlatform machine_;
};

}  // namespace

std::unique_ptr<ContractTarget> MakeContractTarget() { return std::make_unique<SimTarget>(); }

}  // namespace td::contract
