// What a batch of files will do before anything is started: each file is checked by the
// one-file rules, files whose output names collide are refused but the first, and the rows
// come in name order.
#pragma once

#include <span>
#include <vector>

#include "runtime/text/text_value.h"

namespace convert {

struct BatchInput {
  rt::Text path;                 // full path, as chosen or dropped
  bool isDirectory = false;      // only a drop brings directories
  bool missing = false;          // a path given on the command line that names nothing
  bool withoutXmlFiles = false;  // a directory dropped or given that holds no XML file
};

struct BatchItem {
  rt::Text inputPath;
  rt::Text inputName;   // the name without its directory
  rt::Text outputName;  // the 12-character name when the name fields allow one
  bool accepted = false;
  rt::Text refusal;  // why not, in the words of the one-file message
};

// Whether the name ends in ".XML", in any case.
bool IsXmlName(rt::TextView name);

// A name or path as Windows compares it: its letters without case (rt::UpperCaseOf).
rt::Text FoldedName(rt::TextView name);
void FoldInPlace(rt::Text& name);

// A directory's full path without separators at its end ("%~dp0" of a script has one), but a
// drive's root: the same directory is the same text, and its name is its last part.
rt::Text DirectoryPath(rt::TextView path);

// The folder a file lies in, as its turn is taken by every run that converts it.
rt::Text FolderOfFile(rt::TextView path);

// Whether the path's name part holds a wildcard ("*" or "?"): a pattern from the command line.
bool NamesAPattern(rt::TextView path);

// The inputs in their order, each path once (compared as Windows compares names): a file given
// twice, or given beside its folder, is converted once.
std::vector<BatchInput> WithoutRepeats(std::vector<BatchInput> inputs);

// `requireXml`: a drop may bring anything, the dialog lists "*.XML" but lets the user type
// any name, which the one-file path accepts too.
std::vector<BatchItem> PlanBatch(std::span<const BatchInput> inputs, bool requireXml);

}  // namespace convert
