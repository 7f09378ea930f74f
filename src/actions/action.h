#pragma once
// One action (a hot key bound to an action code with its parameters and conditions) and the list
// of the current profile's actions. Portable.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/exec_on.h"
#include "actions/params.h"
#include "actions/persistent.h"

namespace tavion {

// The class of an action's parameter object; the ordinal is stored.
enum class TActionParamsMode : uint8_t {
  pmNull = 0,      // none
  pmSExe = 1,      // TActionParamsSExec
  pmKRep = 2,      // TActionParamsRKey
  pmMacr = 3,      // TActionParamsMacr
  pmSMsg = 4,      // TActionParamsSMsg
  pmPlug = 5,      // TActionParamsPlug
  pmMacrText = 6,  // TActionParamsMacrText
  pmAlfa = 7,      // TActionParamsAlfa
  pmScroll = 8,    // TActionParamsScroll
};

// A new parameter object of the class `mode` names, with its initial values; null for pmNull.
std::unique_ptr<Persistent> CreateActionParams(TActionParamsMode mode);

// Copies the properties of `from` into `to`, an object of the same class, as loading would set
// them.
void CopyProperties(const Persistent& from, Persistent& to);

// The plug-in and action an action code belongs to.
struct PluginActionId {
  std::string libraryFile;
  std::string actionId;
  friend bool operator==(const PluginActionId&, const PluginActionId&) = default;
};

// What the action model asks of the loaded plug-ins.
class PluginCodeResolver {
 public:
  virtual ~PluginCodeResolver() = default;
  // The plug-in action of `code` when a loaded plug-in provides it, else nullopt.
  virtual std::optional<PluginActionId> Resolve(std::string_view code) const = 0;
  // Asks the plug-in for the parameter object of its action `id`; null when it has none.
  virtual PluginParams CreateParams(const PluginActionId& id) = 0;
};

// Makes `resolver` (not owned; it must stay alive while installed) the process-wide resolver;
// null removes it. With none installed, no code belongs to a plug-in.
void SetPluginCodeResolver(PluginCodeResolver* resolver);
PluginCodeResolver* CurrentPluginCodeResolver();

class TAction final : public Persistent {
 public:
  TAction() = default;
  TAction(const TAction&) = delete;
  TAction& operator=(const TAction&) = delete;

  // Stored in the order Name, Exec, ActionParams, ActionParamsMode, ActionExecOn, Key0, Levl: the
  // Exec setter makes the parameter object before ActionParams is loaded into it.
  std::span<const Property> Properties() const override;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name) { name_ = name; }

  // A folder has no action code.
  bool IsFolder() const { return exec_.empty(); }
  const std::string& Exec() const { return exec_; }
  // A different code discards the parameter object and makes the one of the new code's class: a
  // loaded plug-in's code first, then the built-in codes; an empty code is pmNull. Any other
  // code leaves no parameter object and the mode as it was. The same code changes nothing.
  void SetExec(std::string_view code);

  TActionParamsMode ActionParamsMode() const { return mode_; }
  // Stores the mode; when there is no parameter object, makes the one of the mode's class (and
  // loads it from the stored parameters that were kept for want of an object).
  void SetActionParamsMode(TActionParamsMode mode);

  // The parameter object, or null.
  Persistent* ActionParams() { return params_.get(); }
  const Persistent* ActionParams() const { return params_.get(); }
  // The parameter object when it is a `T`, else null.
  template <typename T>
  T* ParamsAs() {
    return dynamic_cast<T*>(params_.get());
  }
  template <typename T>
  const T* ParamsAs() const {
    return dynamic_cast<const T*>(params_.get());
  }

  TActionExecOn& ActionExecOn() { return execOn_; }
  const TActionExecOn& ActionExecOn() const { return execOn_; }

  TActionHKey& Key0() { return key0_; }
  const TActionHKey& Key0() const { return key0_; }

  // Depth of the action's node in the tree; 0 top level.
  uint8_t Levl() const { return levl_; }
  void SetLevl(uint8_t level) { levl_ = level; }

  // A copy that owns copies of everything the action owns. A plug-in's parameter object is
  // copied through the process's resolver, which makes a new one whose properties are then
  // copied; without a resolver, or when it makes none, the copy has no plug-in object.
  std::unique_ptr<TAction> Copy() const;

 private:
  std::string name_;
  std::string exec_;
  PersistentHotKey key0_;
  uint8_t levl_ = 0;
  TActionParamsMode mode_ = TActionParamsMode::pmNull;
  TActionExecOn execOn_;
  std::unique_ptr<Persistent> params_;
  // The stored ActionParams key, kept while there is no parameter object to read it: its code
  // made none (a plug-in that is missing) and the mode has not made one yet, or never will.
  StoredKey unreadParams_;
};

// The actions of one profile, in list order. Owns them; an action stays at its address until it
// is deleted.
class TActionsList {
 public:
  TAction& Add();
  // Returns false, and deletes nothing, for i outside the list.
  bool Delete(std::size_t i);
  void Clear() { actions_.clear(); }
  std::size_t Count() const { return actions_.size(); }
  // Null for i outside the list.
  TAction* At(std::size_t i);
  const TAction* At(std::size_t i) const;
  std::optional<std::size_t> IndexOf(const TAction* action) const;
  // Moves the `count` actions from `first` in front of position `before` (Count() for the end),
  // keeping their order. False, and nothing moves, when the range is outside the list or
  // `before` lies inside it.
  bool Move(std::size_t first, std::size_t count, std::size_t before);

  bool Modified = false;  // edited since the last save
  bool Saving = false;    // being written

 private:
  std::vector<std::unique_ptr<TAction>> actions_;
};

}  // namespace tavion
