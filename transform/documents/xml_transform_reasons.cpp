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

Text DtdProblemReason(TextView stylesheetPath, DtdProblem problem, TextView entity, LONG line, LONG column) {
  const Text in = Concat({u"В таблице стилей ", stylesheetPath});
  switch (problem) {
    case DtdProblem::kExternalSubset:
      return Concat({in, u" DTD ссылается на внешний файл, а внешние файлы программа не читает"});
    case DtdProblem::kExternalEntity:
      return Concat({in, u" объявлена внешняя сущность ", entity, u", а внешние сущности программа не читает"});
    case DtdProblem::kParameterEntity:
      return Concat({in, u" в DTD есть параметрическая сущность, а такие сущности программа не раскрывает"});
    case DtdProblem::kAttributeList:
      return Concat({in, u" в DTD объявлены атрибуты (ATTLIST), а программа принимает в DTD только сущности"});
    case DtdProblem::kMalformed:
    case DtdProblem::kNone:
      break;
  }
  return ParseErrorReason(ParsedDocument::kStylesheet, stylesheetPath, line, column, u"ошибка в объявлении DTD");
}

Text ExpansionProblemReason(TextView stylesheetPath, ExpansionProblem problem, TextView entity) {
  if (problem == ExpansionProblem::kRecursive) {
    return Concat({u"В таблице стилей ", stylesheetPath, u" сущность ", entity, u" ссылается сама на себя"});
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
