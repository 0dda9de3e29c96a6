// A batch of many small files converted without msxsl.exe (the built-in transformation, done in
// the program's worker process), from the progress window's showing until the report shows,
// beside an earlier build doing the same batch in the same run:
//
//   builtin_batch_bench <earlier vexilate.exe> [files] [rounds]     (defaults: 200, 5)
//
// The worker's start is paid once per batch; its share of the batch is the ratio's excess. The
// same batch then with the schemas of both formats beside the stylesheet (each input and each
// result checked). Then, with a large file first, Cancel pressed while it is transformed, timed
// until the report shows (target: under 1 s).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/batch_names.h"
#include "bench/bench_figures.h"
#include "bench/conversion_layout.h"
#include "bench/dialog_program.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/test_files.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

constexpr char kStylesheet[] =
    "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"xml\" encoding=\"windows-1251\"/><xsl:template match=\"/\"><out><xsl:for-each "
    "select=\"root/item\"><v n=\"{@n}\"><xsl:value-of select=\"name\"/></v></xsl:for-each></out></xsl:template>"
    "</xsl:stylesheet>\r\n";

// The formats of the files above: every item of the input, every v of the result.
constexpr char kInputSchema[] =
    "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"root\"><xs:complexType><xs:sequence>"
    "<xs:element name=\"item\" minOccurs=\"0\" maxOccurs=\"unbounded\"><xs:complexType><xs:sequence>"
    "<xs:element name=\"name\" type=\"xs:string\"/></xs:sequence><xs:attribute name=\"n\" type=\"xs:integer\" "
    "use=\"required\"/></xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element></xs:schema>\r\n";
constexpr char kResultSchema[] =
    "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"out\"><xs:complexType><xs:sequence>"
    "<xs:element name=\"v\" minOccurs=\"0\" maxOccurs=\"unbounded\"><xs:complexType><xs:simpleContent>"
    "<xs:extension base=\"xs:string\"><xs:attribute name=\"n\" type=\"xs:integer\"/></xs:extension>"
    "</xs:simpleContent></xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element></xs:schema>\r\n";

HWND VisibleDialog(const wchar_t* title, Clock::time_point limit) {
  HWND found = nullptr;
  while (!(found = FindWindowW(L"#32770", title)) || !IsWindowVisible(found)) {
    if (Clock::now() > limit) throw driver::DriverError(std::wstring(L"No window ") + title);
    Sleep(5);
  }
  return found;
}

