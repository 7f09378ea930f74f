#include "services/integrity_notice.h"

#include <string_view>

#include "base/fold_case.h"
#include "lang/lang.h"

namespace tavion {
namespace {

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::string> IntegrityNotice::Check(const ForegroundProcess& process) {
  if (!ownIntegrity_ || !process.integrity || *process.integrity <= *ownIntegrity_ ||
      process.program.empty())
    return std::nullopt;
  if (!told_.insert(FoldCase(process.program)).second) return std::nullopt;
  return FormatLangText(
      GetLangStr("ElevatedWindowKeys",
                 "Hot keys do not work in %s while it is the active window: it runs with higher "
                 "rights than Tavion.#13Run Tavion as administrator to use hot keys there."),
      {FileNameOf(process.program)});
}

}  // namespace tavion
