#include "app/globals.h"

namespace app {

rt::STRING<kPathField> GLO_PATH;
rt::STRING<kPathField> PATHIN;
rt::STRING<kPathField> PATHOUT;
rt::STRING<kPathField> FILEIN;
rt::STRING<kPathField> FILEOUT;
rt::STRING<256> GLO_STNAMEINIFILE;
rt::STRING<256> GLO_STDEFAULTINIFILE;
std::vector<rt::Text> FILESGIVEN;
bool CONVERTNEW = false;

rt::LONG REGNUMB = 0;
rt::LONG DCK1 = 0;
rt::LONG DCK2 = 0;
rt::LONG I = 0;
rt::HandleValue HWND = 0;

rt::CSTRING<5> ACTION;
rt::CSTRING<kPathField> APP;
rt::Text PRM;
rt::CSTRING<1> DIRECT;

void InitGlobals() {
  for (auto* field : {&GLO_PATH, &PATHIN, &PATHOUT, &FILEIN, &FILEOUT}) *field = u"";
  GLO_STNAMEINIFILE = u"";
  GLO_STDEFAULTINIFILE = u"";
  FILESGIVEN.clear();
  CONVERTNEW = false;
  REGNUMB = DCK1 = DCK2 = I = 0;
  HWND = 0;
  ACTION = u"OPEN";
  APP = u"";
  PRM.clear();
  DIRECT = u"";
}

}  // namespace app
