// Builds dialog templates in memory (the extended form, which carries a font weight).
#pragma once

#include <vector>

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"

namespace rt {

enum class ControlClass : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, TextView title, short width, short height, TextView fontFace, WORD points, WORD weight);

  void AddControl(DWORD id, ControlClass kind, DWORD style, TextView text, short x, short y, short width, short height);
  // A control of a registered window class by name ("SysListView32", "msctls_progress32").
  void AddControl(DWORD id, TextView className, DWORD style, TextView text, short x, short y, short width,
                  short height);

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AddWord(WORD word) { words_.push_back(word); }
  void AddDword(DWORD value);
  void AddText(TextView text);
  void AddControlHead(DWORD id, DWORD style, short x, short y, short width, short height);
  void AlignToDword();

  std::vector<WORD> words_;
  std::size_t countAt_ = 0;  // where the item count lives
};

}  // namespace rt
