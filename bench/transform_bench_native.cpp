// The built-in transformation natively, as the worker does it on Windows: the libraries' memory
// in the program's pools, the stylesheet compiled, the input read by the program, the result
// written to the file in blocks, the documents freed only after the outcome is told (the worker
// answers first; here the process ends then); the single-byte code pages registered with the XML
// library from their tables (on Windows the system's tables, here the C library's), so that the
// program's own converter reads and writes them. transform_bench.py runs it beside xsltproc
// built from the same sources, each as a whole process:
//
//   transform_bench_native <stylesheet> <input> <output>
//       prints the milliseconds of the compiling and of the transformation.
#include <fcntl.h>
#include <iconv.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/text/utf8_text.h"
#include "transform/xml_support/code_pages.h"
#include "transform/xml_support/document_disposal.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Each byte as the C library converts it alone, as the Windows side asks the system.
rt::CodePageTable TableOf(const char* page) {
  rt::CodePageTable table{};
  iconv_t converter = iconv_open("UTF-16LE", page);
  for (unsigned value = 0; value < table.size(); ++value) {
    char byte = static_cast<char>(value), *in = &byte;
    unsigned char unit[2] = {};
    char* out = reinterpret_cast<char*>(unit);
    std::size_t inLeft = 1, outLeft = sizeof unit;
    const bool defined =
        converter != reinterpret_cast<iconv_t>(-1) && iconv(converter, &in, &inLeft, &out, &outLeft) == 0;
    table[value] = defined ? static_cast<char16_t>(unit[0] | unit[1] << 8) : char16_t{0xFFFF};
  }
  if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
  return table;
}

// The program gives the library full paths.
rt::Text FullPath(const char* path) {
  char full[PATH_MAX];
  return rt::TextOfUtf8(realpath(path, full) != nullptr ? full : path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: transform_bench_native <stylesheet> <input> <output>\n");
    return 2;
  }
  const Clock::time_point start = Clock::now();
  rt::UseLibraryMemoryPools();
  rt::HoldDocumentsLetGo();
  rt::PrepareXsltLibraries();
  for (const char* page : {"windows-1251", "windows-1252", "ibm866", "koi8-r"}) {
    rt::RegisterSingleBytePage(page, TableOf(page));
  }
  rt::Text reason;
  const auto stylesheet = rt::XsltStylesheet::Compile(FullPath(argv[1]), reason);
  if (!stylesheet) {
    std::fprintf(stderr, "%s\n", rt::Utf8Of(reason).c_str());
    return 1;
  }
  const double compiling = MillisecondsSince(start);
  const int output = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) {
    std::perror(argv[3]);
    return 1;
  }
  // In blocks, as the worker writes.
  std::string pending;
  const auto flush = [&] {
    const bool written = ::write(output, pending.data(), pending.size()) == static_cast<ssize_t>(pending.size());
    pending.clear();
    return written;
  };
  const auto write = [&](std::string_view bytes) {
    pending.append(bytes);
    return pending.size() < 256 * 1024 || flush();
  };
  const rt::TransformOutcome outcome = stylesheet->Transform(FullPath(argv[2]), write);
  if (outcome.succeeded && !flush()) {
    std::perror(argv[3]);
    return 1;
  }
  close(output);
  if (!outcome.succeeded) {
    std::fprintf(stderr, "%s\n", rt::Utf8Of(outcome.reason).c_str());
    return 1;
  }
  std::printf("%.1f ms compiling, %.1f ms in all\n", compiling, MillisecondsSince(start));
  return 0;
}
