#include "exec/macro_executors_win.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "actions/action.h"
#include "actions/params.h"
#include "base/file_exists_win.h"
#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/dispatcher.h"
#include "lang/lang.h"
#include "macros/macro_format.h"

namespace tavion {
namespace {

// Bound of a text file to type; a larger one would keep the input blocked for hours anyway.
constexpr DWORD kMaxTextFileBytes = 16 * 1024 * 1024;

void NotifyFailure(std::string text) {
  SetNotifyText(std::move(text), /*error=*/true);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxTextFileBytes) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return std::nullopt;
  bytes.resize(read);
  return bytes;
}

class MacroExecutors {
 public:
  explicit MacroExecutors(MacroServices services) : services_(std::move(services)) {
    if (!services_.sendKeys) services_.sendKeys = DefaultKeySender();
  }

  void Play(ExecContext& context) const {
    const auto* params =
        context.action != nullptr ? context.action->ParamsAs<TActionParamsMacr>() : nullptr;
    const std::string name = params != nullptr ? params->Name : std::string();
    if (services_.macros == nullptr || ReadMacroItems(*services_.macros, name).empty()) {
      NotifyFailure(FormatLangText(
          GetLangStr("ErrorNoMacros", "Error: can't find settings for macros - %s"), {name}));
      return;
    }
    // The name goes as wide text, so that a name outside the ANSI code page still plays.
    const std::wstring wideName = Utf8ToWide(name);
    if (!services_.sendKeys(0, kSendPlayMacro, 0, 0, 0, false, 0, nullptr, wideName.c_str()))
      context.repeat = 0;
  }

  void Type(ExecContext& context) const {
    const auto* params =
        context.action != nullptr ? context.action->ParamsAs<TActionParamsMacrText>() : nullptr;
    if (params == nullptr) return;
    bool sent = true;
    if (params->Mode == 1) {
      const std::wstring path = Utf8ToWide(params->FileName);
      const std::optional<std::string> bytes =
          FileExists(path) ? ReadFileBytes(path) : std::nullopt;
      if (!bytes) {
        NotifyFailure(FormatLangText(GetLangStr("ErrorFileNotFound", "File not found - %s"),
                                     {params->FileName}));
        return;
      }
      if (params->FileEncoding == 1) {
        sent = SendLines(TypingLines(WithoutUtf8ByteOrderMark(*bytes)));
      } else {
        const std::string text = TypingText(*bytes, WideToAnsi(Utf8ToWide(DateTimeText())));
        if (!text.empty())
          sent = services_.sendKeys(0, kSendAnsiText, 0, 0, 0, false, 0, text.c_str(), nullptr);
      }
    } else {
      sent = SendLines(TypingText(params->Text, DateTimeText()));
    }
    if (!sent) context.repeat = 0;
  }

 private:
  std::string DateTimeText() const {
    return services_.dateTimeText ? services_.dateTimeText() : std::string("%datetime%");
  }

  // Sends UTF-8 `lines` (each ended by CR LF) as wide text, which keeps every character; the line
  // feeds are dropped as the ANSI mode drops them, so each line end types one Enter.
  bool SendLines(const std::string& lines) const {
    std::wstring text = Utf8ToWide(lines);
    std::erase(text, L'\n');
    if (text.empty()) return true;
    return services_.sendKeys(0, kSendWideText, 0, 0, 0, false, 0, nullptr, text.c_str());
  }

  MacroServices services_;
};

}  // namespace

void RegisterMacroExecutors(const MacroServices& services) {
  const auto executors = std::make_shared<const MacroExecutors>(services);
  RegisterExecutor("mc_play", [executors](ExecContext& context) { executors->Play(context); });
  RegisterExecutor("mc_text", [executors](ExecContext& context) { executors->Type(context); });
}

}  // namespace tavion
