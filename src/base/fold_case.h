#pragma once
// Letter case of UTF-8 text as the user reads it: names typed in any case, file paths, which
// Windows compares without case. Portable.

#include <string>
#include <string_view>

namespace tavion {

// The code points of UTF-8 text with the capitals of the Latin, Latin-1 and Cyrillic alphabets
// made small: enough to find a name typed in any case in the languages the program speaks. A
// byte that starts no valid sequence stands for itself.
std::u32string FoldCase(std::string_view text);

}  // namespace tavion
