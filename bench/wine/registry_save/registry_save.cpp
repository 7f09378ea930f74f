// Time to save and load a profile-shaped tree through Win32Registry: per action one key with a
// few values and two sub-keys (hot key, parameters), ~9,000 keys for 3,000 actions. The tree
// lives below HKCU\Software\Quillon\Bench and is removed afterwards.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/registry_win.h"

namespace {

constexpr const char* kBenchRoot = "Software\\Quillon\\Bench";
constexpr int kRounds = 9;

// Seconds on a steady clock.
double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string IndexName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", index);
  return name;
}

// Writes the tree the way a save does: create each key, then its values. False on a failure.
bool Save(tavion::RegistryStore& store, int actions) {
  bool ok = true;
  for (int i = 0; i < actions; ++i) {
    const std::string action = "Keys\\Default\\" + IndexName(i);
    ok &= store.CreateKey(action);
    ok &= store.WriteString(action, "Name", "Action number " + std::to_string(i));
    ok &= store.WriteString(action, "Code", "srun");
    ok &= store.WriteInteger(action, "Enabled", 1);
    ok &= store.WriteInteger(action, "Level", static_cast<uint32_t>(i % 4));
    const std::string hkey = action + "\\HKey";
    ok &= store.CreateKey(hkey);
    ok &= store.WriteInteger(hkey, "HKey", 0x00410203u + static_cast<uint32_t>(i));
    ok &= store.WriteInteger(hkey, "InputMode", 0);
    const std::string params = action + "\\Params";
    ok &= store.CreateKey(params);
    ok &= store.WriteString(params, "Path", "C:\\Program Files\\Example\\example.exe");
    ok &= store.WriteString(params, "Param", "/x");
    ok &= store.WriteInteger(params, "Show", 1);
  }
  return ok;
}

// Reads the tree back the way a load does. Returns the number of values found.
int Load(const tavion::RegistryStore& store) {
  int found = 0;
  for (const std::string& name : store.SubKeyNames("Keys\\Default")) {
    const std::string action = "Keys\\Default\\" + name;
    for (const char* value : {"Name", "Code"}) found += store.ReadString(action, value) ? 1 : 0;
    for (const char* value : {"Enabled", "Level"})
      found += store.ReadInteger(action, value) ? 1 : 0;
    for (const std::string& sub : store.SubKeyNames(action)) {
      for (const std::string& value : store.ValueNames(action + "\\" + sub)) {
        found += store.ValueExists(action + "\\" + sub, value) ? 1 : 0;
      }
    }
  }
  return found;
}

// "median (fastest)" in milliseconds: other work on the machine only ever adds time.
std::string Summary(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  char text[64];
  std::snprintf(text, sizeof text, "%8.1f ms (fastest %.1f ms)", samples[samples.size() / 2] * 1e3,
                samples.front() * 1e3);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int actions = argc > 1 ? _wtoi(argv[1]) : 3000;
  if (actions <= 0) {
    std::fprintf(stderr, "usage: registry_save [actions]\n");
    return 2;
  }
  tavion::Win32Registry store(HKEY_CURRENT_USER, kBenchRoot);
  std::vector<double> save, load, remove;
  for (int round = 0; round < kRounds; ++round) {
    store.DeleteKey("");
    double start = Now();
    if (!Save(store, actions)) {
      std::fprintf(stderr, "a write failed\n");
      return 1;
    }
    save.push_back(Now() - start);
    start = Now();
    const int found = Load(store);
    load.push_back(Now() - start);
    if (found != actions * 9) {
      std::fprintf(stderr, "read back %d values, expected %d\n", found, actions * 9);
      return 1;
    }
    start = Now();
    store.DeleteKey("");
    remove.push_back(Now() - start);
  }
  tavion::Win32Registry parent(HKEY_CURRENT_USER, "Software\\Quillon");
  parent.DeleteKey("Bench");
  std::printf("%d actions, %d keys, %d values; median of %d rounds\n", actions, actions * 3,
              actions * 9, kRounds);
  std::printf("save   %s\n", Summary(save).c_str());
  std::printf("load   %s\n", Summary(load).c_str());
  std::printf("delete %s\n", Summary(remove).c_str());
  return 0;
}
