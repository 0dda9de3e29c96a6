// A stylesheet and every module it pulls in with xsl:include or xsl:import, read by the program
// from their files, checked, and handed to the XML library as prepared copies.
//
// The library fetches the modules a stylesheet names itself, by URL, and offers no way to hand
// it their text. Reading each module here lets the program check every one of them, take out
// a DTD (which the library would refuse, or in some implementations read wrongly) with its
// entities put in, and read from any path: a directory name with "%41" or "#" breaks the
// library's own loading by path. The prepared copies lie together in a private temporary
// directory under plain names (m0.xsl, m1.xsl, …), each href changed to its copy's name, so
// that the library finds every module without leaving that directory; it reads the main one
// by an escaped file: URL. The files document() reads (named by literals the program can
// show lie beside the stylesheet; document('') is the module itself) get copies there too
// (d0.xml, …), each literal changed to its copy's name. The copies keep the modules' bytes and
// encodings apart from those changes, so the compiled stylesheet is what the library makes of
// the same modules without a DTD. Whatever the stylesheet uses that the program refuses is
// told at once, every place of it. The library's own parse of the copies is checked again.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/text/text_value.h"
#include "transform/documents/module_preparation.h"
#include "transform/documents/module_uses.h"
#include "transform/documents/xml_transform_reasons.h"
#include "transform/msxml_api_win32.h"

namespace rt {

class StylesheetModules {
 public:
  StylesheetModules() = default;
  // The copies go; those of a process ended first go at the next compile, or when the program
  // that started that process as its worker has ended it (RemoveModuleCopiesOf).
  ~StylesheetModules();
  StylesheetModules(const StylesheetModules&) = delete;
  StylesheetModules& operator=(const StylesheetModules&) = delete;

  // Prepares every module and loads the main one into `stylesheet` (set up by the caller). The
  // copies stay while this object does. False with the reason, naming the module, when one
  // cannot be read or is refused.
  bool Load(const Text& stylesheetPath, IXMLDOMDocument2* stylesheet, Text& reason);

 private:
  bool MakeDirectory(Text& reason);
  // The module's index among paths_, added when it is new.
  std::size_t IndexOf(const Text& path, const Text& includedFrom);
  bool ReadModule(std::size_t index, Text& reason);
  bool CopyDataFiles(const std::vector<DataFile>& files, Text& reason);
  std::size_t DataIndexOf(const Text& path) const;
  bool CopyModules(const std::vector<DataFile>& files, IXMLDOMDocument2* stylesheet, Text& reason);
  // Each with its module's path and line.
  std::vector<BlockerPlace> Places(const std::vector<ModuleBlocker>& blockers) const;

  Text directory_;           // with its trailing backslash
  Text folder_;              // the main stylesheet's, with its trailing backslash: what document() and DTDs may read
  std::vector<Text> paths_;  // of the modules, by index; 0 is the main stylesheet
  std::vector<Text> includers_;                     // the module that first named each
  std::vector<std::vector<std::size_t>> pulledIn_;  // by index, the modules each one names, in order
  std::vector<PreparedModule> modules_;             // by index, as read
  std::vector<Text> dataPaths_;                     // the files document() reads, by their copies' index
};

// The copies of the modules that the process (one that has ended) left.
void RemoveModuleCopiesOf(std::uint32_t processId);

}  // namespace rt
