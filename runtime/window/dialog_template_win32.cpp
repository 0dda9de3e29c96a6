#include "runtime/window/dialog_template_win32.h"

namespace rt {

DialogTemplate::DialogTemplate(DWORD style, TextView title, short width, short height, TextView fontFace, WORD points,
                               WORD weight) {
  AddWord(1);       // dlgVer
  AddWord(0xFFFF);  // signature of the extended form
  AddDword(0);      // helpID
  AddDword(0);      // exStyle
  AddDword(style | DS_SETFONT);
  countAt_ = words_.size();
  AddWord(0);  // cDlgItems
  AddWord(0);  // x
  AddWord(0);  // y
  AddWord(static_cast<WORD>(width));
  AddWord(static_cast<WORD>(height));
  AddWord(0);  // no menu
  AddWord(0);  // the standard dialog class
  AddText(title);
  AddWord(points);
  AddWord(weight);
  AddWord(0x0100 * DEFAULT_CHARSET);  // italic 0, charset
  AddText(fontFace);
}

void DialogTemplate::AddControlHead(DWORD id, DWORD style, short x, short y, short width, short height) {
  AlignToDword();
  AddDword(0);  // helpID
  AddDword(0);  // exStyle
  AddDword(style | WS_CHILD);
  AddWord(static_cast<WORD>(x));
  AddWord(static_cast<WORD>(y));
  AddWord(static_cast<WORD>(width));
  AddWord(static_cast<WORD>(height));
  AddDword(id);
}

void DialogTemplate::AddControl(DWORD id, ControlClass kind, DWORD style, TextView text, short x, short y, short width,
                                short height) {
  AddControlHead(id, style, x, y, width, height);
  AddWord(0xFFFF);
  AddWord(static_cast<WORD>(kind));
  AddText(text);
  AddWord(0);  // no creation data
  ++words_[countAt_];
}

void DialogTemplate::AddControl(DWORD id, TextView className, DWORD style, TextView text, short x, short y, short width,
                                short height) {
  AddControlHead(id, style, x, y, width, height);
  AddText(className);
  AddText(text);
  AddWord(0);  // no creation data
  ++words_[countAt_];
}

void DialogTemplate::AddDword(DWORD value) {
  AddWord(LOWORD(value));
  AddWord(HIWORD(value));
}

void DialogTemplate::AddText(TextView text) {
  for (const char16_t c : text) AddWord(c);
  AddWord(0);
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2 != 0) AddWord(0);
}

}  // namespace rt
