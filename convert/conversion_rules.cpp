#include "convert/conversion_rules.h"
