// Every file the XML and XSLT libraries read goes through here, and is decided here: an address
// whose path lies outside the main stylesheet's folder is refused before anything is opened;
// inside, where it is opened, by the final path of the file opened, and the same open file is
// then read. A read is allowed when the file is a disk file in the folder or below it and not one
// of the program's own files; nothing goes to the network, and nothing is written. Reads outside
// a guard's life are refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/text/text_value.h"

typedef struct _xmlParserCtxt xmlParserCtxt;
typedef struct _xmlParserInput xmlParserInput;

namespace rt {

struct ReadDecision {
  // kBroken: read, but the library could not take it (cut short, over a limit): the
  // transformation stops as for a refusal, and says why.
  enum class Verdict { kRead, kMissing, kRefused, kBroken };
  std::string address;  // as the library asked for it
  Text path;            // the file's final path, when one was opened
  Verdict verdict = Verdict::kRefused;
  Text why;  // missing or refused: the system's reason, or the rule's
  // Where a transformation asked for it: the instruction's module and line.
  std::string module;
  long line = 0;
};

class ReadGuard {
 public:
  // The stylesheets and their files may bring this much in all, so that many large modules do
  // not exhaust the machine.
  static constexpr std::uint64_t kReadLimit = 64ull << 20;

  // Decides the libraries' reads while it lives, for files in `folder` (a final path, as
  // FinalFolderPath gives it; empty: no file at all), which the stylesheet's path may spell
  // otherwise (`spelled`); each decision is added to `decisions`.
  ReadGuard(Text folder, std::vector<ReadDecision>& decisions, Text spelled = {});
  ~ReadGuard();
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

  // A refusal then also stops this transformation (an xsltTransformContextPtr) at once.
  void StopOnRefusal(void* transformContext) { transformContext_ = transformContext; }
  // The first refusal (or file the library could not take), if any.
  const ReadDecision* refusal() const;

  // The program's own files (full paths; a name may hold one "*"): never read, whatever the
  // folder. For every guard after; their folders are taken by their final paths now.
  static void KeepPrivate(const std::vector<Text>& paths);

  // Installs the program's functions in the libraries: once per process, before any parse.
  static void Install();
  // An input of the document `address` for `parser`, opened by the rule, or null.
  static xmlParserInput* OpenInput(const char* address, xmlParserCtxt* parser);
  // The parser refuses, by name and before anything is touched, a DTD or entity declared with
  // an address that cannot be a file of the folder (another computer, another scheme), and
  // reads the Windows paths a stylesheet or schema names its modules and entities with.
  static void WatchParser(xmlParserCtxt* parser);

  // For the libraries' functions.
  static ReadGuard* Current();
  void Refuse(ReadDecision decision, ReadDecision::Verdict verdict = ReadDecision::Verdict::kRefused);
  void Record(ReadDecision decision) { decisions_.push_back(std::move(decision)); }
  bool Take(std::uint64_t bytes);
  const Text& folder() const { return folder_; }
  const Text& spelled() const { return spelled_; }

 private:
  Text folder_, spelled_;
  std::vector<ReadDecision>& decisions_;
  std::size_t first_;  // where this guard's decisions begin
  std::uint64_t read_ = 0;
  void* transformContext_ = nullptr;
  ReadGuard* outer_;
};

}  // namespace rt
