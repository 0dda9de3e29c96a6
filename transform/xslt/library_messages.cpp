#include "transform/xslt/library_messages.h"

#include <libxml/xmlerror.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xml_support/library_texts.h"

namespace rt {
namespace {

// A reason stays readable in a message box and on one line of the journal.
constexpr std::size_t kLinesShown = 4, kLengthShown = 1000;

// Only so much of what the libraries say is kept: a stylesheet may make them say megabytes.
constexpr std::size_t kKeptLength = 64 * 1024;

LibraryMessages* g_current = nullptr;

void TakeStructured(void*, xmlErrorPtr error) {
  if (g_current == nullptr || error == nullptr || error->message == nullptr) return;
  std::string line;
  if (error->file != nullptr) line = std::string(error->file) + ":" + std::to_string(error->line) + ": ";
  line += ClerkText(error->domain, error->code, error->message);
  if (!line.ends_with('\n')) line += '\n';
  g_current->Add(line);
  if (error->level >= XML_ERR_ERROR && error->domain == XML_FROM_PARSER) {
    g_current->AddParseError({error->line, error->int2, ClerkText(error->domain, error->code, error->message)});
  }
}

void TakeGeneric(void*, const char* format, ...) {
  if (g_current == nullptr) return;
  va_list arguments, again;
  va_start(arguments, format);
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  if (length > 0) {
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    g_current->AddGeneric(std::string_view(text.data(), static_cast<std::size_t>(length)));
  }
  va_end(again);
}

}  // namespace

LibraryMessages::LibraryMessages() : failedAllocations_(LibraryAllocationFailures()), outer_(g_current) {
  g_current = this;
  xmlSetStructuredErrorFunc(nullptr, TakeStructured);
  xmlSetGenericErrorFunc(nullptr, TakeGeneric);
  xsltSetGenericErrorFunc(nullptr, TakeGeneric);
}

LibraryMessages::~LibraryMessages() { g_current = outer_; }

void LibraryMessages::Add(std::string_view text) {
  if (said_.size() < kKeptLength) said_ += text.substr(0, kKeptLength - said_.size());
  stylesheetSaid_.clear();
}

// The XSLT library names an error's place in a line of its own ("runtime error: file … line …"),
// then says the error; anything else it passes on is the stylesheet's xsl:message.
void LibraryMessages::AddGeneric(std::string_view text) {
  const bool place = text.starts_with("runtime error") || text.starts_with("compilation error") ||
                     text.starts_with("compilation warning") || text.starts_with("error:") ||
                     text.starts_with("error\n");
  const bool stylesheet = !place && !errorBegun_;
  errorBegun_ = place;
  // A message comes in parts until its line ends.
  std::string earlier = std::move(stylesheetSaid_);
  Add(text);
  if (!stylesheet) return;
  if (earlier.ends_with('\n')) earlier.clear();
  if (earlier.size() < kKeptLength) stylesheetSaid_ = earlier + std::string(text);
}

bool LibraryMessages::RanOutOfMemory() const { return LibraryAllocationFailures() != failedAllocations_; }

void LibraryMessages::AddParseError(ParseError error) {
  if (!firstParseError_) firstParseError_ = std::move(error);
}

Text LibraryMessages::Said() const {
  std::string shown;
  std::size_t lines = 0, at = 0;
  while (at < said_.size() && lines < kLinesShown) {
    std::size_t end = said_.find('\n', at);
    if (end == std::string::npos) end = said_.size();
    // The XSLT library's messages come without a code: said in a clerk's words here.
    const std::string line = ClerkText(0, 0, std::string_view(said_).substr(at, end - at));
    // The libraries repeat a message for each place it comes from; once is enough.
    if (!line.empty() && shown.find(line) == std::string::npos) {
      shown += shown.empty() ? "" : "; ";
      shown += line;
      ++lines;
    }
    at = end + 1;
  }
  if (at < said_.size()) shown += " …";
  Text text = WithPathsForUrls(shown, kHostPathStyle);
  if (text.size() > kLengthShown) text = text.substr(0, kLengthShown) + u"…";
  return text;
}

}  // namespace rt
