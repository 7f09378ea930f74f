#pragma once
// What the integrity notice needs to know of processes: their integrity level and program.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "services/integrity_notice.h"

namespace tavion {

// This process's integrity level; nullopt when its token cannot be read.
std::optional<uint32_t> OwnIntegrityLevel();

// The program and integrity level of process `processId`, read through one handle of the process;
// what cannot be read (a process gone, protected, or of another user) stays empty.
ForegroundProcess DescribeProcess(DWORD processId);

}  // namespace tavion
