#include "platform/gestalt.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace plat {
namespace {

struct Table {
  bool loaded = false;
  std::map<OSType, SInt32> values;
};

Table& State() {
  static Table table;
  return table;
}

// Processor clock in MHz: the highest frequency the kernel reports, else the
// first "cpu MHz" line of /proc/cpuinfo; 0 when neither is known.
SInt32 HostClockMHz() {
  std::ifstream frequency("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
  long long kiloHertz = 0;
  if (frequency >> kiloHertz && kiloHertz > 0) return SInt32(kiloHertz / 1000);
  std::ifstream info("/proc/cpuinfo");
  std::string line;
  while (std::getline(info, line)) {
    if (line.compare(0, 7, "cpu MHz") != 0) continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) break;
    double megaHertz = std::strtod(line.c_str() + colon + 1, nullptr);
    return megaHertz > 0 && megaHertz < 1e9 ? SInt32(megaHertz) : 0;
  }
  return 0;
}

void AddHostFacts(std::map<OSType, SInt32>& values) {
  if (SInt32 clock = HostClockMHz(); clock > 0) values[FourCC("mclk")] = clock;
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) {
    uint64_t bytes = uint64_t(pages) * uint64_t(pageSize);
    values[FourCC("ram ")] = bytes > 0x7FFFFFFFu ? SInt32(0x7FFFFFFF) : SInt32(bytes);
    uint64_t megabytes = bytes >> 20;
    values[FourCC("ramm")] = megabytes > 0x7FFFFFFFu ? SInt32(0x7FFFFFFF) : SInt32(megabytes);
  }
}

// Applies one "selector=value" entry; malformed entries change nothing.
void ApplyEntry(std::map<OSType, SInt32>& values, const std::string& entry) {
  size_t equals = entry.find('=');
  if (equals == std::string::npos || equals == 0 || equals > 4) return;
  std::string name = entry.substr(0, equals);
  name.resize(4, ' ');
  OSType selector = 0;
  for (char c : name) selector = (selector << 8) | UInt8(c);
  std::string text = entry.substr(equals + 1);
  if (text.empty()) {
    values.erase(selector);
    return;
  }
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != '\0' || value < INT32_MIN || value > UINT32_MAX) return;
  values[selector] = SInt32(uint32_t(value));
}

void ApplyEnvironment(std::map<OSType, SInt32>& values) {
  const char* setting = std::getenv("GLIMMERBOX_GESTALT");
  if (!setting) return;
  std::string list(setting);
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    ApplyEntry(values, list.substr(start, comma - start));
    start = comma + 1;
  }
}

void Load(Table& table) {
  table.values.clear();
  table.values[FourCC("sysv")] = 0x1049;
  table.values[FourCC("cbon")] = 0x0160;
  table.values[FourCC("qtim")] = 0x07000000;
  table.values[FourCC("cpkr")] = 0x0400;
  AddHostFacts(table.values);
  ApplyEnvironment(table.values);
  table.loaded = true;
}

std::map<OSType, SInt32>& Values() {
  Table& table = State();
  if (!table.loaded) Load(table);
  return table.values;
}

}  // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
  if (!response) return gestaltUndefSelectorErr;
  const auto& values = Values();
  auto found = values.find(selector);
  if (found == values.end()) return gestaltUndefSelectorErr;
  *response = found->second;
  return noErr;
}

void SetGestaltValue(OSType selector, SInt32 value) { Values()[selector] = value; }

void RemoveGestaltValue(OSType selector) { Values().erase(selector); }

void ResetGestaltTable() { Load(State()); }

}  // namespace plat
