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

// Copies the properties of `from` into `to`, an object of the same class, as loading would set
// them; objects nest only a few levels, as in the registry walker.
void CopyPropertiesAt(const Persistent& from, Persistent& to, int depth) {
  constexpr int kMaxDepth = 16;
  for (const Property& property : from.Properties()) {
    switch (property.kind) {
      case PropertyKind::kInteger:
      case PropertyKind::kBoolean:
      case PropertyKind::kEnumeration:
        if (property.getNumber && property.setNumber)
          property.setNumber(to, property, property.getNumber(from, property));
        break;
      case PropertyKind::kString:
        if (property.getString && property.setString)
          property.setString(to, property, property.getString(from, property));
        break;
      case PropertyKind::kObject: {
        if (!property.getObject || depth >= kMaxDepth) break;
        // The accessor only finds the member; `from` is not changed.
        Persistent* source = property.getObject(const_cast<Persistent&>(from), property);
        Persistent* target = property.getObject(to, property);
        if (source != nullptr && target != nullptr) CopyPropertiesAt(*source, *target, depth + 1);
        break;
      }
      case PropertyKind::kStoredKey:
        // Kept only to be saved back; an execution never reads it.
        break;
    }
  }
}

std::unique_ptr<Persistent> CopyPluginParams(const TActionParamsPlug& params) {
  auto copy = std::make_unique<TActionParamsPlug>();
  copy->LibraryFile = params.LibraryFile;
  copy->ActionId = params.ActionId;
  PluginCodeResolver* resolver = CurrentPluginCodeResolver();
  if (params.Params != nullptr && resolver != nullptr) {
    copy->Params = resolver->CreateParams({params.LibraryFile, params.ActionId});
    if (copy->Params != nullptr) CopyPropertiesAt(*params.Params, *copy->Params, 0);
  }
  return copy;
}

// A copy of `params` when it is a `T`.
template <typename T>
bool CopyParamsAs(const Persistent& params, std::unique_ptr<Persistent>& copy) {
  const auto* typed = dynamic_cast<const T*>(&params);
  if (typed != nullptr) copy = std::make_unique<T>(*typed);
  return typed != nullptr;
}

// A copy of `params` when it is one of `Classes`, else null.
template <typename... Classes>
std::unique_ptr<Persistent> CopyParamsAsOneOf(const Persistent& params) {
  std::unique_ptr<Persistent> copy;
  (CopyParamsAs<Classes>(params, copy) || ...);
  return copy;
}

std::unique_ptr<Persistent> CopyParams(const Persistent& params) {
  if (const auto* plug = dynamic_cast<const TActionParamsPlug*>(&params))
    return CopyPluginParams(*plug);
  return CopyParamsAsOneOf<TActionParamsSExec, TActionParamsRKey, TActionParamsMacr,
                           TActionParamsSMsg, TActionParamsMacrText, TActionParamsAlfa,
                           TActionParamsScroll>(params);
}

}  // namespace

void CopyProperties(const Persistent& from, Persistent& to) {
  CopyPropertiesAt(from, to, 0);
}

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

std::unique_ptr<TAction> TAction::Copy() const {
  auto copy = std::make_unique<TAction>();
  copy->name_ = name_;
  copy->exec_ = exec_;
  copy->key0_ = key0_;
  copy->levl_ = levl_;
  copy->mode_ = mode_;
  copy->execOn_ = execOn_;
  if (params_ != nullptr) copy->params_ = CopyParams(*params_);
  return copy;
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

bool TActionsList::Move(std::size_t first, std::size_t count, std::size_t before) {
  const std::size_t end = first + count;
  if (end < first || end > actions_.size() || before > actions_.size()) return false;
  if (before > first && before < end) return false;
  const auto at = [this](std::size_t i) {
    return actions_.begin() + static_cast<std::ptrdiff_t>(i);
  };
  if (before <= first) {
    std::rotate(at(before), at(first), at(end));
  } else {
    std::rotate(at(first), at(end), at(before));
  }
  return true;
}

std::optional<std::size_t> TActionsList::IndexOf(const TAction* action) const {
  const auto found = std::find_if(actions_.begin(), actions_.end(),
                                  [&](const auto& owned) { return owned.get() == action; });
  if (found == actions_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - actions_.begin());
}

}  // namespace tavion
