// Why a transformation failed, as the user reads it.
#pragma once

#include <span>

#include "runtime/text/text_value.h"
#include "transform/documents/module_uses.h"
#include "transform/documents/xml_doctype.h"
#include "transform/documents/xml_entities.h"

namespace rt {

// The document a parse error was found in.
enum class ParsedDocument { kInput, kStylesheet };

Text LibraryUnavailableReason(TextView libraryText);
Text InputMissingReason(TextView inputPath);
Text StylesheetMissingReason(TextView stylesheetPath);
Text UnreadableReason(TextView path, TextView systemText);

// "Ошибка в файле <path>, строка <line>, позиция <column>: <library text>"; without the
// place when the library does not tell it (line 0).
Text ParseErrorReason(ParsedDocument document, TextView path, LONG line, LONG column, TextView libraryText);

Text DtdRefusedReason(ParsedDocument document, TextView path);
// A stylesheet's DTD that asks for more than entities with their values in place or in files
// the program reads, or a file it names that the program does not read; the place is told for
// a declaration that is not well-formed.
Text DtdProblemReason(TextView stylesheetPath, const Doctype& doctype);
Text ExpansionProblemReason(TextView stylesheetPath, ExpansionProblem problem, TextView entity);
// A module that xsl:include or xsl:import pulls into the stylesheet `includedFrom`.
Text ModuleUnreadableReason(TextView modulePath, TextView includedFrom, TextView systemText);
Text ModuleNotAFileReason(TextView includedFrom, TextView href);
Text ModuleCircleReason(TextView modulePath);
Text EncodingRefusedReason(TextView stylesheetPath, TextView encoding);
// Markup the program does not read exactly as the library does, at a place of the module.
Text MarkupUnreadReason(TextView stylesheetPath, LONG line, LONG column);
Text BaseRefusedReason(TextView stylesheetPath);
// The modules the library would pull in are not those the program read in the module.
Text ModulesReadOtherwiseReason(TextView stylesheetPath);
// An input in an encoding whose markup the program does not read as the library does.
Text InputEncodingRefusedReason(TextView inputPath, TextView encoding);
Text ScriptRefusedReason(TextView stylesheetPath);
Text DocumentFunctionRefusedReason(TextView stylesheetPath);
// What the built-in conversion refuses in a stylesheet, every place of it: "<what it uses>
// (строка N); <…> (строка M)", each naming its module.
struct BlockerPlace {
  Text module;
  LONG line = 0;
  Blocker what = Blocker::kScript;
};
Text BlockersReason(std::span<const BlockerPlace> places);
// A file that document() reads, named in `stylesheetPath`, that cannot be read.
Text DataFileUnreadableReason(TextView path, TextView stylesheetPath, TextView systemText);
Text StylesheetRejectedReason(TextView stylesheetPath, TextView libraryText);
Text OutputNotWrittenReason(TextView outputPath, TextView systemText);
Text TransformFailedReason(TextView inputPath, TextView libraryText);
Text NoResultReason(TextView inputPath);
// The program's own worker that transforms could not be started, or ended before it answered.
Text WorkerNotStartedReason(TextView systemText);
Text WorkerEndedReason(TextView inputPath);

}  // namespace rt
