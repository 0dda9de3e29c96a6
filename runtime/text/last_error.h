// The last-error state: set by the directory services, tested by the caller right after.
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

inline constexpr LONG kPathNotFound = 3;
// A dialog's answer longer than the field it goes into ("Name Too Long").
inline constexpr LONG kNameTooLong = 206;

// The last error's text ("Path Not Found"), empty when there is none.
Text ERROR();
// The last error's code, 0 when there is none.
LONG ERRORCODE();

void SetErrorState(LONG code);
void ClearErrorState();

}  // namespace rt
