#pragma once
// Comma text: a list of strings in one line, as window classes and captions are stored. Portable.
//
// Entries are separated by commas. An entry that holds a comma, a double quote or a byte up to
// the blank (0x00-0x20) is written in double quotes, a quote inside it doubled; every other entry,
// also an empty one, is written as it is. A list of one empty entry is written as two quotes.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// Reads any text, never fails. Besides commas, runs of blanks (bytes 0x00-0x20) outside quotes
// separate entries; blanks around a comma belong to no entry; an entry that begins with a double
// quote runs to the next quote that is not doubled (or to the end of the text), and doubled
// quotes inside it stand for one. Two commas in a row, a leading comma and a comma that ends
// the text give an empty entry. An empty or all-blank text gives no entries.
std::vector<std::string> CommaTextToList(std::string_view text);

// The comma text of `items`; CommaTextToList gives `items` back exactly.
std::string ListToCommaText(std::span<const std::string> items);

// Whether writing what `text` reads as and reading that again gives the same list. Always true
// for a correct pair of functions; an entry point for fuzzing and property tests.
bool CommaTextRoundTripHolds(std::string_view text);

}  // namespace tavion
