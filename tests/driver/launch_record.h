// What the stand-in XSLT processor saw when it was started, one record per start, appended to
// "msxsl-record.txt" beside it. The file is UTF-8, one "key=value" per line, a line "end"
// closing each record:
//
//   process_id=1234
//   command_line="C:\bin\msxsl.exe"  C:\in\a.XML qRec7to4.xsl -o C:\out\00432112.345
//   argument=C:\in\a.XML
//   argument=qRec7to4.xsl
//   argument=-o
//   argument=C:\out\00432112.345
//   working_directory=C:\work
//   uses_show_window=1
//   show_window=3
//   stylesheet_present=1
//   end
//
// "argument" lines are the arguments after the program name, in order; uses_show_window
// says whether STARTF_USESHOWWINDOW was set and show_window is wShowWindow (SW_SHOWMAXIMIZED
// is 3); stylesheet_present whether "qRec7to4.xsl" exists in the working directory.
// In values "%" is written "%25" and every character below U+0020 as "%XX", so no value can
// break a line and a record cannot be mistaken for another.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace driver {

inline constexpr wchar_t kLaunchRecordFile[] = L"msxsl-record.txt";

struct LaunchRecord {
  unsigned long processId = 0;
  std::wstring commandLine;
  std::vector<std::wstring> arguments;
  std::wstring workingDirectory;
  bool usesShowWindow = false;
  int showWindow = 0;
  bool stylesheetPresent = false;

  bool operator==(const LaunchRecord&) const = default;
};

// The record as lines of UTF-8, "end" included.
std::string FormatLaunchRecord(const LaunchRecord& record);

// Every complete record of the text; an unfinished last record (still being written) is left
// out. DriverError names the line of anything malformed.
std::vector<LaunchRecord> ParseLaunchRecords(const std::string& text);

// What the stand-in is told to do, read at each start from "msxsl-behaviour.txt" beside it,
// one rule a line, fields separated by "|":
//
//   <part of the input path>|<exit code>|<milliseconds before it ends>|<output: 1 or 0>|<gate>|
//   <output first: 1 or 0>|<pipe holder: 1 or 0>|<error text>
//
// (on one line). The first rule whose part occurs in the input path (the first argument)
// applies; "*" matches every path. Without a file or a matching rule it writes the output and
// exits with 0. The output is a copy of the input, written to the path after "-o" (a failed
// write changes nothing else), after the pause and the gate unless "output first" says before
// them. A pause of kForever never ends. A gate names an event that the stand-in waits for,
// after its pause, before it ends, so that a test can end several at one moment. A pipe
// holder is a copy of the stand-in that it starts first, which inherits its standard output
// and error and waits until it is ended. The error text goes to standard error. Text fields
// are escaped as the records' values are.
inline constexpr wchar_t kBehaviourFile[] = L"msxsl-behaviour.txt";
inline constexpr unsigned long kForever = 0xFFFFFFFF;
// The only argument of a pipe holder.
inline constexpr wchar_t kPipeHolderArgument[] = L"--hold-pipe";

struct DoubleBehaviour {
  std::wstring match = L"*";
  unsigned long exitCode = 0;
  unsigned long pauseMilliseconds = 0;
  bool writesOutput = true;
  std::wstring gate;
  std::wstring errorText;
  bool writesOutputFirst = false;
  bool startsPipeHolder = false;
};

std::string FormatBehaviours(const std::vector<DoubleBehaviour>& rules);
// The rule for this input among those of the file's text; the default one when none matches.
DoubleBehaviour BehaviourFor(const std::string& rulesText, const std::wstring& inputPath);

// The records of the file; none when the file does not exist.
std::vector<LaunchRecord> ReadLaunchRecords(const std::wstring& recordFile);

// Waits until the file holds at least `count` records and returns them all; DriverError
// (saying how many there were) when the limit passes first.
std::vector<LaunchRecord> WaitForLaunchRecords(const std::wstring& recordFile, std::size_t count,
                                               std::chrono::milliseconds timeout = std::chrono::milliseconds{10'000});

}  // namespace driver
