#include "settings/settings_store.h"

#include "base/comma_text.h"
#include "lang/lang.h"
#include "settings/section_view.h"
#include "update/update_check.h"

namespace tavion {
namespace {

constexpr std::string_view kRoot;
constexpr std::string_view kKeys = "Keys";
constexpr std::string_view kIgnoreList = "ExKeys\\IgnoreList";
constexpr std::string_view kDesk = "Desk";
constexpr std::string_view kMisc = "Misc";
constexpr std::string_view kVisual = "Visual";

constexpr char kKernelConflictDefault[] =
    "In the system registry options for Tavion kernel - %s are found.#13Started Tavion has other "
    "version of a kernel - %s.#13Do you want to remove all old options from registry now?.#13(it "
    "is recommended to remove all options from the#13registry, in other cases fatal errors can "
    "arise)#13if you will press <Yes> - all the current options#13will be removed, <No> - the "
    "program will be started#13with old settings, <Cancel> program will be terminate";

// Days from 30 December 1899 to 1 January 1970.
constexpr double kUnixEpochDays = 25569;
constexpr double kUpdateCheckDelayDays = 5;

// Sizes of the main window as designed, and the bounds beyond which a stored size is nonsense.
constexpr int32_t kDesignedWidth = 650;
constexpr int32_t kDesignedHeight = 500;
constexpr int32_t kLargestWindowSide = 32767;

int32_t ReadWindowSide(const RegistryStore& store, std::string_view ident, int32_t def) {
  const int32_t value = ReadInt(store, kRoot, ident, def);
  return value > 0 && value <= kLargestWindowSide ? value : def;
}

void LoadGeometry(const RegistryStore& store, SettingsRecord& settings, MainWindowGeometry& window,
                  bool autorunStart, int dpi) {
  // Stored sides are pixels of the screen they were saved on; the designed ones are at 96 dpi.
  const int scale = dpi >= 96 && dpi <= 4 * 96 ? dpi : 96;
  settings.FWidth = ReadWindowSide(store, "_FWidth", kDesignedWidth * scale / 96);
  settings.FHeight = ReadWindowSide(store, "_FHeight", kDesignedHeight * scale / 96);
  window.SetSize(settings.FWidth, settings.FHeight);
  settings.FMax = ReadBool(store, kRoot, "_FMax", false);
  if (settings.FMax) window.Maximize();
  const int screenWidth = window.ScreenWidth();
  settings.FLeft =
      static_cast<int16_t>(ReadInt(store, kRoot, "_FLeft", (screenWidth - settings.FWidth) / 2));
  if (!window.IsMaximized()) {
    // Off-screen until the first restore, so that an autorun start shows nothing.
    if (autorunStart) settings.FLeft = static_cast<int16_t>(screenWidth);
    window.SetLeft(settings.FLeft);
  }
  settings.FTop = ReadInt(store, kRoot, "_FTop", (window.ScreenHeight() - settings.FHeight) / 2);
  window.SetTop(settings.FTop);
  if (settings.FMax) window.Maximize();
}

bool SaveGeometry(RegistryStore& store, const SettingsRecord& settings,
                  const MainWindowGeometry& window) {
  bool ok = true;
  if (const std::optional<WindowRect> bounds = window.NormalBounds()) {
    const int screenWidth = window.ScreenWidth();
    // A window never shown after an autorun start is still beyond the screen edge.
    const int left =
        settings.FLeft >= screenWidth ? (screenWidth - bounds->width) / 2 : bounds->left;
    ok &= WriteInt(store, kRoot, "_FTop", bounds->top);
    ok &= WriteInt(store, kRoot, "_FLeft", left);
    ok &= WriteInt(store, kRoot, "_FWidth", bounds->width);
    ok &= WriteInt(store, kRoot, "_FHeight", bounds->height);
  }
  ok &= WriteBool(store, kRoot, "_FMax", window.IsMaximized());
  return ok;
}

void LoadDesk(const RegistryStore& store, SettingsRecord& s) {
  s.Desk_Enbl = ReadBool(store, kDesk, "Desk_Enbl", s.Desk_Enbl);
  s.DPosition = static_cast<uint8_t>(ReadInt(store, kDesk, "DPosition", s.DPosition));
  s.PosX = static_cast<int16_t>(ReadInt(store, kDesk, "PosX", s.PosX));
  s.PosY = static_cast<int16_t>(ReadInt(store, kDesk, "PosY", s.PosY));
  s.NoTaskBar = ReadBool(store, kDesk, "NoTaskBar", s.NoTaskBar);
  s.Show_Time = ReadInt(store, kDesk, "Show_Time", s.Show_Time);
  s.Alpha = ReadBool(store, kDesk, "Alpha", s.Alpha);
  s.FullScr = ReadBool(store, kDesk, "FullScr", s.FullScr);
  s.AlphaVal = static_cast<uint8_t>(ReadInt(store, kDesk, "AlphaVal", s.AlphaVal));
  s.Font_Name = ReadStr(store, kDesk, "Font_Name", s.Font_Name);
  s.FontStyle = static_cast<uint8_t>(ReadInt(store, kDesk, "FontStyle", s.FontStyle));
  s.Font_Size = ReadInt(store, kDesk, "Font_Size", s.Font_Size);
  s.ColorText =
      static_cast<uint32_t>(ReadInt(store, kDesk, "ColorText", static_cast<int32_t>(s.ColorText)));
  s.ColorBack =
      static_cast<uint32_t>(ReadInt(store, kDesk, "ColorBack", static_cast<int32_t>(s.ColorBack)));
}

bool SaveDesk(RegistryStore& store, const SettingsRecord& s) {
  bool ok = true;
  ok &= WriteBool(store, kDesk, "Desk_Enbl", s.Desk_Enbl);
  ok &= WriteInt(store, kDesk, "DPosition", s.DPosition);
  ok &= WriteInt(store, kDesk, "PosX", s.PosX);
  ok &= WriteInt(store, kDesk, "PosY", s.PosY);
  ok &= WriteStr(store, kDesk, "Font_Name", s.Font_Name);
  ok &= WriteInt(store, kDesk, "FontStyle", s.FontStyle);
  ok &= WriteInt(store, kDesk, "Font_Size", s.Font_Size);
  ok &= WriteInt(store, kDesk, "ColorText", static_cast<int32_t>(s.ColorText));
  ok &= WriteInt(store, kDesk, "ColorBack", static_cast<int32_t>(s.ColorBack));
  ok &= WriteInt(store, kDesk, "Show_Time", s.Show_Time);
  ok &= WriteBool(store, kDesk, "NoTaskBar", s.NoTaskBar);
  ok &= WriteBool(store, kDesk, "Alpha", s.Alpha);
  ok &= WriteBool(store, kDesk, "FullScr", s.FullScr);
  ok &= WriteInt(store, kDesk, "AlphaVal", s.AlphaVal);
  return ok;
}

void LoadMisc(const RegistryStore& store, SettingsRecord& s) {
  s.Blend_VMin = static_cast<int16_t>(ReadInt(store, kMisc, "Blend_VMin", s.Blend_VMin));
  s.Blend_VMax = static_cast<int16_t>(ReadInt(store, kMisc, "Blend_VMax", s.Blend_VMax));
  s.FormInput_Left = ReadInt(store, kMisc, "FormInput_Left", s.FormInput_Left);
  s.FormInput_Top = ReadInt(store, kMisc, "FormInput_Top", s.FormInput_Top);
  s.foobar2000_class = ReadStr(store, kMisc, "foobar2000_class", s.foobar2000_class);
  s.KeysView = ReadInt(store, kVisual, "KeysView", s.KeysView);
  s.Fr2_Size = ReadInt(store, kVisual, "Fr2_Size", s.Fr2_Size);
}

}  // namespace

std::string KernelConflictMessage(std::string_view storedVersion) {
  return FormatLangText(GetLangStr("KernelConflict", kKernelConflictDefault),
                        {storedVersion, kKernelVersion});
}

bool CheckKernelVersion(RegistryStore& store, std::string_view fullVersion,
                        const std::function<AskAnswer(const std::string& message)>& ask) {
  const std::string stored = ReadStr(store, kRoot, "KERNEL", kKernelVersion);
  if (stored == kKernelVersion) return true;
  // Without anyone to ask, the stored settings are kept, as with No.
  const AskAnswer answer = ask ? ask(KernelConflictMessage(stored)) : AskAnswer::kNo;
  switch (answer) {
    case AskAnswer::kYes:
      // A failure leaves old values behind; reading them is what No would have done.
      store.DeleteKey(kRoot);
      WriteStr(store, kRoot, "VER", fullVersion);
      return true;
    case AskAnswer::kNo:
      return true;
    case AskAnswer::kCancel:
      return false;
  }
  return false;
}

std::optional<ProcessPriority> PriorityFromSetting(int32_t value) {
  switch (value) {
    case 1:
      return ProcessPriority::kAboveNormal;
    case 2:
      return ProcessPriority::kHigh;
    default:
      return std::nullopt;
  }
}

bool OptLoadPhase1(RegistryStore& store, SettingsRecord& settings, const OptLoadStart& start) {
  if (!CheckKernelVersion(store, start.fullVersion, start.ask)) return false;
  // A root that cannot be created reads as empty: every value takes its default.
  store.CreateKey(kRoot);
  settings.ProfileNm = ReadStr(store, kKeys, "ProfileNm", "Default");
  settings.Beep_Enab = ReadBool(store, kRoot, "Beep_Enab", false);
  settings.ThirstRun = ReadBool(store, kRoot, "ThirstRun", true);
  settings.Priority = ReadInt(store, kRoot, "Priority", 0);
  if (const std::optional<ProcessPriority> priority = PriorityFromSetting(settings.Priority)) {
    if (start.applyPriority) start.applyPriority(*priority);
  }
  return true;
}

void CopyDeskOptions(const FormControls& options, SettingsRecord& settings) {
  if (auto i = options.Find("Opt_Desk_TextEx")) settings.DeskEx = options.Checked(*i);
  if (auto i = options.Find("OPT_DESKANIM")) settings.Animation = options.ItemIndex(*i);
  if (auto i = options.Find("Opt_Desk_Shadow")) settings.Shadow = options.Checked(*i);
  if (auto i = options.Find("Opt_Desk_KeyInfo")) settings.KeyInfo = options.Checked(*i);
  if (auto i = options.Find("OPT_OSD_SKIN")) settings.SkinType = options.ItemIndex(*i);
}

LoadedLists OptLoadPhase2(RegistryStore& store, SettingsRecord& settings, FormControls& options,
                          MainWindowGeometry& window, const OptLoadFull& full) {
  store.CreateKey(kRoot);
  LoadedLists lists;
  SyncOptionControls(options, store, "OPT_", SyncMode::kLoad);
  CopyDeskOptions(options, settings);

  settings.Lang_Icon = ReadBool(store, kRoot, "Lang_Icon", true);
  settings.Lang_Icon_Set = static_cast<uint8_t>(ReadInt(store, kRoot, "Lang_Icon_Set", 3));
  settings.TR_upkeys_list = ReadStr(store, kRoot, "TR_upkeys_list", "");
  lists.upOnlyKeys = CommaTextToList(settings.TR_upkeys_list);
  lists.ignoredKeys = CommaTextToList(ReadStr(store, kIgnoreList, "Items", ""));

  LoadDesk(store, settings);
  LoadMisc(store, settings);
  LoadGeometry(store, settings, window, full.autorunStart, full.dpi);

  settings.LastUpdate = ReadDateTime(store, kMisc, "LastUpdate", full.now + kUpdateCheckDelayDays);
  settings.LastUpdateVersion = ReadStr(store, kMisc, "LastUpdateVersion", "");
  // A version this run has caught up with is no news any more.
  if (CompareVersions(settings.LastUpdateVersion, full.shortVersion) <= 0)
    settings.LastUpdateVersion.clear();

  settings.ClearRawMouseDevice = ReadBool(store, kMisc, "ClearRawMouseDevice", false);
  settings.ClearRawKeyboardDevice = ReadBool(store, kMisc, "ClearRawKeyboardDevice", false);
  settings.ClearRawOtherDevice = ReadBool(store, kMisc, "ClearRawOtherDevice", false);

  lists.profileNames = store.SubKeyNames(kKeys);
  return lists;
}

bool OptSave(RegistryStore& store, const SettingsRecord& settings, FormControls& options,
             const MainWindowGeometry& window, const OptSaveContext& context) {
  bool ok = store.CreateKey(kRoot);
  ok &= WriteStr(store, kRoot, "VER", context.fullVersion);
  ok &= WriteStr(store, kRoot, "KERNEL", kKernelVersion);
  ok &= WriteBool(store, kRoot, "ThirstRun", false);
  ok &= WriteBool(store, kRoot, "Lang_Icon", settings.Lang_Icon);
  ok &= WriteInt(store, kRoot, "Lang_Icon_Set", settings.Lang_Icon_Set);
  ok &= WriteStr(store, kRoot, "Language", settings.Language);
  ok &= WriteStr(store, kRoot, "Path", context.programFolder);
  ok &= SaveGeometry(store, settings, window);

  if (context.ignoredKeys != nullptr && !context.ignoredKeys->empty()) {
    ok &= WriteStr(store, kIgnoreList, "Items", ListToCommaText(*context.ignoredKeys));
  } else {
    ok &= store.DeleteKey(kIgnoreList);
  }
  ok &= WriteStr(store, kKeys, "ProfileNm", settings.ProfileNm);
  ok &= SyncOptionControls(options, store, "OPT_", SyncMode::kSave);

  ok &= WriteInt(store, kMisc, "Blend_VMin", settings.Blend_VMin);
  ok &= WriteInt(store, kMisc, "Blend_VMax", settings.Blend_VMax);
  ok &= WriteInt(store, kMisc, "FormInput_Left", settings.FormInput_Left);
  ok &= WriteInt(store, kMisc, "FormInput_Top", settings.FormInput_Top);
  ok &= WriteDateTime(store, kMisc, "LastUpdate", settings.LastUpdate);
  ok &= WriteStr(store, kMisc, "LastUpdateVersion", settings.LastUpdateVersion);
  ok &= WriteInt(store, kVisual, "KeysView", settings.KeysView);
  ok &= WriteInt(store, kVisual, "Fr2_Size", settings.Fr2_Size);
  ok &= WriteBool(store, kRoot, "Beep_Enab", settings.Beep_Enab);
  ok &= SaveDesk(store, settings);

  if (context.saveActions) context.saveActions();
  return ok;
}

std::string ReadInterfaceLanguage(const RegistryStore& store) {
  return ReadStr(store, kRoot, "Language", "English");
}

double DateTimeFromCivil(int year, int month, int day, int hour, int minute, int second) {
  // Days since 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const double days = static_cast<double>(era) * 146097 + dayOfEra - 719468;
  return kUnixEpochDays + days + (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace tavion
