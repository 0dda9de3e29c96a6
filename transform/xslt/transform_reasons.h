// Why a transformation failed, as the user reads it.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/text/text_value.h"

namespace rt {

// How the reasons the input itself gives begin, and how a crashed worker's ends: the journal's
// reader tells by them a failure the file caused from one of its surroundings.
inline constexpr char16_t kInputErrorOpening[] = u"Ошибка в файле ";
inline constexpr char16_t kInputDtdOpening[] = u"В файле ";
inline constexpr char16_t kTransformOpening[] = u"Преобразование файла ";
inline constexpr char16_t kWorkerEndedTail[] = u" прервалось: встроенная конвертация аварийно завершилась";

// The document a parse error was found in.
enum class ParsedDocument { kInput, kStylesheet };

Text InputMissingReason(TextView inputPath);
Text StylesheetMissingReason(TextView stylesheetPath);
Text UnreadableReason(TextView path, TextView systemText);
Text NotAFileReason(TextView path);

// "Ошибка в файле <path>, строка <line>, позиция <column>: <library text>"; without the
// place when the library does not tell it (line 0).
Text ParseErrorReason(ParsedDocument document, TextView path, LONG line, LONG column, TextView libraryText);

Text DtdRefusedReason(ParsedDocument document, TextView path);
// msxsl:script, each place of it: "Таблица стилей <module> использует сценарии, а они отключены
// (строка N); …".
struct ScriptPlace {
  Text module;
  LONG line = 0;
};
Text ScriptsRefusedReason(std::span<const ScriptPlace> places);
// A file the stylesheet asked for and the program did not read: the address as asked, why,
// the module and line that asked (when known) and what the library says of it.
Text ReadRefusedReason(TextView address, TextView why, TextView module, LONG line, TextView libraryText);
// Why, in a few words, for ReadRefusedReason.
Text NotALocalFileWhy();
Text NetworkPathWhy();
Text NotADiskFileWhy();
Text OutsideFolderWhy(TextView folder);
Text WriteRefusedWhy();
Text NothingElseWhy();
Text StreamWhy();
Text PrivateFileWhy();
Text TooMuchReadWhy(std::uint64_t bytes);
// A file the stylesheet (or a schema) read and the library could not take: its path, the module
// and line that asked (when known) and the library's reason.
Text FileBrokenReason(TextView path, TextView module, LONG line, TextView libraryText);
Text ModuleCircleReason(TextView modulePath);
// Modules nested deeper, or loaded more often, than any stylesheet needs.
Text ModulesTooDeepReason(TextView modulePath, LONG depth);
Text ModulesTooManyReason(TextView stylesheetPath, LONG loads);
// The libraries ran out of memory.
Text OutOfMemoryReason(TextView path);
// A schema beside the stylesheet that is not there any more, or that the library does not take.
Text SchemaMissingReason(TextView schemaPath);
Text SchemaRejectedReason(TextView schemaPath, TextView libraryText);
Text StylesheetRejectedReason(TextView stylesheetPath, TextView libraryText);
Text OutputNotWrittenReason(TextView outputPath, TextView systemText);
Text TransformFailedReason(TextView inputPath, TextView libraryText);
Text NoResultReason(TextView inputPath);
// The program's own worker that transforms could not be started, or ended before it answered.
Text WorkerNotStartedReason(TextView systemText);
Text WorkerEndedReason(TextView inputPath);
// The worker ended while it prepared the stylesheet or a schema (`path`).
Text PreparationEndedReason(TextView path);

// A reason as long as a message box and a journal line can take: cut at kReasonLength
// characters, a character outside the BMP never halved.
inline constexpr std::size_t kReasonLength = 2000;
Text Bounded(Text reason);

}  // namespace rt
