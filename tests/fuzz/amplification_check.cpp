// The amplification check's own test, built as a fuzz target but run by
// scripts/fuzz on its cases only. Each case is an input whose text says
// what to allocate while it is handled and whether the check must let it
// pass:
//
//   "<pass|fail> expanded=<bytes> factor=<f> extra=<MiB> stated=<bytes> kind=<kind>"
//
// padded with dots to its size. The handling allocates f times the input's
// size plus extra MiB, after stating an expanded size when stated is not 0:
// "held" holds it all at once in blocks of 64 KiB, "churn" takes it 1 MiB
// at a time and frees each block before the next, and "keep" keeps it for
// the rest of the process. A failing case must fail as amplification, for
// an input of the expanded size its text gives. scripts/fuzz runs the
// passing cases in one process, in order (so that what one case keeps is
// held when the next begins), and each failing case alone.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = kKiB * kKiB;

struct Case {
  const char* expect;
  size_t size;
  size_t factor;
  size_t extraMiB;
  size_t stated;
  const char* kind;
};

// The limit is 64 times the expanded size plus 16 MiB.
const Case kCases[] = {
    {"pass", 64 * kKiB, 10, 0, 0, "held"},        // ten times its size
    {"fail", 64 * kKiB, 100, 17, 0, "held"},      // a hundred times and 17 MiB
    {"pass", 64 * kKiB, 0, 15, 0, "held"},        // within the 16 MiB allowance
    {"fail", kMiB, 100, 0, 0, "held"},            // where the factor, not the allowance, counts
    {"pass", kMiB, 60, 0, 0, "held"},
    {"pass", 4096, 0, 300, 0, "churn"},           // much allocated, little held at once
    {"pass", 64 * kKiB, 0, 70, kMiB, "held"},     // stated to expand to 1 MiB: 80 MiB allowed
    {"fail", 64 * kKiB, 0, 70, 256 * kKiB, "held"},  // to 256 KiB: 32 MiB allowed
    {"fail", 64 * kKiB, 0, 70, 1024, "held"},     // a smaller statement is the input's size
    {"pass", 4096, 0, 15, 0, "keep"},             // kept for the next case
    {"pass", 4096, 0, 15, 0, "held"},             // measured from what was held when it began
};

void MakeCases(gbfuzz::SeedWriter& seeds) {
  for (const Case& c : kCases) {
    const size_t expanded = c.stated > c.size ? c.stated : c.size;
    char text[160];
    std::snprintf(text, sizeof text, "%s expanded=%zu factor=%zu extra=%zu stated=%zu kind=%s ", c.expect, expanded,
                  c.factor, c.extraMiB, c.stated, c.kind);
    std::string input(text);
    input.resize(c.size, '.');
    seeds.Add(input);
  }
}

// The blocks held (never destroyed: what "keep" keeps stays reachable to
// the end, where the leak check looks).
std::vector<void*>& Kept() {
  static auto* kept = new std::vector<void*>;
  return *kept;
}

void* Block(size_t bytes) {
  auto* block = static_cast<volatile char*>(operator new(bytes));
  block[0] = 1;
  block[bytes - 1] = 1;
  return const_cast<char*>(block);
}

}  // namespace

FUZZ_SEEDS(MakeCases);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  char expect[8] = "", kind[16] = "";
  size_t expanded = 0, factor = 0, extra = 0, stated = 0;
  const std::string head(reinterpret_cast<const char*>(data), size < 200 ? size : 200);
  if (std::sscanf(head.c_str(), "%4s expanded=%zu factor=%zu extra=%zu stated=%zu kind=%15s", expect, &expanded,
                  &factor, &extra, &stated, kind) != 6)
    return 0;
  if (stated) gbfuzz::SetExpandedSize(stated);
  size_t total = factor * size + extra * kMiB;
  const std::string how(kind);
  if (how == "churn") {
    for (; total >= kMiB; total -= kMiB) operator delete(Block(kMiB));
    return 0;
  }
  const size_t keptBefore = Kept().size();
  Kept().reserve(keptBefore + total / (64 * kKiB) + 1);
  for (size_t at = 0; at < total; at += 64 * kKiB) Kept().push_back(Block(64 * kKiB));
  if (how == "keep") return 0;
  for (size_t i = keptBefore; i < Kept().size(); ++i) operator delete(Kept()[i]);
  Kept().resize(keptBefore);
  return 0;
}
