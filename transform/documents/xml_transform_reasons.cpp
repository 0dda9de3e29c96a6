#include "transform/documents/xml_transform_reasons.h"

#include <string>

#include "runtime/text/number_text.h"

namespace rt {
namespace {

// "<what>: <library text>", or just "<what>" when the library said nothing.
Text WithDetail(Text what, TextView detail) {
  detail = TrimmedRight(detail);
  if (!detail.empty()) what = Concat({what, u": ", detail});
  return what;
}

TextView DocumentNamed(ParsedDocument document) {
  return document == ParsedDocument::kInput ? u"файле " : u"таблице стилей ";
}

}  // namespace

Text LibraryUnavailableReason(TextView libraryText) {
  return WithDetail(u"Не удалось запустить системную библиотеку XML (MSXML 6)", libraryText);
}

Text InputMissingReason(TextView inputPath) { return Concat({u"Не найден файл ", inputPath}); }

Text StylesheetMissingReason(TextView stylesheetPath) {
  return Concat({u"Не найдена таблица стилей ", stylesheetPath});
}

Text UnreadableReason(TextView path, TextView systemText) {
  return WithDetail(Concat({u"Не удалось прочитать файл ", path}), systemText);
}

Text ParseErrorReason(ParsedDocument document, TextView path, LONG line, LONG column, TextView libraryText) {
  Text where = Concat({u"Ошибка в ", DocumentNamed(document), path});
  if (line > 0) where = Concat({where, u", строка ", DecimalText(line), u", позиция ", DecimalText(column)});
  return WithDetail(where, libraryText);
}

Text DtdRefusedReason(ParsedDocument document, TextView path) {
  return Concat({u"В ", DocumentNamed(document), path, u" есть объявление DTD, а DTD отключены"});
}

Text DtdProblemReason(TextView stylesheetPath, const Doctype& doctype) {
  const TextView file = doctype.file, entity = doctype.entity;
  const Text readBy = Concat({u", который читает DTD таблицы стилей ", stylesheetPath});
  switch (doctype.problem) {
    case DtdProblem::kFileRefused:
      return Concat({u"DTD таблицы стилей ", stylesheetPath, u" ссылается на файл ", file,
                     u", а программа читает для DTD только файлы рядом с таблицей стилей"});
    case DtdProblem::kFileUnreadable:
      return WithDetail(Concat({u"Не удалось прочитать файл ", file, readBy}), doctype.detail);
    case DtdProblem::kFileEncoding:
      return Concat({u"Файл ", file, readBy, u", записан в кодировке ", doctype.detail,
                     u"; встроенная конвертация берёт из такого файла только текст ASCII или текст в кодировке самой "
                     u"таблицы стилей"});
    default:
      break;
  }
  const Text in =
      file.empty() ? Concat({u"В таблице стилей ", stylesheetPath}) : Concat({u"В файле ", file, readBy, u","});
  switch (doctype.problem) {
    case DtdProblem::kExternalSubset:
      return Concat({in, u" DTD ссылается на внешний файл, а внешние файлы программа не читает"});
    case DtdProblem::kExternalEntity:
      return Concat({in, u" объявлена внешняя сущность ", entity, u", а внешние сущности программа не читает"});
    case DtdProblem::kParameterEntity:
      return Concat({in, u" в DTD есть параметрическая сущность, а такие сущности программа не раскрывает"});
    case DtdProblem::kAttributeList:
      return Concat({in, u" в DTD объявлены атрибуты (ATTLIST), а программа принимает в DTD только сущности"});
    case DtdProblem::kUnparsedEntity:
      return Concat({in, u" объявлена неразбираемая внешняя сущность ", entity,
                     u" (NDATA), а такие сущности программа не читает"});
    case DtdProblem::kParameterEntityCycle:
      return Concat(
          {in, u" параметрическая сущность ", entity, u" ссылается сама на себя, прямо или через другие файлы"});
    case DtdProblem::kTooLarge:
      return Concat({in, u" DTD читает из файлов слишком большой текст"});
    default:
      break;
  }
  const Text what = u"ошибка в объявлении DTD";
  if (file.empty()) {
    return ParseErrorReason(ParsedDocument::kStylesheet, stylesheetPath, doctype.place.line, doctype.place.column,
                            what);
  }
  return Concat({u"Ошибка в файле ", file, readBy, u", строка ", DecimalText(doctype.place.line), u", позиция ",
                 DecimalText(doctype.place.column), u": ", what});
}

Text ExpansionProblemReason(TextView stylesheetPath, ExpansionProblem problem, TextView entity) {
  if (problem == ExpansionProblem::kRecursive) {
    return Concat({u"В таблице стилей ", stylesheetPath, u" сущность ", entity, u" ссылается сама на себя"});
  }
  if (problem == ExpansionProblem::kExternalInAttribute) {
    return Concat({u"В таблице стилей ", stylesheetPath, u" внешняя сущность ", entity,
                   u" стоит в значении атрибута, а в XML так нельзя"});
  }
  return Concat({u"В таблице стилей ", stylesheetPath, u" сущности раскрываются в слишком большой текст"});
}

Text ModuleUnreadableReason(TextView modulePath, TextView includedFrom, TextView systemText) {
  return WithDetail(
      Concat({u"Не удалось прочитать таблицу стилей ", modulePath, u", которую подключает ", includedFrom}),
      systemText);
}

Text ModuleNotAFileReason(TextView includedFrom, TextView href) {
  return Concat({u"Таблица стилей ", includedFrom, u" подключает ", href,
                 u", а программа читает таблицы стилей только из файлов"});
}

Text ModuleCircleReason(TextView modulePath) {
  return Concat({u"Таблица стилей ", modulePath, u" подключает сама себя, прямо или через другие таблицы стилей"});
}

Text EncodingRefusedReason(TextView stylesheetPath, TextView encoding) {
  return Concat({u"Таблица стилей ", stylesheetPath, u" записана в кодировке ", encoding,
                 u", которую встроенная конвертация не читает; сохраните её в UTF-8 или windows-1251"});
}

Text MarkupUnreadReason(TextView stylesheetPath, LONG line, LONG column) {
  return ParseErrorReason(ParsedDocument::kStylesheet, stylesheetPath, line, column,
                          u"разметка, которую встроенная конвертация не читает так же, как библиотека XML");
}

Text BaseRefusedReason(TextView stylesheetPath) {
  return Concat({u"Таблица стилей ", stylesheetPath, u" использует атрибут xml:base, а он отключён"});
}

Text ModulesReadOtherwiseReason(TextView stylesheetPath) {
  return Concat({u"Таблица стилей ", stylesheetPath,
                 u" подключает другие таблицы стилей так, что встроенная конвертация не читает это так же, как "
                 u"библиотека XML"});
}

Text InputEncodingRefusedReason(TextView inputPath, TextView encoding) {
  return Concat({u"Файл ", inputPath, u" записан в кодировке ", encoding,
                 u", которую встроенная конвертация не читает; для него нужен msxsl.exe"});
}

Text ScriptRefusedReason(TextView stylesheetPath) {
  return Concat({u"Таблица стилей ", stylesheetPath, u" использует сценарии, а они отключены"});
}

Text DocumentFunctionRefusedReason(TextView stylesheetPath) {
  return Concat({u"Таблица стилей ", stylesheetPath, u" использует функцию document(), а она отключена"});
}

Text BlockersReason(std::span<const BlockerPlace> places) {
  Text reason;
  for (const BlockerPlace& place : places) {
    Text what;
    switch (place.what) {
      case Blocker::kScript:
        what = ScriptRefusedReason(place.module);
        break;
      case Blocker::kBase:
        what = BaseRefusedReason(place.module);
        break;
      case Blocker::kDocumentUnknown:
        what = Concat({u"Таблица стилей ", place.module,
                       u" использует функцию document() с адресом, который программа не может проверить"});
        break;
      case Blocker::kDocumentOutside:
        what = Concat(
            {u"Таблица стилей ", place.module, u" использует функцию document() с адресом вне папки таблицы стилей"});
        break;
    }
    reason = Concat({reason, reason.empty() ? u"" : u"; ", what, u" (строка ", DecimalText(place.line), u")"});
  }
  return reason;
}

Text DataFileUnreadableReason(TextView path, TextView stylesheetPath, TextView systemText) {
  return WithDetail(Concat({u"Не удалось прочитать файл ", path, u", который читает таблица стилей ", stylesheetPath}),
                    systemText);
}

Text StylesheetRejectedReason(TextView stylesheetPath, TextView libraryText) {
  return WithDetail(Concat({u"Ошибка в таблице стилей ", stylesheetPath}), libraryText);
}

Text OutputNotWrittenReason(TextView outputPath, TextView systemText) {
  return WithDetail(Concat({u"Не удалось записать файл ", outputPath}), systemText);
}

Text TransformFailedReason(TextView inputPath, TextView libraryText) {
  return WithDetail(Concat({u"Преобразование файла ", inputPath, u" не удалось"}), libraryText);
}

Text NoResultReason(TextView inputPath) {
  return Concat({u"Преобразование файла ", inputPath, u" не дало результата"});
}

Text WorkerNotStartedReason(TextView systemText) {
  return WithDetail(u"Не удалось запустить встроенную конвертацию", systemText);
}

Text WorkerEndedReason(TextView inputPath) {
  return Concat({u"Преобразование файла ", inputPath, u" прервалось: встроенная конвертация аварийно завершилась"});
}

}  // namespace rt
