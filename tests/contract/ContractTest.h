// The fixture of every platform contract test: a fresh target and its scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ContractTarget.h"

namespace td::contract {

class Contract : public ::testing::Test {
 protected:
  Contract()
      : target(MakeContractTarget()),
        files(target->Machine().Files()),
        system(target->Machine().Machine()),
        ui(target->Machine().Screen()),
        dir(target->Scratch()) {}

  // The number of the RunError that the action throws, or 0 when it throws none.
  static int ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const RunError& error) {
      return error.Number();
    }
    return 0;
  }

  // Every name a listing yields, sorted: the order itself is the file system's own.
  std::vector<std::string> Listed(const std::string& pattern) {
    std::vector<std::string> names;
    auto listing = files.List(pattern);
    while (auto name = listing->Next()) names.push_back(*name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<ContractTarget> target;
  FileSystem& files;
  System& system;
  Ui& ui;
  std::string dir;
};

}  // namespace td::contract
