#pragma once
// The "OnScreen display" page: the notification's options, a sample in its font and colours,
// and "Show now!". Refreshed from the settings whenever it is shown; its changes go to the
// settings at once.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateOsdPage();

}  // namespace tavion
