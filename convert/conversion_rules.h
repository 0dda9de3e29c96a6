// The decisions of one conversion, without the platform.
#pragma once

#include "runtime/text_value.h"
