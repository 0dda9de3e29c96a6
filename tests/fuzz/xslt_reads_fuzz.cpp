// Stylesheet and input pairs through the compilation and transformation the worker runs: whatever
// they ask for, no file outside the stylesheet's folder is ever read.
//
// Input bytes: up to the first 0x00 the stylesheet, after it the input. Beside the folder lies a
// secret; in it a link to the secret, a data file and a module.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace {

namespace fs = std::filesystem;

struct Place {
  fs::path root, folder;
  rt::Text finalFolder;
  Place() {
    char pattern[] = "/tmp/vx-fuzz-XXXXXX";
    root = mkdtemp(pattern);
    folder = root / "styles";
    fs::create_directories(folder / "sub");
    std::ofstream(root / "secret.xml") << "<s>SECRET</s>";
    std::ofstream(folder / "data.xml") << "<d href=\"../secret.xml\">data</d>";
    std::ofstream(folder / "sub" / "m.xsl")
        << "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"/>";
    fs::create_symlink(root / "secret.xml", folder / "link.xml");
    finalFolder = rt::TextOfUtf8(fs::canonical(folder).string());
  }
  ~Place() { fs::remove_all(root); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Place place;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  std::ofstream(place.folder / "main.xsl", std::ios::binary) << bytes.substr(0, split);
  std::ofstream(place.root / "in.xml", std::ios::binary)
      << (split == std::string::npos ? std::string("<r/>") : bytes.substr(split + 1));
  rt::Text reason;
  std::vector<rt::ReadDecision> reads;
  auto compiled = rt::XsltStylesheet::Compile(rt::TextOfUtf8((place.folder / "main.xsl").string()), reason, &reads);
  if (compiled) {
    compiled->Transform(rt::TextOfUtf8((place.root / "in.xml").string()), [](std::string_view) { return true; });
    reads = compiled->reads();
  }
  for (const rt::ReadDecision& read : reads) {
    if (read.verdict == rt::ReadDecision::Verdict::kRead &&
        !rt::LiesInside(read.path, place.finalFolder, rt::PathStyle::kPosix)) {
      std::fprintf(stderr, "read outside the folder: %s\n", read.address.c_str());
      std::abort();
    }
  }
  // Nothing the stylesheet writes may appear anywhere.
  if (fs::exists(place.folder / "w.xml") || fs::exists(place.root / "w.xml")) std::abort();
  return 0;
}
