#pragma once
// The shared memory of the media-player test double (tavion_player_double.exe): the answers it
// gives to the players' queries, set by the test, and every command message its windows receive.

#include <windows.h>

#include <cstdint>

namespace tavion::test {

inline constexpr wchar_t kPlayerDoubleBlockName[] = L"Local\\TavionPlayerDoubleBlock";
inline constexpr size_t kPlayerDoubleRecordCapacity = 512;

// One message a double window received.
struct PlayerDoubleRecord {
  uint64_t window;  // the receiving window's handle
  uint32_t message;
  uint32_t sent;  // 1 when it came by SendMessage, 0 when posted
  uint64_t wParam;
  int64_t lParam;     // for WM_COPYDATA the data identifier
  uint32_t dataSize;  // for WM_COPYDATA the data size
  uint32_t reserved;
};

// What the double answers; the test may change it while the double runs.
struct PlayerDoubleAnswers {
  int32_t winampState;    // query 104
  int32_t listPosition;   // 125
  int32_t listLength;     // 124
  int32_t positionMs;     // 105, wParam 0
  int32_t lengthS;        // 105, wParam 1
  int32_t sampleRateKHz;  // 126, wParam 0
  int32_t bitRate;        // 126, wParam 1
  int32_t shuffle;        // 250
  int32_t repeat;         // 251
  int32_t bsState;        // BSPlayer 0x10102
  int32_t bsPositionMs;   // BSPlayer 0x10101
  int32_t bsLengthMs;     // BSPlayer 0x10100
  char bsFileName[260];   // written into the asker's buffer on WM_COPYDATA 0x1010B
};

struct PlayerDoubleBlock {
  volatile LONG ready;  // 1 once every window of the double exists
  volatile LONG count;  // records written
  // Set by the test: the next message any window of the double gets leaves it stuck, answering
  // nothing, until the test clears it (or half a minute has passed).
  volatile LONG hang;
  volatile LONG stuck;  // 1 while the double is stuck
  PlayerDoubleAnswers answers;
  PlayerDoubleRecord records[kPlayerDoubleRecordCapacity];
};

}  // namespace tavion::test
