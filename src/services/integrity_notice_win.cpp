#include "services/integrity_notice_win.h"

#include <string>

#include "base/handles_win.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

// The last sub-authority of the mandatory label of `process`'s token.
std::optional<uint32_t> IntegrityOfProcess(HANDLE process) {
  UniqueKernelHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return std::nullopt;
  // The label's SID follows the structure in the same buffer.
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof buffer, &size))
    return std::nullopt;
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  if (!sid || !IsValidSid(sid)) return std::nullopt;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return static_cast<uint32_t>(*GetSidSubAuthority(sid, count - 1));
}

// The full path of `process`'s executable; empty when it cannot be read.
std::string ProgramOfProcess(HANDLE process) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(process, 0, path.data(), &length)) {
      path.resize(length);
      return WideToUtf8(path);
    }
    // A long path: once more with room for the longest the system allows.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return {};
    path.assign(32768, L'\0');
  }
}

}  // namespace

std::optional<uint32_t> OwnIntegrityLevel() {
  return IntegrityOfProcess(GetCurrentProcess());
}

ForegroundProcess DescribeProcess(DWORD processId) {
  ForegroundProcess described;
  const UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, /*bInheritHandle=*/FALSE, processId));
  if (!process) return described;
  described.integrity = IntegrityOfProcess(process.get());
  // Without a level nothing is told, so the path is not worth reading.
  if (described.integrity) described.program = ProgramOfProcess(process.get());
  return described;
}

}  // namespace tavion
