#include "runtime/text/last_error.h"

namespace rt {
namespace {

LONG g_code = 0;

TextView ErrorText(LONG code) {
  switch (code) {
    case 0:
      return u"";
    case 2:
      return u"File Not Found";
    case kPathNotFound:
      return u"Path Not Found";
    case 5:
      return u"Access Denied";
    case kNameTooLong:
      return u"Name Too Long";
    default:
      return u"Unknown Error";
  }
}

}  // namespace

Text ERROR() { return Text(ErrorText(g_code)); }
LONG ERRORCODE() { return g_code; }
void SetErrorState(LONG code) { g_code = code; }
void ClearErrorState() { g_code = 0; }

}  // namespace rt
