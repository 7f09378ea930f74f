#include "actions/params.h"

namespace tavion {

std::span<const Property> TActionParamsSExec::Properties() const {
  static constexpr Property kProperties[] = {
      StringField<&TActionParamsSExec::Oper>("Oper"),
      StringField<&TActionParamsSExec::Path>("Path"),
      StringField<&TActionParamsSExec::Parm>("Parm"),
      StringField<&TActionParamsSExec::Fold>("Fold"),
      IntegerField<&TActionParamsSExec::Show>("Show"),
      BooleanField<&TActionParamsSExec::Switch>("Switch"),
  };
  return kProperties;
}

std::span<const Property> TActionParamsRKey::Properties() const {
  static constexpr Property kProperties[] = {
      ObjectField<&TActionParamsRKey::Key>("Key"),
      IntegerField<&TActionParamsRKey::Lang>("Lang"),
  };
  return kProperties;
}

std::span<const Property> TActionParamsMacr::Properties() const {
  static constexpr Property kProperties[] = {StringField<&TActionParamsMacr::Name>("Name")};
  return kProperties;
}

std::span<const Property> TActionParamsMacrText::Properties() const {
  static constexpr Property kProperties[] = {
      IntegerField<&TActionParamsMacrText::Mode>("Mode"),
      StringField<&TActionParamsMacrText::Text>("Text"),
      StringField<&TActionParamsMacrText::FileName>("FileName"),
      IntegerField<&TActionParamsMacrText::FileEncoding>("FileEncoding"),
  };
  return kProperties;
}

std::span<const Property> TActionParamsAlfa::Properties() const {
  static constexpr Property kProperties[] = {
      IntegerField<&TActionParamsAlfa::Mode>("Mode"),
      IntegerField<&TActionParamsAlfa::Value>("Value"),
  };
  return kProperties;
}

std::span<const Property> TActionParamsScroll::Properties() const {
  static constexpr Property kProperties[] = {
      IntegerField<&TActionParamsScroll::hWndType>("hWndType"),
      IntegerField<&TActionParamsScroll::Mode>("Mode"),
      BooleanField<&TActionParamsScroll::Pages>("Pages"),
      IntegerField<&TActionParamsScroll::Speed>("Speed"),
  };
  return kProperties;
}

std::span<const Property> TActionParamsSMsg::Properties() const {
  // The window list's entries are defined in another file, so this table is built at first use.
  static const Property kProperties[] = {
      kWindowClassesProperty,
      kWindowCaptionsProperty,
      IntegerField<&TActionParamsSMsg::Mode>("Mode"),
      IntegerField<&TActionParamsSMsg::SMsg>("SMsg"),
      IntegerField<&TActionParamsSMsg::Wprm>("Wprm"),
      IntegerField<&TActionParamsSMsg::Lprm>("Lprm"),
  };
  return kProperties;
}

void PluginParamsRelease::operator()(Persistent* object) const {
  if (release) {
    release(object);
  } else {
    delete object;
  }
}

std::span<const Property> TActionParamsPlug::Properties() const {
  static constexpr Property kProperties[] = {
      ObjectField<&TActionParamsPlug::Params>("Params"),
      StoredKeyField<&TActionParamsPlug::StoredParams, &TActionParamsPlug::Params>("Params"),
  };
  return kProperties;
}

}  // namespace tavion
