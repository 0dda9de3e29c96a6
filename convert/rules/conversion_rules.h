// The decisions of one conversion, without the platform: what the Convert handler reads from
// the chosen file's name, whether it converts it, and what it starts the processor with.
#pragma once

#include "convert/rules/conversion_messages.h"
#include "convert/rules/launch_parameters.h"
#include "convert/rules/name_fields.h"
