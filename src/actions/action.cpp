#include "actions/action.h"

#include <algorithm>
#include <atomic>

namespace tavion {
namespace {

std::atomic<PluginCodeResolver*> pluginCodeResolver{nullptr};

struct BuiltInCode {
  std::string_view code;
  TActionParamsMode mode;
};

// The built-in codes with a parameter object, after "srun" and the plug-in codes.
constexpr BuiltInCode kBuiltInCodes[] = {
    {"ke_keyz", TActionParamsMode::pmKRep},     {"mc_play", TActionParamsMode::pmMacr},
    {"mc_text", TActionParamsMode::pmMacrText}, {"wm_alfa", TActionParamsMode::pmAlfa},
    {"wm_scroll", TActionParamsMode::pmScroll}, {"ms_wmsg", TActionParamsMode::pmSMsg},
};

}  // namespace

std::unique_ptr<Persistent> CreateActionParams(TActionParamsMode mode) {
  switch (mode) {
    case TActionParamsMode::pmNull:
      return nullptr;
    case TActionParamsMode::pmSExe:
      return std::make_unique<TActionParamsSExec>();
    case TActionParamsMode::pmKRep:
      return std::make_unique<TActionParamsRKey>();
    case TActionParamsMode::pmMacr:
      return std::make_unique<TActionParamsMacr>();
    case TActionParamsMode::pmSMsg:
      return std::make_unique<TActionParamsSMsg>();
    case TActionParamsMode::pmPlug:
      return std::make_unique<TActionParamsPlug>();
    case TActionParamsMode::pmMacrText:
      return std::make_unique<TActionParamsMacrText>();
    case TActionParamsMode::pmAlfa:
      return std::make_unique<TActionParamsAlfa>();
    case TActionParamsMode::pmScroll:
      return std::make_unique<TActionParamsScroll>();
  }
  return nullptr;
}

void SetPluginCodeResolver(PluginCodeResolver* resolver) {
  pluginCodeResolver.store(resolver);
}

PluginCodeResolver* CurrentPluginCodeResolver() {
  return pluginCodeResolver.load();
}

std::span<const Property> TAction::Properties() const {
  static constexpr Property kProperties[] = {
      StringField<&TAction::name_>("Name"),
      {.name = "Exec",
       .kind = PropertyKind::kString,
       .getString = [](const Persistent& o,
                       const Property&) { return static_cast<const TAction&>(o).exec_; },
       .setString = [](Persistent& o, const Property&,
                       std::string code) { static_cast<TAction&>(o).SetExec(code); }},
      ObjectField<&TAction::params_>("ActionParams"),
      StoredKeyField<&TAction::unreadParams_, &TAction::params_>("ActionParams"),
      {.name = "ActionParamsMode",
       .kind = PropertyKind::kEnumeration,
       .maxOrdinal = static_cast<uint32_t>(TActionParamsMode::pmScroll),
       .getNumber =
           [](const Persistent& o, const Property&) {
             return static_cast<uint32_t>(static_cast<const TAction&>(o).mode_);
           },
       .setNumber =
           [](Persistent& o, const Property&, uint32_t ordinal) {
             static_cast<TAction&>(o).SetActionParamsMode(static_cast<TActionParamsMode>(ordinal));
           }},
      ObjectField<&TAction::execOn_>("ActionExecOn"),
      ObjectField<&TAction::key0_>("Key0"),
      IntegerField<&TAction::levl_>("Levl"),
  };
  return kProperties;
}

void TAction::SetExec(std::string_view code) {
  if (code == exec_) return;
  params_.reset();
  unreadParams_.reset();
  exec_ = code;
  if (code.empty()) {
    SetActionParamsMode(TActionParamsMode::pmNull);
    return;
  }
  if (code == "srun") {
    SetActionParamsMode(TActionParamsMode::pmSExe);
    return;
  }
  if (PluginCodeResolver* resolver = CurrentPluginCodeResolver()) {
    if (std::optional<PluginActionId> id = resolver->Resolve(code)) {
      SetActionParamsMode(TActionParamsMode::pmPlug);
      auto& plug = static_cast<TActionParamsPlug&>(*params_);
      plug.LibraryFile = id->libraryFile;
      plug.ActionId = id->actionId;
      plug.Params = resolver->CreateParams(*id);
      return;
    }
  }
  for (const BuiltInCode& entry : kBuiltInCodes) {
    if (entry.code == code) {
      SetActionParamsMode(entry.mode);
      return;
    }
  }
}

void TAction::SetActionParamsMode(TActionParamsMode mode) {
  mode_ = mode;
  if (params_) return;
  params_ = CreateActionParams(mode);
  if (params_ && unreadParams_) {
    WriteObject(*params_, *unreadParams_, "", "", /*load=*/true);
    unreadParams_.reset();
  }
}

TAction& TActionsList::Add() {
  actions_.push_back(std::make_unique<TAction>());
  return *actions_.back();
}

bool TActionsList::Delete(std::size_t i) {
  if (i >= actions_.size()) return false;
  actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

TAction* TActionsList::At(std::size_t i) {
  return i < actions_.size() ? actions_[i].get() : nullptr;
}

const TAction* TActionsList::At(std::size_t i) const {
  return i < actions_.size() ? actions_[i].get() : nullptr;
}

std::optional<std::size_t> TActionsList::IndexOf(const TAction* action) const {
  const auto found = std::find_if(actions_.begin(), actions_.end(),
                                  [&](const auto& owned) { return owned.get() == action; });
  if (found == actions_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - actions_.begin());
}

}  // namespace tavion
