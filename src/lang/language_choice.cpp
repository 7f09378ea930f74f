#include "lang/language_choice.h"

#include "settings/section_view.h"

namespace tavion {

std::string ChosenLanguage(const std::string& name, const RegistryStore& settings,
                           const std::function<bool(const std::string& language)>& fileExists) {
  if (name != kFirstStartLanguage) return name;
  const int32_t installer = ReadInt(settings, "Setup", "Lang", 0);
  for (const auto& [id, language] : {std::pair{1049, "Russian"}, std::pair{1058, "Ukrainian"}})
    if (installer == id && fileExists && fileExists(language)) return language;
  return name;
}

}  // namespace tavion
