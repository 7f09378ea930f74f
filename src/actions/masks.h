#pragma once
// Masks for window classes and captions. Portable.
//
// "%*%" stands for any run of characters (also none) and "%?%" for exactly one character; every
// other character stands for itself, so a plain "*" or "?" in a caption is literal. A mask
// matches the whole text, in upper case on both sides. Characters are Unicode code points of the
// UTF-8 texts; a byte that is not part of valid UTF-8 counts as one character of its own.
//
// Upper case comes from one process-wide function. The portable one knows the ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters; the program installs the system's at start-up
// (masks_win.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// Upper-cases `text` in place, one character for one: a mapping that would change the length is
// not applied. Units above U+10FFFF stand for bytes that were not UTF-8 and stay as they are.
using UpperCaseFunction = void (*)(std::u32string& text);

void PortableUpperCase(std::u32string& text);

// Makes `function` the process-wide upper case from now on; nullptr restores PortableUpperCase.
// Safe to call while other threads match masks; a mask created before keeps its mask text as it
// was mapped then.
void SetUpperCaseFunction(UpperCaseFunction function);
UpperCaseFunction CurrentUpperCaseFunction();

// `text` through the process-wide upper case; bytes that are not UTF-8 come out unchanged.
std::string UpperCaseText(std::string_view text);

class TMask {
 public:
  // More groups than this make a mask unusable; a run of "%*%" counts as one group.
  static constexpr int kMaxAnySequenceGroups = 30;

  // nullopt (and, when `error` is given, the message "'%s' is an invalid mask at (%d)")
  // for a mask that cannot be used. The position in the message is the 1-based character position
  // in `mask` where the first group over the limit begins.
  static std::optional<TMask> Create(std::string_view mask, std::string* error = nullptr);

  // Whether the mask matches all of `text`. Time is bounded by the product of the two lengths.
  bool Matches(std::string_view text) const;

 private:
  TMask() = default;

  // The mask split at its any-sequence groups: one part more than there are groups. Parts hold
  // upper-cased characters and kOneCharacter for "%?%".
  std::vector<std::u32string> parts_;
};

// Whether `mask` matches all of `text`; false for a mask that cannot be used.
bool MatchesMask(std::string_view text, std::string_view mask);

}  // namespace tavion
