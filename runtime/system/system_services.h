// Text values and the system services the application is written against: the current
// directory, the settings file, the executable's module and path splitting.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/text/last_error.h"
#include "runtime/text/number_text.h"
#include "runtime/text/path_split.h"
#include "runtime/text/text_value.h"

namespace rt {

// A module or window handle, kept pointer-sized.
using HandleValue = std::intptr_t;

// Records the running executable's module handle; the first thing the program does.
void InitRuntime();
// No system dialog for a drive that is not ready or a program that crashed: a run without a
// window has nobody to answer it.
void NoSystemErrorDialogs();

// The module handle recorded by InitRuntime.
HandleValue InstanceHandle();

// The full path of the executable file.
Text ExecutablePath();

// What the program was started with after its own name (Send To, a shortcut, a script).
std::vector<Text> ProgramArguments();

// The full path of the current directory with long component names. Clears the last error.
Text CurrentDirectory();

// Makes the path current. On failure sets "Path Not Found" (3) and leaves the current
// directory; on success clears the last error.
void ChangeDirectory(TextView path);

// The system's "file or directory is corrupt": what a file that is there but cannot be used as
// settings text (binary, a NUL byte, larger than 1 MiB, a directory) is told as.
inline constexpr std::uint32_t kNotASettingsFile = 1392;

// Why the settings file cannot be used: kNotASettingsFile, or the system's error code when it
// cannot be read; 0 when it can, or when it is missing (it will be created).
std::uint32_t SettingsFileProblem(TextView file);

// Reads an entry of a settings file in the ANSI code page; the default when the file,
// section or entry is missing, or the file cannot be used.
Text GETINI(TextView section, TextView entry, TextView defaultValue, TextView file);

// Writes an entry, keeping every other line of the file; a file that cannot be used is left
// untouched. The error code when the file could not be written (SettingsFileProblem's first),
// 0 otherwise.
std::uint32_t SETINI(TextView section, TextView entry, TextView value, TextView file);

// Bytes in the ANSI code page (what a spreadsheet saves a text file in) as text.
Text TextOfAnsi(std::string_view bytes);

// Whether this user's locale writes a date's day before its month ("08/12/2026").
bool LocaleDayFirst();

// Expands the path to a full one and splits it; returns the flags of what it holds.
LONG SplitPath(TextView path, Text& drive, Text& directory, Text& name, Text& extension);

}  // namespace rt
