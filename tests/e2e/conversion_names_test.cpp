// The three numbers read from the chosen file's name, as the user meets them: the output
// name the processor is given, or the warning about the number that is wrong.
#include "tests/e2e/conversion_fixture.h"

namespace e2e {
namespace {

struct NameCase {
  std::wstring fileName;
  std::wstring outputName;  // empty when the file is rejected
  const wchar_t* message;   // the warning when it is rejected
};

const NameCase kNameCases[] = {
    {DocumentName(L"004321", L"12345", L"00000"), L"00432112.345", nullptr},
    {DocumentName(L"004321", L"00000", L"00078"), L"00432100.078", nullptr},
    {DocumentName(L"004321", L"00001", L"00000"), L"00432100.001", nullptr},
    {DocumentName(L"004321", L"99999", L"00000"), L"00432199.999", nullptr},
    {DocumentName(L"004321", L"00000", L"99999"), L"00432199.999", nullptr},
    {DocumentName(L"999999", L"12345", L"00000"), L"99999912.345", nullptr},
    {DocumentName(L"000001", L"00000", L"00001"), L"00000100.001", nullptr},
    // The registration field read as a number: leading blanks skipped, trailing letters ignored.
    {DocumentName(L"  4321", L"12345", L"00000"), L"00432112.345", nullptr},
    {DocumentName(L"4321AB", L"12345", L"00000"), L"00432112.345", nullptr},
    {DocumentName(L"ABCDEF", L"12345", L"00000"), L"", kNoRegistrationNumber},
    {DocumentName(L"000000", L"12345", L"00000"), L"", kNoRegistrationNumber},
    // Shorter than 28 characters: no registration field at all.
    {L"ABCDEFGHIJKLMNOPQRSTUVW.XML", L"", kNoRegistrationNumber},
    {L"0043211234500000.XML", L"", kNoRegistrationNumber},
    // 28 to 59 characters: the subdivision's field is missing and reads 0.
    {L"ABCDEFGHIJKLMNOPQRSTUVWXYZA004321BCDEF12345.XML", L"00432112.345", nullptr},
    {L"ABCDEFGHIJKLMNOPQRSTUVWXYZA004321BCDEF00000.XML", L"", kWrongBatchNumber},
    {L"ABCDEFGHIJKLMNOPQRSTUVWXYZA004321BCDEF00012GHIJKLMNOPQRSTUV", L"00432100.012", nullptr},
    // Exactly one batch number must be set.
    {DocumentName(L"004321", L"00000", L"00000"), L"", kWrongBatchNumber},
    {DocumentName(L"004321", L"12345", L"00078"), L"", kWrongBatchNumber},
    // A "-" makes a number negative, and a negative number is no number of the format.
    {DocumentName(L"-04321", L"12345", L"00000"), L"", kNoRegistrationNumber},
    {DocumentName(L"004321", L"-0001", L"00000"), L"", kWrongBatchNumber},
    {DocumentName(L"004321", L"00000", L"-0078"), L"", kWrongBatchNumber},
    {DocumentName(L"004321", L"-0001", L"00078"), L"", kWrongBatchNumber},
};

using ConversionNames = ConversionTest;

// One program converts the files one after the other, as a person works through a folder.
TEST_F(ConversionNames, OutputNameOrWarning) {
  WritePaths(InputDirectory(), OutputDirectory());
  Start();

  for (const NameCase& c : kNameCases) {
    SCOPED_TRACE("file " + Utf8(c.fileName));
    const std::wstring file = CreateInputFile(InputDirectory(), c.fileName);
    if (c.message) {
      ExpectRejected(file, c.message);
      continue;
    }
    const driver::LaunchRecord record = Convert(file);
    const std::wstring output = OutputDirectory() + c.outputName;
    // A name with blanks in it is quoted like any other path with blanks.
    ExpectLaunch(record, L" " + AsArgument(file) + L" qRec7to4.xsl -o " + output,
                 {file, L"qRec7to4.xsl", L"-o", output}, WorkDirectory());
  }
  // A rejected file starts nothing: the processor ran once per accepted file.
  ExpectNoFurtherLaunch();
  EXPECT_EQ(Exit(), 0u);
}

// The numbers come from the name alone, whatever directory holds it.
TEST_F(ConversionNames, DirectoryDoesNotCount) {
  const std::wstring name = DocumentName(L"004321", L"12345", L"00000");
  const std::wstring elsewhere = Path(L"000099 Папка 00011\\99999");
  const std::wstring file = CreateInputFile(elsewhere, name);
  WritePaths(elsewhere, OutputDirectory());
  Start();

  const driver::LaunchRecord record = Convert(file);
  const std::wstring output = OutputDirectory() + L"00432112.345";
  ExpectLaunch(record, L" \"" + file + L"\" qRec7to4.xsl -o " + output, {file, L"qRec7to4.xsl", L"-o", output},
               WorkDirectory());
}

}  // namespace
}  // namespace e2e
