#pragma once
// The parameter objects of the actions, one class per kind of action code. Portable.
//
// Each class stores its fields in the order of its table; the executor of its codes gives the
// fields their meaning.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "actions/exec_on.h"
#include "actions/persistent.h"

namespace tavion {

// Launch ("srun").
class TActionParamsSExec final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  std::string Oper;  // shell verb
  std::string Path;
  std::string Parm;
  std::string Fold;  // working folder
  uint8_t Show = 1;  // show-window command, SW_HIDE (0) to SW_SHOWDEFAULT (10)
  bool Switch = false;
};

// Key replacement ("ke_keyz").
class TActionParamsRKey final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  PersistentHotKey Key;  // the key sent instead, stored as the sub-key Key
  uint32_t Lang = 0;     // keyboard layout to send it in; 0 the current one
};

// Macro playback ("mc_play").
class TActionParamsMacr final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  std::string Name;  // the macro's name
};

// Typing a text ("mc_text").
class TActionParamsMacrText final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  uint8_t Mode = 0;  // 0 type Text, 1 type the text of FileName
  std::string Text;
  std::string FileName;
  uint8_t FileEncoding = 0;  // 0 ANSI, 1 UTF-8
};

// Window transparency ("wm_alfa").
class TActionParamsAlfa final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  uint8_t Mode = 0;
  int16_t Value = 0;  // 0 to 255
};

// Scrolling and zooming ("wm_scroll").
class TActionParamsScroll final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  uint8_t hWndType = 0;
  uint8_t Mode = 0;
  bool Pages = true;
  uint8_t Speed = 1;  // 1 to 20
};

// Sending a message to a window ("ms_wmsg"): one exact window (class and caption, "nil" for an
// absent one) and the message.
class TActionParamsSMsg final : public TMyWindow {
 public:
  TActionParamsSMsg() : TMyWindow(/*matchFlags=*/0) {}

  std::span<const Property> Properties() const override;

  // 0 the window named by WCls and WCap (the foreground window when both are absent),
  // 1 the foreground window, 2 the focused window, 3 the window under the mouse cursor,
  // 4 the top-level window under the mouse cursor.
  int32_t Mode = 0;
  int32_t SMsg = 0;
  int32_t Wprm = 0;
  int32_t Lprm = 0;
};

// Gives a plug-in's parameter object back to the plug-in that made it; without a release
// function the object is deleted.
struct PluginParamsRelease {
  std::function<void(Persistent*)> release;
  void operator()(Persistent* object) const;
};
using PluginParams = std::unique_ptr<Persistent, PluginParamsRelease>;

// An action of a plug-in: which plug-in and action (not stored; they come from the code), and
// the plug-in's own parameter object, stored as the sub-key Params when there is one. Without
// that object (the plug-in is missing) the sub-key Params is kept as it was stored.
class TActionParamsPlug final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  std::string LibraryFile;  // the plug-in's file name
  std::string ActionId;     // the plug-in's name of the action
  PluginParams Params;
  StoredKey StoredParams;  // the sub-key Params while no object reads it
};

}  // namespace tavion
