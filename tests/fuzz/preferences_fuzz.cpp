// Fuzz target of the preferences file (the application's domain in the
// preferences folder): any bytes open as a store or are set aside; every
// typed getter answers for every key; a change closes the store without
// losing the values that were there (a file that does not parse is kept
// as "<file>.damaged"); and the application's settings load, save and
// load again to the same values.
//
// Seeds: stores our preferences store writes with every kind of value,
// the application's own keys among them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_preferences.h"
#include "app/app_version.h"
#include "foundation/preferences.h"
#include "platform/property_list.h"
#include "platform/roots.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string StorePath() { return plat::PreferencesRoot() + kAppPreferencesDomain + ".plist"; }

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  CAppPreferences settings;
  settings.left = 40;
  settings.width = 800;
  settings.projectCommand = kProjectCommandOpen;
  settings.alwaysOverwrite = true;
  gbfuzz::Check(settings.Save(), "sample settings cannot be saved");
  CPreferences store;
  gbfuzz::Check(store.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost),
                "the sample store does not open");
  gbfuzz::Check(store.SetDouble("ratio", 0.25) && store.SetFloat("scale", 1.5f) &&
                    store.SetData("bytes", "\0\1\2\3", 4) && store.SetString("name", "Aquarium \xA9") &&
                    store.SetLong("count", -7),
                "the sample store refuses a value");
  gbfuzz::Check(store.Close(), "the sample store cannot be written");
  seeds.AddFile(StorePath());
}

// What each getter says of a key, as one text.
std::string Readings(const CPreferences& store, const char* key) {
  std::string text;
  bool flag = false;
  SInt32 number = 0;
  double real = 0;
  float single = 0;
  char buffer[256];
  std::vector<UInt8> bytes;
  text += store.GetBool(key, flag) ? (flag ? "T" : "F") : "-";
  text += store.GetInt(key, number) ? std::to_string(number) : "-";
  text += store.GetDouble(key, real) ? std::to_string(real) : "-";
  text += store.GetFloat(key, single) ? std::to_string(single) : "-";
  text += store.GetString(key, buffer, sizeof buffer) ? std::string(buffer) : "-";
  text += std::to_string(store.GetDataUnbounded(key, bytes)) + std::string(bytes.begin(), bytes.end());
  FSRef ref;
  text += store.GetFsRef(key, ref) ? "R" : "-";
  return text;
}

std::vector<std::string> Describe(const CAppPreferences& settings) {
  std::vector<std::string> fields{std::to_string(settings.left), std::to_string(settings.top),
                                  std::to_string(settings.width), std::to_string(settings.height),
                                  std::to_string(settings.projectCommand),
                                  std::to_string(settings.displayFullSettingsPath),
                                  std::to_string(settings.alwaysOverwrite),
                                  std::to_string(settings.checkSoftwareUpdates)};
  for (const CRecentFileList* list : {&settings.recentProjects, &settings.recentMovies}) {
    fields.push_back("list");
    for (int i = 0; i < list->GetCount(); ++i) fields.push_back(list->GetAt(i)->GetAbsolutePath(0));
  }
  return fields;
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::ResetSandbox();
  gbfuzz::SandboxFolder("config");
  const std::string path = StorePath();
  gbfuzz::WriteHostFile(path, data, size);
  plat::PlistValue parsed;
  const bool parses = plat::ParsePropertyList(std::string(reinterpret_cast<const char*>(data), size), &parsed) &&
                      parsed.type() == plat::PlistValue::Type::kDictionary;

  CPreferences store;
  if (!store.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost)) return 0;
  std::vector<std::pair<std::string, std::string>> before;
  if (parses) {
    for (const auto& [key, value] : parsed.entries())
      if (key.find('\0') == std::string::npos && before.size() < 64) before.emplace_back(key, "");
  }
  for (auto& [key, readings] : before) readings = Readings(store, key.c_str());
  gbfuzz::Check(store.SetString("gbfuzz_marker", "set"), "a value cannot be set");
  gbfuzz::Check(store.Close(), "a store with a change cannot be written");
  if (!parses) {
    gbfuzz::Check(gbfuzz::ReadHostFile(path + ".damaged") == std::vector<uint8_t>(data, data + size),
                  "a store file that does not parse was not kept aside");
  }
  CPreferences reopened;
  gbfuzz::Check(reopened.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost),
                "a store that was written does not open");
  char marker[8];
  gbfuzz::Check(reopened.GetString("gbfuzz_marker", marker, sizeof marker) && std::strcmp(marker, "set") == 0,
                "a value set does not read back");
  for (const auto& [key, readings] : before)
    gbfuzz::Check(Readings(reopened, key.c_str()) == readings, "a value stored before reads otherwise after a change");

  CAppPreferences settings;
  if (settings.Load()) {
    gbfuzz::Check(settings.Save(), "the application's settings cannot be saved");
    CAppPreferences again;
    gbfuzz::Check(again.Load(), "the application's settings do not load after saving");
    gbfuzz::Check(Describe(again) == Describe(settings), "the application's settings load otherwise after saving");
  }
  gbfuzz::CheckSandbox();
  return 0;
}
