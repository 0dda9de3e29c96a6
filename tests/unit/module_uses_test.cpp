#include "transform/documents/module_uses.h"

#include <gtest/gtest.h>

#include "transform/documents/stylesheet_module.h"
#include "transform/documents/xml_units.h"

namespace rt {
namespace {

constexpr char kOpen[] = "<x:stylesheet version='1.0' xmlns:x='http://www.w3.org/1999/XSL/Transform'>";

// What the modules use, as "blockers | files": a blocker as module.element:what, a file by its
// path and the literal it is named by.
std::string Uses(const std::vector<std::string>& bodies, const std::vector<Text>& paths) {
  std::vector<ModuleView> views;
  for (const std::string& body : bodies)
    views.push_back(ScanStylesheetModule(UnitsOf(kOpen + body + "</x:stylesheet>").text).view);
  const StylesheetUses uses = UsesOf(views, paths, u"C:\\s\\", ModulesAre::kWritten);
  std::string printed;
  for (const ModuleBlocker& blocker : uses.blockers) {
    printed += std::to_string(blocker.module) + "." + std::to_string(blocker.element) + ":" +
               "SBUO"[static_cast<int>(blocker.what)] + " ";
  }
  printed += "|";
  for (const DataFile& file : uses.files) {
    const Text& value = views[file.place.module][file.place.element].attributes[file.place.attribute].value;
    printed += " " + BytesOf(file.path, UnitForm::kBytes) + "<" +
               BytesOf(value.substr(file.place.begin, file.place.end - file.place.begin), UnitForm::kBytes) + ">";
  }
  return printed;
}

// S: a script, B: xml:base, U: an address the program cannot know, O: one outside the folder.
TEST(UsesOf, TakesWhatStaysBesideAndNamesEveryOtherPlace) {
  const std::vector<Text> one = {u"C:\\s\\main.xsl"}, two = {u"C:\\s\\main.xsl", u"C:\\s\\sub\\m.xsl"};
  const struct {
    std::vector<std::string> bodies;
    std::vector<Text> paths;
    std::string uses;
  } cases[] = {
      {{"<x:template match='/'><x:copy-of select=\"document('')//v\"/><x:copy-of select=\"document('', .)\"/>"
        "<out a=\"{document('#t')}\"/></x:template>"},
       one,
       "|"},
      {{"<x:variable name='self' select=\" '' \"/><x:param name='none'/><x:template match='/'>"
        "<x:copy-of select='document($self) | document($none, .)'/></x:template>"},
       one,
       "|"},
      {{"<x:variable name='codes' select=\"'data/codes.xml'\"/><x:template match='/'>"
        "<x:value-of select=\"document('codes.xml')/c\"/><out a=\"{document( $codes )}\"/></x:template>"},
       one,
       "| C:\\s\\codes.xml<codes.xml> C:\\s\\data\\codes.xml<data/codes.xml>"},
      {{"<x:include href='sub/m.xsl'/>",
        "<x:template match='/'><x:copy-of select=\"document('../c%20d.xml')\"/></x:template>"},
       two,
       "| C:\\s\\c d.xml<../c%20d.xml>"},
      {{"<x:template match='/'><x:copy-of select=\"document('../x.xml') | document('file:///C:/s/x.xml') | "
        "document('//srv/x.xml') | document('http://h/x')\"/></x:template>"},
       one,
       "0.2:O 0.2:O 0.2:O 0.2:O |"},
      {{"<x:param name='p' select=\"'a.xml'\"/><x:template match='/'><x:param name='p'/>"
        "<x:copy-of select=\"document($p) | document(@href) | document('a.xml', .) | document(concat('a', "
        "'.xml'))\"/><x:copy-of select=\"document('co&#100;es.xml')\"/></x:template>"},
       one,
       "0.4:U 0.4:U 0.4:U 0.4:U 0.5:U |"},
      {{"<m:script xmlns:m='urn:schemas-microsoft-com:xslt'/>",
        "<x:include href='a.xsl' xml:base='file:///C:/'/><x:template name='t'><x:copy-of select='document(.)'/>"
        "</x:template>"},
       two,
       "0.1:S 1.1:B 1.3:U |"},
  };
  for (const auto& c : cases) EXPECT_EQ(Uses(c.bodies, c.paths), c.uses) << c.bodies.back();
}

}  // namespace
}  // namespace rt
