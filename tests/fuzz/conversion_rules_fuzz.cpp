// Arbitrary chosen paths and output directories through every decision of a conversion.
//
// Input bytes: up to the first 0x00 the chosen path, after it the output directory. Printable
// ASCII stands for itself, so the seeds read as paths; the other control bytes stand for the
// characters the rules care about most; a byte from 0x80 up joins the next byte into one
// UTF-16 unit of 0x8000 and above (surrogates included).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "convert/rules/conversion_rules.h"
#include "runtime/text/number_text.h"

namespace {

constexpr char16_t kFrequent[] = u"\\\\\\0123456789  --..eE/\"Дф\0";

rt::Text Decode(const std::uint8_t* data, std::size_t size) {
  rt::Text text;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t byte = data[i];
    if (byte == 0x09 || (byte >= 0x20 && byte < 0x7F)) {
      text.push_back(static_cast<char16_t>(byte));
    } else if (byte < 0x80) {
      text.push_back(kFrequent[byte % (std::size(kFrequent) - 1)]);
    } else if (i + 1 < size) {
      text.push_back(static_cast<char16_t>(byte << 8 | data[++i]));
    } else {
      text.push_back(static_cast<char16_t>(byte));
    }
  }
  return text;
}

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool HasBlankOrTab(rt::TextView text) { return text.find_first_of(u" \t") != rt::TextView::npos; }

// The output name's form: DDDDDDDD.DDD, holding the registration and the batch it came from.
void CheckOutputName(const rt::Text& name, const convert::NameFields& fields) {
  Require(name.size() == 12);
  for (std::size_t i = 0; i < name.size(); ++i) Require(i == 8 ? name[i] == u'.' : IsDigit(name[i]));
  const rt::LONG batch = fields.DCK1 != 0 ? fields.DCK1 : fields.DCK2;
  Require(rt::TextToLong(name.substr(0, 6)) == fields.REGNUMB);
  Require(rt::TextToLong(rt::Concat({rt::TextView(name).substr(6, 2), rt::TextView(name).substr(9, 3)})) == batch);
}

std::size_t TrailingBackslashes(rt::TextView text) {
  const auto last = text.find_last_not_of(u'\\');
  return text.size() - (last == rt::TextView::npos ? 0 : last + 1);
}

// The output directory (as typed, less quotes and blanks around it) and the name with one
// separator between them, none added after "\" or "/".
void CheckOutputPath(const rt::Text& pathOut, const rt::Text& outputName, const rt::Text& output) {
  const rt::Text directory = convert::OutputDirectory(pathOut);
  Require(rt::CLIP(pathOut).find(directory) != rt::Text::npos);
  const bool joined = directory.empty() || directory.ends_with(u'\\') || directory.ends_with(u'/');
  Require(output.starts_with(directory));
  Require(output.ends_with(outputName));
  Require(output.size() == directory.size() + (joined ? 0 : 1) + outputName.size());
  if (!joined) Require(output[directory.size()] == u'\\');
}

void CheckParameterText(const rt::Text& fileIn, const rt::Text& pathOut, const rt::Text& outputName) {
  const rt::Text input = rt::CLIP(fileIn);
  const rt::Text output = convert::OutputPath(pathOut, outputName);
  CheckOutputPath(pathOut, outputName, output);

  const rt::Text text = convert::ParameterText(fileIn, pathOut, outputName);
  Require(text.starts_with(u' '));
  Require(text.find(u" qRec7to4.xsl -o ") != rt::Text::npos);
  Require(text.find(input) != rt::Text::npos);
  const rt::TextView unquoted = text.ends_with(u'"') ? rt::TextView(text).substr(0, text.size() - 1) : text;
  Require(unquoted.ends_with(outputName));
  Require(text.size() >= 1 + input.size() + 17 + output.size());  // never cut

  // Each path as it is, or in quotes when it holds a blank or a tab; no backslash may escape
  // a closing quote.
  rt::TextView rest = text;
  if (HasBlankOrTab(input)) {
    Require(rest.starts_with(rt::Concat({u" \"", input})));
    rest.remove_prefix(2 + input.size());
    const std::size_t added = std::min(rest.find_first_not_of(u'\\'), rest.size());
    Require((TrailingBackslashes(input) + added) % 2 == 0);
    rest.remove_prefix(added);
    Require(rest.starts_with(u'"'));
    rest.remove_prefix(1);
  } else {
    Require(rest.starts_with(rt::Concat({u" ", input})));
    rest.remove_prefix(1 + input.size());
  }
  Require(rest == (HasBlankOrTab(output) ? rt::Concat({u" qRec7to4.xsl -o \"", output, u"\""})
                                         : rt::Concat({u" qRec7to4.xsl -o ", output})));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t split = 0;
  while (split < size && data[split] != 0) ++split;
  const rt::Text fileIn = Decode(data, split);
  const rt::Text pathOut = split < size ? Decode(data + split + 1, size - split - 1) : rt::Text();

  const rt::Text clipped = rt::CLIP(fileIn);
  const rt::LONG separator = convert::LastSeparator(fileIn);
  Require(separator >= 0 && separator <= rt::LEN(clipped));
  if (separator > 0) Require(clipped[static_cast<std::size_t>(separator - 1)] == u'\\');
  const rt::Text name = convert::FileNamePart(fileIn);
  Require(name.find(u'\\') == rt::Text::npos);
  Require(name == rt::TextView(clipped).substr(static_cast<std::size_t>(separator)));

  const convert::NameFields fields = convert::ReadNameFields(name);
  const convert::NameProblem problem = convert::CheckNameFields(fields);
  const bool registrationFits = fields.REGNUMB > 0 && fields.REGNUMB <= 999999;
  const bool oneBatch = (fields.DCK1 > 0 && fields.DCK1 <= 99999 && fields.DCK2 == 0) ||
                        (fields.DCK1 == 0 && fields.DCK2 > 0 && fields.DCK2 <= 99999);
  Require(problem == (!registrationFits ? convert::NameProblem::RegistrationNumber
                      : !oneBatch       ? convert::NameProblem::BatchNumber
                                        : convert::NameProblem::None));

  if (problem == convert::NameProblem::None) {
    const rt::Text outputName = convert::OutputName(fields);
    CheckOutputName(outputName, fields);
    CheckParameterText(fileIn, pathOut, outputName);
  } else {
    // A rejected file is never launched; the paths still go through the quoting.
    CheckParameterText(fileIn, pathOut, u"00432112.345");
  }
  return 0;
}
