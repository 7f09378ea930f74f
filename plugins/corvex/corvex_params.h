#pragma once
// The parameter objects of Corvex's "CDRom" and "Power" actions and the decisions made from
// them. Portable: no <windows.h>.

#include <cstdint>
#include <string>
#include <string_view>

#include "tavion_plugin.h"

namespace corvex {

enum class DoorOperation : int32_t { kOpen = 0, kClose = 1 };
enum class PowerOperation : int32_t { kRestart = 0, kTurnOff = 1, kLogOff = 2 };

// "CDRom": fields "Drive" (string, "" = the first optical drive) and "Operation" (0 open, 1 close).
struct CdParams {
  std::string drive;
  DoorOperation operation = DoorOperation::kOpen;
};

// "Power": field "Operation" (0 restart, 1 turn off, 2 log off).
struct PowerParams {
  PowerOperation operation = PowerOperation::kRestart;
};

const TavionParamsClass* CdParamsClass();
const TavionParamsClass* PowerParamsClass();

// A stored operation outside [0, count) is not one: 0 replaces it.
int32_t CheckedOperation(int32_t value, int32_t count);

// The drive as "D:" from "d", "D:" or "D:\"; "" for anything else (the first optical drive).
std::string NormalizeDrive(std::string_view text);

// The letter of the drive to use: the first of `opticalLetters` (upper case, in drive order) when
// `drive` is empty or not a drive, else its own letter when it is optical; 0 when there is none.
char ChooseDrive(std::string_view drive, std::string_view opticalLetters);

}  // namespace corvex
