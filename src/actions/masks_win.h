#pragma once
// The system's upper case for masks (masks.h): the user's locale, linguistic casing.

#include <string>

namespace tavion {

// Upper-cases through LCMapStringEx with the user's default locale (CharUpperBuffW when that
// fails). Follows the contract of UpperCaseFunction.
void Win32UpperCase(std::u32string& text);

// Makes Win32UpperCase the process-wide upper case. Called once at start-up, before any mask is
// made.
void InstallWin32UpperCase();

}  // namespace tavion
