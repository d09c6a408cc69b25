// The catalogue of card sets that a run without an argument picks from, and its
// random order.
#include <cmath>
#include <utility>

#include "launcher/fTumbledeck.h"
#include "platform/AsciiCase.h"
#include "run/MasterFolder.h"
#include "run/TextUtil.h"

namespace td {

namespace {

// The count and the counter that steps one past it are 16-bit signed values.
constexpr std::size_t kMaxSets = 32766;

bool IsCardSetName(const std::string& name) {
  if (name.find('.') != std::string::npos) return false;
  const std::string lower = LowerAscii(name);
  return lower != "showcards" && lower != "help" && lower != "makebackup" &&
         lower != names::kBackupSet;
}

}  // namespace

void fTumbledeck::ReadFiles() {
  SetNames.clear();
  auto listing = platform_.FileSystem().List(MyPath + "*.*");
  while (auto name = listing->Next()) {
    if (!IsCardSetName(*name)) continue;
    if (SetNames.size() == kMaxSets) throw RunError(err::kOverflow);
    SetNames.push_back(*name);
  }
  SetCount = static_cast<int16_t>(SetNames.size());
  ShuffleSets();
}

// A forward Fisher-Yates shuffle; the arithmetic is exact in double precision, so
// j <= k <= n holds for every draw 0 <= r < 1.
void fTumbledeck::ShuffleSets() {
  const int n = SetCount;
  if (n == 0) return;
  SetOrder.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int i = 1; i <= n; ++i) SetOrder[static_cast<std::size_t>(i)] = static_cast<int16_t>(i);
  for (int j = 1; j <= n - 1; ++j) {
    const float r = platform_.System().NextRandom();
    const double span = static_cast<float>(n - j + 1);
    const double k = std::floor(span * static_cast<double>(r) + static_cast<float>(j));
    std::swap(SetOrder[static_cast<std::size_t>(j)], SetOrder[static_cast<std::size_t>(k)]);
  }
}

}  // namespace td
