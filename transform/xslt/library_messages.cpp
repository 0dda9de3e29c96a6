#include "transform/xslt/library_messages.h"

#include <libxml/xmlerror.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"

namespace rt {
namespace {

// A reason stays readable in a message box and on one line of the journal.
constexpr std::size_t kLinesShown = 4, kLengthShown = 1000;

LibraryMessages* g_current = nullptr;

void TakeStructured(void*, xmlErrorPtr error) {
  if (g_current == nullptr || error == nullptr || error->message == nullptr) return;
  std::string line;
  if (error->file != nullptr) line = std::string(error->file) + ":" + std::to_string(error->line) + ": ";
  line += error->message;
  if (!line.ends_with('\n')) line += '\n';
  g_current->Add(line);
  if (error->level >= XML_ERR_ERROR && error->domain == XML_FROM_PARSER) {
    g_current->AddParseError({error->line, error->int2, error->message});
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
    g_current->Add(std::string_view(text.data(), static_cast<std::size_t>(length)));
  }
  va_end(again);
}

}  // namespace

LibraryMessages::LibraryMessages() : outer_(g_current) {
  g_current = this;
  xmlSetStructuredErrorFunc(nullptr, TakeStructured);
  xmlSetGenericErrorFunc(nullptr, TakeGeneric);
  xsltSetGenericErrorFunc(nullptr, TakeGeneric);
}

LibraryMessages::~LibraryMessages() { g_current = outer_; }

void LibraryMessages::AddParseError(ParseError error) {
  if (!firstParseError_) firstParseError_ = std::move(error);
}

Text LibraryMessages::Said() const {
  std::string shown;
  std::size_t lines = 0, at = 0;
  while (at < said_.size() && lines < kLinesShown) {
    std::size_t end = said_.find('\n', at);
    if (end == std::string::npos) end = said_.size();
    std::string_view line = std::string_view(said_).substr(at, end - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
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
