// Measures ReadFiles (listing, filtering and shuffling the card sets) over master
// folders of growing size on the simulated machine, to show the cost stays linear.
#include <chrono>
#include <cstdio>
#include <string>

#include "launcher/fTumbledeck.h"
#include "platform/sim/SimPlatform.h"

namespace {

double SecondsPerRun(int entries, int repeats) {
  td::sim::SimPlatform machine;
  const std::string master = "C:\\Sets\\";
  for (int i = 0; i < entries; ++i) {
    // One entry in ten is something the catalogue leaves out.
    if (i % 10 == 9) {
      machine.fs.AddFile(master + "card set " + std::to_string(i) + ".txt", "");
    } else {
      machine.fs.AddFolder(master + "Set" + std::to_string(i));
    }
  }
  td::fTumbledeck main(machine);
  main.MyPath = master;
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeats; ++r) main.ReadFiles();
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / repeats;
}

}  // namespace

int main() {
  std::printf("%10s %14s %18s\n", "entries", "ms per call", "us per entry");
  for (const int entries : {100, 1000, 30000}) {
    const int repeats = entries >= 30000 ? 5 : 200;
    const double seconds = SecondsPerRun(entries, repeats);
    std::printf("%10d %14.3f %18.3f\n", entries, seconds * 1e3, seconds * 1e6 / entries);
  }
  return 0;
}
