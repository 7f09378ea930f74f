#pragma once
// The process-wide settings record and the small run-time object TOptions. Portable.
//
// The persisted fields mirror the program-wide registry values (settings_store.h reads and writes
// them); the option controls of the main window keep their own state and are not copied here.
// Fields written by one thread and read by another are atomics; the rest belong to the
// user-interface thread. An execution's notification text is no field: it travels with the
// execution's notification (exec/dispatcher.h).
#include <atomic>
#include <cstdint>
#include <string>

namespace tavion {

// The settings-format version this program writes and expects.
inline constexpr char kKernelVersion[] = "4B.0(SOLID)";
// The registry root of every setting, under HKEY_CURRENT_USER.
inline constexpr char kSettingsRootPath[] = "Software\\Quillon\\Tavion";

// A field that one thread writes while another reads it; it copies like a plain value.
template <typename T>
class SharedField {
 public:
  SharedField(T value = T()) : value_(value) {}
  SharedField(const SharedField& other) : value_(other.value_.load()) {}
  SharedField& operator=(const SharedField& other) { return *this = T(other); }
  SharedField& operator=(T value) {
    value_.store(value);
    return *this;
  }
  operator T() const { return value_.load(); }

 private:
  std::atomic<T> value_;
};

// The persisted fields, with the defaults of a fresh registry.
struct PersistedSettings {
  // Root values.
  bool ThirstRun = true;
  bool Beep_Enab = false;
  int32_t Priority = 0;
  std::string Language = "English";
  bool Lang_Icon = true;
  uint8_t Lang_Icon_Set = 3;
  std::string TR_upkeys_list;
  std::string ProfileNm = "Default";  // Keys\ProfileNm

  // Desk values (the on-screen display).
  bool Desk_Enbl = true;
  uint8_t DPosition = 1;
  int16_t PosX = 0;
  int16_t PosY = 0;
  bool NoTaskBar = false;
  int32_t Show_Time = 2500;
  bool Alpha = false;
  bool FullScr = true;
  uint8_t AlphaVal = 220;
  bool DeskEx = true;
  int32_t Animation = 1;
  bool Shadow = true;
  bool KeyInfo = true;
  int32_t SkinType = 1;
  std::string Font_Name = "Verdana";
  uint8_t FontStyle = 1;  // 1 bold, 2 italic, 4 underline, 8 strike-out
  int32_t Font_Size = 14;
  uint32_t ColorText = 0;
  uint32_t ColorBack = 0xFF000018;  // top byte 0xFF: a system colour, index in the low byte

  // Misc values.
  int16_t Blend_VMin = 10;
  int16_t Blend_VMax = 255;
  // The input dialog's place: written on the thread of the dialog.
  SharedField<int32_t> FormInput_Left = -1;
  SharedField<int32_t> FormInput_Top = -1;
  std::string foobar2000_class;
  double LastUpdate = 0;  // days since 30 December 1899
  std::string LastUpdateVersion;
  bool ClearRawMouseDevice = false;
  bool ClearRawKeyboardDevice = false;
  bool ClearRawOtherDevice = false;
  std::string var_datetime;

  // Visual values and the main window's geometry (the registry names of the last five begin with
  // an underscore: "_FWidth" and so on).
  int32_t KeysView = 0;
  int32_t Fr2_Size = 0;
  int32_t FWidth = 650;
  int32_t FHeight = 500;
  int16_t FLeft = 0;
  int32_t FTop = 0;
  bool FMax = false;
};

struct SettingsRecord : PersistedSettings {
  // Run-time fields of the action dispatcher.
  std::atomic<bool> ActionBusy{false};  // a hot key's execution is in flight
  uintptr_t HiddenWindow = 0;           // the window hidden by "wm_s/\h"

  // Run-time fields of the hot-key dispatch. The key handler's own fields (the last key, its time
  // and the Win flags) are read and written only by the handler, under its lock.
  uint16_t LastHotKeyCode = 0;
  std::string LastKeyText;
  uint32_t LastKeyTime = 0;
  bool LeftWinUsed = false;
  bool RightWinUsed = false;
  std::atomic<bool> SendingKeys{false};
  std::atomic<bool> MacroPlaying{false};
  std::atomic<bool> MacroRecording{false};
  std::atomic<uint32_t> LastRecordTime{0};  // set when a recording starts, then by the handler

  // Exit flags: a forced exit is never questioned; an explicit one skips only minimise-on-close.
  bool ForcedExit = false;
  bool ExplicitExit = false;
};

// The process's one settings record.
SettingsRecord& Settings();

// Puts every field of Settings() and Options() back to its start value (for a fresh start within
// the process, and for tests).
void ResetSettings();

// Run-time counters and flags shared with worker threads.
struct TOptions {
  uint32_t BuildNumber = 0;
  std::atomic<int16_t> PendingLanguageSwitches{0};  // language switches the program asked for
  std::atomic<int16_t> PendingVolumeCommands{0};    // volume commands a plug-in action started
  std::atomic<bool> Dispatching{false};             // DispatchAction is running
};

TOptions& Options();

// Takes one from a pending counter of TOptions when it holds one; returns whether it did.
bool TakePending(std::atomic<int16_t>& counter);

}  // namespace tavion
