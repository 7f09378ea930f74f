#pragma once
// The "Main options" page while the option pages are one form: every option control of the main
// window but the navigation's panels, on one scrolling page.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateMainFormPage();

}  // namespace tavion
