// What the conversion benchmarks set up: a directory holding the product with a settings file
// that names an input and an output directory (so that Convert goes as far as its file
// dialog), the bare file-dialog program, and a file whose name is too short to convert.
#pragma once

#include <string>

#include "tests/driver/test_files.h"

namespace bench {

// The product's main window: control n has the dialog id 1000 + n.
inline constexpr int kConvertButtonId = 1005;
// The bare program's only button.
inline constexpr int kBareOpenButtonId = 1005;

inline constexpr wchar_t kWarningCaption[] = L"Внимание!!!";
inline constexpr wchar_t kNoFileChosen[] = L"Не выбран файл для конвертации";
inline constexpr wchar_t kNoRegistrationNumber[] = L"В выбранном файле отсутствует Регистрационный номер";

class ConversionLayout {
 public:
  // Copies vexilate.exe from beside the benchmark, and the baseline (bare_file_dialog.exe
  // from there unless another program is given). DriverError when something cannot be created.
  explicit ConversionLayout(const std::wstring& baseline = {});

  const std::wstring& Product() const { return product_; }
  const std::wstring& BareProgram() const { return bareProgram_; }
  // Where the product starts: its own directory.
  std::wstring ProductDirectory() const { return root_.path(); }
  // The directory the product's file dialog shows; the bare program starts there, so that its
  // dialog lists the same files.
  std::wstring InputDirectory() const { return root_ / L"IN"; }
  // "short.XML" in the input directory: too short a name to hold a registration number.
  std::wstring RejectedFile() const { return InputDirectory() + L"\\short.XML"; }

 private:
  driver::TempDirectory root_;
  std::wstring product_;
  std::wstring bareProgram_;
};

}  // namespace bench