// The program started with the files chosen in its file dialog; `step` runs once the progress
// window shows and returns when the measured time starts; the time until the report shows.
template <typename Step>
double BatchUntilReport(const bench::ConversionLayout& layout, const std::wstring& program,
                        const std::vector<std::wstring>& names, Step step) {
  bench::DialogProgram product("product", program, layout.ProductDirectory(), bench::kConvertButtonId);
  product.Settle();
  driver::ChooseFilesInExplorerDialog(product.PressForFileDialog().dialog, names, driver::Timeout{60'000});
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(120);
  const Clock::time_point start = step(VisibleDialog(L"Конвертация файлов", limit), limit);
  const HWND report = VisibleDialog(L"Отчёт о конвертации", limit);
  const double elapsed = MillisecondsSince(start);
  product.Settle();
  driver::PressAndWaitUntilGone(driver::Window(report), IDOK);
  product.Close();
  return elapsed;
}

// One batch of every file, from the progress window until the report.
double Batch(const bench::ConversionLayout& layout, const std::wstring& program, int files) {
  std::vector<std::wstring> names;
  for (int n = 1; n <= files; ++n) names.push_back(bench::BatchName(n));
  return BatchUntilReport(layout, program, names, [](HWND, Clock::time_point) { return Clock::now(); });
}

// Two files, the first large: Cancel pressed once its transformation writes, timed until the
// report shows.
double CancelToReport(const bench::ConversionLayout& layout, const std::wstring& large) {
  const std::wstring written = layout.ProductDirectory() + L"\\OUT\\vxt*.tmp";
  return BatchUntilReport(layout, layout.Product(), {large, bench::BatchName(1)},
                          [&written](HWND progress, Clock::time_point limit) {
                            while (driver::NamesMatching(written).empty()) {
                              if (Clock::now() > limit) throw driver::DriverError(L"The large file was never written");
                              Sleep(1);
                            }
                            const Clock::time_point pressed = Clock::now();
                            PostMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
                            return pressed;
                          });
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 2 ? std::atoi(argv[2]) : 200;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  if (argc < 2 || files <= 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: builtin_batch_bench <earlier vexilate.exe> [files] [rounds]\n");
    return 2;
  }
  try {
    const std::string earlierName(argv[1]);
    const bench::ConversionLayout layout(std::wstring(earlierName.begin(), earlierName.end()));
    driver::WriteTextFile(layout.ProductDirectory() + L"\\qRec7to4.xsl", kStylesheet);
    for (int n = 1; n <= files; ++n) {
      driver::WriteTextFile(layout.InputDirectory() + L"\\" + bench::BatchName(n),
                            "<?xml version=\"1.0\"?><root><item n=\"1\"><name>x</name></item></root>");
    }
    std::vector<double> earlier, product;
    for (int round = 0; round < rounds; ++round) {
      earlier.push_back(Batch(layout, layout.BareProgram(), files));
      product.push_back(Batch(layout, layout.Product(), files));
    }
    // Both schemas beside the stylesheet: every input and every result checked as well.
    const std::wstring inputSchema = layout.ProductDirectory() + L"\\qRec7to4.in.xsd";
    const std::wstring resultSchema = layout.ProductDirectory() + L"\\qRec7to4.out.xsd";
    driver::WriteTextFile(inputSchema, kInputSchema);
    driver::WriteTextFile(resultSchema, kResultSchema);
    std::vector<double> earlierChecked, productChecked;
    for (int round = 0; round < rounds; ++round) {
      earlierChecked.push_back(Batch(layout, layout.BareProgram(), files));
      productChecked.push_back(Batch(layout, layout.Product(), files));
    }
    DeleteFileW(inputSchema.c_str());
    DeleteFileW(resultSchema.c_str());
    const std::wstring large = bench::BatchName(files + 1);
    std::string items = "<?xml version=\"1.0\"?><root>";
    while (items.size() < (20u << 20)) items += "<item n=\"1\"><name>Организация</name></item>";
    driver::WriteTextFile(layout.InputDirectory() + L"\\" + large, items + "</root>");
    std::vector<double> cancels;
    for (int round = 0; round < rounds; ++round) cancels.push_back(CancelToReport(layout, large));
    const double now = bench::Median(product), before = bench::Median(earlier);
    std::printf("a built-in batch of %d small files, median of %d: vexilate.exe %s ms, earlier build %s ms\n", files,
                rounds, bench::Fixed(now, 0).c_str(), bench::Fixed(before, 0).c_str());
    std::printf("ratio vexilate.exe / earlier build: %s\n", bench::RatioText(now, before).c_str());
    const double checked = bench::Median(productChecked), checkedBefore = bench::Median(earlierChecked);
    std::printf("with both schemas beside the stylesheet: vexilate.exe %s ms, earlier build %s ms\n",
                bench::Fixed(checked, 0).c_str(), bench::Fixed(checkedBefore, 0).c_str());
    std::printf("ratio vexilate.exe / earlier build with both schemas: %s (best %s)\n",
                bench::RatioText(checked, checkedBefore).c_str(),
                bench::RatioText(bench::Best(productChecked), bench::Best(earlierChecked)).c_str());
    std::printf("from Cancel to the report while a 20 MB file is transformed, %d rounds: median %s ms, longest %s ms\n",
                rounds, bench::Fixed(bench::Median(cancels), 0).c_str(),
                bench::Fixed(*std::max_element(cancels.begin(), cancels.end()), 0).c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "builtin_batch_bench: %s\n", error.what());
    return 1;
  }
}
