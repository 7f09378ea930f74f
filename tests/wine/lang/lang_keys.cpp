#include "wine/lang/lang_keys.h"

#include <cctype>
#include <optional>
#include <regex>

#include "lang/form_language.h"

namespace tavion {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The end of the string or character literal that starts at `at`.
size_t SkipQuoted(std::string_view text, size_t at) {
  const char quote = text[at];
  for (size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == quote)
      return i + 1;
  }
  return text.size();
}

// The arguments of the call whose "(" is at `open`, split at the commas outside brackets and
// quotes.
std::vector<std::string_view> Arguments(std::string_view text, size_t open) {
  std::vector<std::string_view> args;
  int depth = 0;
  size_t start = open + 1;
  for (size_t i = open; i < text.size();) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      i = SkipQuoted(text, i);
      continue;
    }
    if (c == '(' || c == '{' || c == '[') ++depth;
    if (c == ')' || c == '}' || c == ']') {
      if (--depth == 0) {
        args.push_back(text.substr(start, i - start));
        return args;
      }
    }
    if (c == ',' && depth == 1) {
      args.push_back(text.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  return {};
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// The value of adjacent string literals ("a" "b"), escapes read; nullopt for anything else.
std::optional<std::string> Literal(std::string_view arg) {
  arg = Trim(arg);
  if (arg.empty() || arg.front() != '"') return std::nullopt;
  std::string value;
  size_t i = 0;
  while (i < arg.size()) {
    if (std::isspace(static_cast<unsigned char>(arg[i]))) {
      ++i;
      continue;
    }
    if (arg[i] != '"') return std::nullopt;
    const size_t end = SkipQuoted(arg, i);
    for (size_t j = i + 1; j + 1 < end; ++j) {
      if (arg[j] != '\\') {
        value += arg[j];
        continue;
      }
      const char escaped = arg[++j];
      value += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped == 't' ? '\t' : escaped;
    }
    i = end;
  }
  return value;
}

const std::regex& ConstantPattern() {
  static const std::regex pattern(R"re(\b(k\w+)\s*(\[\w*\])?\s*=\s*("(?:[^"\\]|\\.)*"))re");
  return pattern;
}

// An argument's value: a literal, "{}", or a name given a literal in `source`, else in
// `constants` (possibly wrapped in std::string(...)).
std::optional<std::string> Value(std::string_view arg, std::string_view source,
                                 const std::map<std::string, std::string>& constants) {
  arg = Trim(arg);
  if (arg == "{}") return std::string();
  if (auto literal = Literal(arg)) return literal;
  for (std::string_view wrapper : {"std::string(", "std::string_view("})
    if (arg.starts_with(wrapper) && arg.ends_with(")"))
      arg = Trim(arg.substr(wrapper.size(), arg.size() - wrapper.size() - 1));
  if (arg.empty() || !std::all_of(arg.begin(), arg.end(), IsWordChar)) return std::nullopt;
  for (auto it = std::regex_iterator<std::string_view::const_iterator>(source.begin(), source.end(),
                                                                       ConstantPattern());
       it != decltype(it)(); ++it)
    if ((*it)[1].str() == arg) return Literal((*it)[3].str());
  const auto found = constants.find(std::string(arg));
  if (found != constants.end()) return found->second;
  return std::nullopt;
}

// The lookup that `args` make as `call`.
Lookup Resolve(const std::vector<std::string_view>& args, const LookupCall& call,
               std::string_view source, const std::map<std::string, std::string>& constants) {
  Lookup lookup;
  const auto arg = [&](int index) -> std::optional<std::string> {
    if (index < 0 || static_cast<size_t>(index) >= args.size()) return std::nullopt;
    return Value(args[static_cast<size_t>(index)], source, constants);
  };
  const std::optional<std::string> key = arg(call.keyArg);
  std::optional<std::string> section = std::string(call.section);
  if (call.sectionArg >= 0 && static_cast<size_t>(call.sectionArg) < args.size())
    section = arg(call.sectionArg);
  if (key && section && !key->empty()) {
    lookup.resolved = true;
    lookup.key = call.controlName ? std::string(LanguageKey(*key)) : *key;
    lookup.section = *section, lookup.english = arg(call.englishArg).value_or("");
  }
  return lookup;
}

int LineOf(std::string_view source, size_t at) {
  return 1 + static_cast<int>(std::count(source.begin(), source.begin() + at, '\n'));
}

}  // namespace

std::string KeyId(std::string_view section, std::string_view key) {
  return Lower(section) + '\n' + Lower(key);
}

std::string Printable(const std::string& id) {
  const size_t cut = id.find('\n');
  return "[" + id.substr(0, cut) + "] " + id.substr(cut + 1);
}

void LanguageKeys::Add(std::string_view section, std::string_view key, std::string_view english,
                       std::string_view from, bool text) {
  const std::string id = KeyId(section, key);
  reads_.insert(id);
  if (!text) return;
  Text& entry = texts_[id];
  if (entry.key.empty()) entry = {std::string(section), std::string(key), {}, std::string(from)};
  if (entry.english.empty()) entry.english = english;
}

std::string LanguageKeys::Template() const {
  std::map<std::string, std::vector<const Text*>> bySection;
  std::map<std::string, std::string> sectionNames;
  for (const auto& [id, text] : texts_) {
    const std::string section = id.substr(0, id.find('\n'));
    bySection[section].push_back(&text);
    sectionNames.try_emplace(section, text.section);
  }
  std::string out = "; Tavion's texts in English: the keys a language file gives.\r\n";
  for (const auto& [section, texts] : bySection) {
    out += "\r\n[" + sectionNames[section] + "]\r\n";
    for (const Text* text : texts) {
      std::string value;
      for (char c : text->english) {
        if (c == '\r') continue;
        value += c == '\n' ? std::string("#13") : c == '\t' ? std::string("#9") : std::string(1, c);
      }
      out += text->key + "=" + value + "\r\n";
    }
  }
  return out;
}

const LookupCall kLookupCalls[4] = {{"GetLangStr"},
                                    {"GetLangStrW"},
                                    {"LangCaption", 0, 1, 2, "Strings", true},
                                    {"FindLangText", 1, -1, 0}};

std::vector<Lookup> FindLookups(std::string_view source, const LookupCall& call,
                                const std::map<std::string, std::string>& constants) {
  std::vector<Lookup> lookups;
  const std::string_view name = call.name;
  for (size_t at = source.find(name); at != std::string_view::npos;
       at = source.find(name, at + 1)) {
    const size_t open = at + name.size();
    if (open >= source.size() || source[open] != '(') continue;
    if (at > 0 && IsWordChar(source[at - 1])) continue;
    const size_t lineStart = source.rfind('\n', at) + 1;
    if (source.substr(lineStart, at - lineStart).find("//") != std::string_view::npos) continue;
    Lookup lookup = Resolve(Arguments(source, open), call, source, constants);
    lookup.line = LineOf(source, at);
    lookups.push_back(std::move(lookup));
  }
  return lookups;
}

std::vector<Lookup> FindListed(std::string_view source, std::string_view name,
                               const LookupCall& fields,
                               const std::map<std::string, std::string>& constants) {
  std::vector<Lookup> lookups;
  const std::regex start("\\b" + std::string(name) + R"(\s*(\[\w*\])?\s*=\s*\{)");
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_search(source.begin(), source.end(), match, start)) return lookups;
  const size_t open = static_cast<size_t>(match.position(0) + match.length(0) - 1);
  for (const std::string_view element : Arguments(source, open)) {
    const std::string_view trimmed = Trim(element);
    if (trimmed.empty() || trimmed.front() != '{') continue;
    const size_t at = static_cast<size_t>(trimmed.data() - source.data());
    Lookup lookup = Resolve(Arguments(source, at), fields, source, constants);
    lookup.line = LineOf(source, at);
    lookups.push_back(std::move(lookup));
  }
  return lookups;
}

std::map<std::string, std::string> FindConstants(const std::vector<std::string>& sources) {
  std::map<std::string, std::optional<std::string>> seen;
  for (const std::string& source : sources)
    for (auto it = std::sregex_iterator(source.begin(), source.end(), ConstantPattern());
         it != std::sregex_iterator(); ++it) {
      const std::optional<std::string> value = Literal((*it)[3].str());
      const auto [entry, added] = seen.try_emplace((*it)[1].str(), value);
      if (!added && entry->second != value) entry->second.reset();
    }
  std::map<std::string, std::string> constants;
  for (const auto& [name, value] : seen)
    if (value) constants.emplace(name, *value);
  return constants;
}

}  // namespace tavion
