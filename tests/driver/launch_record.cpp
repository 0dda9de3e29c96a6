#include "tests/driver/launch_record.h"

#include <windows.h>

#include <thread>

#include "tests/driver/driver_error.h"
#include "tests/driver/utf8_text.h"

namespace driver {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::chrono::milliseconds kPollInterval{20};

std::string Escaped(const std::wstring& value) {
  const std::string bytes = ToUtf8(value);
  std::string escaped;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || c == '%') {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xF];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

[[noreturn]] void Malformed(std::size_t lineNumber, const std::string& line, const char* why) {
  throw DriverError("Launch record line " + std::to_string(lineNumber) + " \"" + line + "\": " + why);
}

std::wstring Unescaped(const std::string& value, std::size_t lineNumber, const std::string& line) {
  std::string bytes;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      bytes += value[i];
      continue;
    }
    const bool complete = i + 2 < value.size();
    const int high = complete ? HexDigit(value[i + 1]) : -1;
    const int low = complete ? HexDigit(value[i + 2]) : -1;
    if (high < 0 || low < 0) Malformed(lineNumber, line, "a \"%\" not followed by two hexadecimal digits");
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return FromUtf8(bytes);
}

bool Flag(const std::string& value, std::size_t lineNumber, const std::string& line) {
  if (value == "0" || value == "1") return value == "1";
  Malformed(lineNumber, line, "a flag must be 0 or 1");
}

unsigned long Number(const std::string& value, std::size_t lineNumber, const std::string& line) {
  if (value.empty() || value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos) {
    Malformed(lineNumber, line, "not a number");
  }
  return std::stoul(value);
}

std::string FileText(const std::wstring& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    throw DriverError(L"Cannot read " + file + L" (error " + std::to_wstring(error) + L")");
  }
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(handle);
  return text;
}

}  // namespace

std::string FormatLaunchRecord(const LaunchRecord& record) {
  std::string text = "process_id=" + std::to_string(record.processId) + "\n";
  text += "command_line=" + Escaped(record.commandLine) + "\n";
  for (const std::wstring& argument : record.arguments) text += "argument=" + Escaped(argument) + "\n";
  text += "working_directory=" + Escaped(record.workingDirectory) + "\n";
  text += std::string("uses_show_window=") + (record.usesShowWindow ? "1" : "0") + "\n";
  text += "show_window=" + std::to_string(record.showWindow) + "\n";
  text += std::string("stylesheet_present=") + (record.stylesheetPresent ? "1" : "0") + "\n";
  return text + "end\n";
}

std::vector<LaunchRecord> ParseLaunchRecords(const std::string& text) {
  std::vector<LaunchRecord> records;
  LaunchRecord current;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) break;  // the writer has not finished this line yet
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line == "end") {
      records.push_back(current);
      current = LaunchRecord{};
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) Malformed(lineNumber, line, "no \"=\"");
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "process_id") {
      current.processId = Number(value, lineNumber, line);
    } else if (key == "command_line") {
      current.commandLine = Unescaped(value, lineNumber, line);
    } else if (key == "argument") {
      current.arguments.push_back(Unescaped(value, lineNumber, line));
    } else if (key == "working_directory") {
      current.workingDirectory = Unescaped(value, lineNumber, line);
    } else if (key == "uses_show_window") {
      current.usesShowWindow = Flag(value, lineNumber, line);
    } else if (key == "show_window") {
      current.showWindow = static_cast<int>(Number(value, lineNumber, line));
    } else if (key == "stylesheet_present") {
      current.stylesheetPresent = Flag(value, lineNumber, line);
    } else {
      Malformed(lineNumber, line, "unknown key");
    }
  }
  return records;
}

std::vector<LaunchRecord> ReadLaunchRecords(const std::wstring& recordFile) {
  return ParseLaunchRecords(FileText(recordFile));
}

std::string FormatBehaviours(const std::vector<DoubleBehaviour>& rules) {
  std::string text;
  for (const DoubleBehaviour& rule : rules) {
    text += Escaped(rule.match) + "|" + std::to_string(rule.exitCode) + "|" + std::to_string(rule.pauseMilliseconds) +
            "|" + (rule.writesOutput ? "1" : "0") + "|" + Escaped(rule.gate) + "|" +
            (rule.writesOutputFirst ? "1" : "0") + "|" + (rule.startsPipeHolder ? "1" : "0") + "|" +
            Escaped(rule.errorText) + "\n";
  }
  return text;
}

DoubleBehaviour BehaviourFor(const std::string& rulesText, const std::wstring& inputPath) {
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < rulesText.size();) {
    std::size_t end = rulesText.find('\n', start);
    if (end == std::string::npos) end = rulesText.size();
    const std::string line = rulesText.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    // Seven fields end in "|"; the error text takes the rest of the line.
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (int field = 0; field < 7; ++field) {
      const std::size_t bar = line.find('|', from);
      if (bar == std::string::npos) Malformed(lineNumber, line, "a rule has eight fields separated by \"|\"");
      fields.push_back(line.substr(from, bar - from));
      from = bar + 1;
    }
    fields.push_back(line.substr(from));
    DoubleBehaviour rule;
    rule.match = Unescaped(fields[0], lineNumber, line);
    if (rule.match != L"*" && inputPath.find(rule.match) == std::wstring::npos) continue;
    rule.exitCode = Number(fields[1], lineNumber, line);
    rule.pauseMilliseconds = Number(fields[2], lineNumber, line);
    rule.writesOutput = Flag(fields[3], lineNumber, line);
    rule.gate = Unescaped(fields[4], lineNumber, line);
    rule.writesOutputFirst = Flag(fields[5], lineNumber, line);
    rule.startsPipeHolder = Flag(fields[6], lineNumber, line);
    rule.errorText = Unescaped(fields[7], lineNumber, line);
    return rule;
  }
  return {};
}

std::vector<LaunchRecord> WaitForLaunchRecords(const std::wstring& recordFile, std::size_t count,
                                               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::vector<LaunchRecord> records = ReadLaunchRecords(recordFile);
    if (records.size() >= count) return records;
    if (std::chrono::steady_clock::now() >= deadline) {
      throw DriverError(L"Timed out after " + std::to_wstring(timeout.count()) + L" ms waiting for " +
                        std::to_wstring(count) + L" launch records in " + recordFile + L": it holds " +
                        std::to_wstring(records.size()));
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace driver
