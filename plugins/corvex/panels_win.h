#pragma once
// The settings panels of "CDRom" and "Power" on the action editor's plug-in panel: child controls
// with identifiers from 100, the panel's font, laid out in its client rectangle.
#include <windows.h>

#include <string>

#include "corvex_params.h"

namespace corvex {

// Control identifiers (tests find the controls by them).
constexpr int kDriveLabelId = 100;
constexpr int kDriveComboId = 101;
constexpr int kOpenRadioId = 102;
constexpr int kCloseRadioId = 103;
constexpr int kRestartRadioId = 110;
constexpr int kTurnOffRadioId = 111;
constexpr int kLogOffRadioId = 112;

// The letters of the optical drives, in drive order ("DE").
std::string OpticalDriveLetters();

void ShowCdPanel(HWND panel, const CdParams& params);
void CloseCdPanel(HWND panel, CdParams& params);
void ShowPowerPanel(HWND panel, const PowerParams& params);
void ClosePowerPanel(HWND panel, PowerParams& params);

}  // namespace corvex
