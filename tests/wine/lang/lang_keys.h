#pragma once
// The language keys of the program: what each reads, where from, with its English text; and the
// scanner that finds the lookups written in the sources.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// "section\nkey" in lower case: how the language files compare names.
std::string KeyId(std::string_view section, std::string_view key);
// An id as "[section] key", for messages.
std::string Printable(const std::string& id);

class LanguageKeys {
 public:
  struct Text {
    std::string section, key;  // as the program spells them
    std::string english;
    std::string from;  // the form or the file that reads it
  };

  // A key the program reads. A `text` key shows what a language file gives (it belongs in the
  // files and the template); another is only read (a list's own key, whose columns carry the
  // texts), so a file may hold it but need not.
  void Add(std::string_view section, std::string_view key, std::string_view english,
           std::string_view from, bool text = true);

  const std::map<std::string, Text>& Texts() const { return texts_; }
  bool Reads(const std::string& id) const { return reads_.contains(id); }
  // The English language file: every text key by section, "#13" for line breaks, "#9" for tabs.
  std::string Template() const;

 private:
  std::map<std::string, Text> texts_;
  std::set<std::string> reads_;
};

// A function that looks a text up: where its key, English text and section are among its
// arguments (-1: not there; the section is then `section`).
struct LookupCall {
  std::string_view name;
  int keyArg = 0;
  int englishArg = 1;
  int sectionArg = 2;
  std::string_view section = "Strings";
  bool controlName = false;  // the key is a control's name, looked up without a leading "OPT_"
};
// GetLangStr, GetLangStrW, LangCaption and FindLangText.
extern const LookupCall kLookupCalls[4];

// A lookup written in a source file.
struct Lookup {
  int line = 0;
  bool resolved = false;  // every name is a literal or a constant of the sources
  std::string section, key, english;
};
// The calls of `call` in `source`. A name stands for the literal it is given in `source`, else
// in `constants` (the names given one literal across the sources).
std::vector<Lookup> FindLookups(std::string_view source, const LookupCall& call,
                                const std::map<std::string, std::string>& constants);
// The elements of the array `name` in `source` as lookups: `call`'s argument indexes name the
// fields of each element.
std::vector<Lookup> FindListed(std::string_view source, std::string_view name,
                               const LookupCall& fields,
                               const std::map<std::string, std::string>& constants);
// Every name given one string literal across `sources` (name = "literal").
std::map<std::string, std::string> FindConstants(const std::vector<std::string>& sources);

// The keys `texts` looks up, each with the English text found in the place where the key's own
// text shows up when only that key is given. A key is only read, not a text the files must
// give, when it gives no words (a list's own key, a sample such as "255x255x3") or a place an
// earlier key gives already (a caption a form's table looks up itself before the form's own
// key).
void AddLookedUp(LanguageKeys& keys, std::string_view from,
                 const std::function<std::vector<std::string>()>& texts);

// The keys of the lists the program keeps, which its lookups take one by one: the navigation,
// the action catalogue, the main window's options, the parameter problems and the like.
void AddProgramLists(LanguageKeys& keys);

}  // namespace tavion
