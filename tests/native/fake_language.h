#pragma once
#include "native/support/fake_language.h"
