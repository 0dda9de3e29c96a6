#include "transform/documents/dtd_files.h"

#include <algorithm>

#include "transform/documents/xml_encoding.h"

namespace rt {
namespace {

bool SameByteEncoding(TextView a, TextView b) {
  if (IsUtf8Name(a) || IsUtf8Name(b)) return IsUtf8Name(a) && IsUtf8Name(b);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

DtdFileText TextOfDtdFile(std::string_view bytes, const DtdFiles& files) {
  DtdFileText file;
  const DocumentEncoding encoding = EncodingOf(bytes);
  const XmlUnits units = UnitsOf(bytes);
  const XmlDeclaration declaration = ReadTextDeclaration(units.text);
  file.malformed = declaration.present && declaration.malformed;
  const std::size_t mark = units.text.starts_with(u"\xFEFF") ? 1 : units.text.starts_with(u"\xEF\xBB\xBF") ? 3 : 0;
  const TextView text = TextView(units.text).substr(declaration.present ? declaration.end : mark);
  const bool bothUtf16 = units.form != UnitForm::kBytes && files.form != UnitForm::kBytes;
  const bool bothBytes = units.form == UnitForm::kBytes && files.form == UnitForm::kBytes;
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  if (!encoding.readable || !(bothUtf16 || (bothBytes && SameByteEncoding(encoding.name, files.encoding)) || ascii)) {
    file.refusedEncoding = encoding.name;
  }
  // Each entity's line ends are made one LF as it is read, apart from the module's.
  file.text.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    file.text.push_back(text[i] == u'\r' ? u'\n' : text[i]);
  }
  return file;
}

}  // namespace rt
