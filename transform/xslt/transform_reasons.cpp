#include "transform/xslt/transform_reasons.h"

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

}  // namespace

Text InputMissingReason(TextView inputPath) { return Concat({u"Не найден файл ", inputPath}); }

Text StylesheetMissingReason(TextView stylesheetPath) {
  return Concat({u"Не найдена таблица стилей ", stylesheetPath});
}

Text NotAFileReason(TextView path) { return Concat({u"Файл ", path, u" не файл на диске"}); }

Text UnreadableReason(TextView path, TextView systemText) {
  return WithDetail(Concat({u"Не удалось прочитать файл ", path}), systemText);
}

Text ParseErrorReason(ParsedDocument document, TextView path, LONG line, LONG column, TextView libraryText) {
  Text where = Concat({document == ParsedDocument::kInput ? kInputErrorOpening : u"Ошибка в таблице стилей ", path});
  if (line > 0) where = Concat({where, u", строка ", DecimalText(line), u", позиция ", DecimalText(column)});
  return WithDetail(where, libraryText);
}

Text DtdRefusedReason(ParsedDocument document, TextView path) {
  return Concat({document == ParsedDocument::kInput ? kInputDtdOpening : u"В таблице стилей ", path,
                 u" есть объявление DTD, а DTD отключены"});
}

Text ScriptsRefusedReason(std::span<const ScriptPlace> places) {
  // Room is left for how many more there are.
  constexpr std::size_t kTold = kReasonLength - 40;
  Text reason;
  std::size_t told = 0;
  for (; told < places.size(); ++told) {
    const ScriptPlace& place = places[told];
    const Text said = Concat({told > 0 ? u"; " : u"", u"Таблица стилей ", place.module,
                              u" использует сценарии, а они отключены (строка ", DecimalText(place.line), u")"});
    if (told > 0 && reason.size() + said.size() > kTold) break;
    reason += said;
  }
  if (told < places.size()) reason += Concat({u" … и ещё ", DecimalText(static_cast<LONG>(places.size() - told))});
  return reason;
}

Text ReadRefusedReason(TextView address, TextView why, TextView module, LONG line, TextView libraryText) {
  const Text who = module.empty() ? Text(u"Таблица стилей")
                                  : Concat({u"Таблица стилей ", module, u" (строка ", DecimalText(line), u")"});
  const Text what = address.empty() ? Concat({who, u" не прочитана: ", why})
                                    : Concat({who, u" обращается к ", address, u", а это запрещено: ", why});
  return WithDetail(what, libraryText);
}

Text NotALocalFileWhy() { return u"это не файл на этом компьютере"; }

Text NetworkPathWhy() { return u"это файл на другом компьютере"; }

Text NotADiskFileWhy() { return u"это не файл на диске (устройство, канал или папка)"; }

Text OutsideFolderWhy(TextView folder) { return Concat({u"файл лежит вне папки таблицы стилей ", folder}); }

Text WriteRefusedWhy() { return u"таблица стилей не может записывать файлы"; }

Text NothingElseWhy() { return u"при проверке по схеме читается только сам файл"; }

Text StreamWhy() { return u"имя с двоеточием называет поток внутри файла, а читаются только сами файлы"; }

Text PrivateFileWhy() { return u"это собственный файл программы (настройки или журнал)"; }

Text FileBrokenReason(TextView path, TextView module, LONG line, TextView libraryText) {
  Text what = Concat({u"Файл ", path});
  if (!module.empty()) {
    what = Concat({what, u" (его читает таблица стилей ", module, u", строка ", DecimalText(line), u")"});
  }
  return WithDetail(Concat({what, u" не удалось прочитать"}), libraryText);
}

Text ModulesTooDeepReason(TextView modulePath, LONG depth) {
  return Concat({u"Таблица стилей ", modulePath, u" вложена глубже ", DecimalText(depth),
                 u" уровней подключения (xsl:include, xsl:import)"});
}

Text ModulesTooManyReason(TextView stylesheetPath, LONG loads) {
  return Concat({u"Таблица стилей ", stylesheetPath, u" подключает модули больше ", DecimalText(loads), u" раз"});
}

Text OutOfMemoryReason(TextView path) { return Concat({u"Не хватило памяти для преобразования файла ", path}); }

Text TooMuchReadWhy(std::uint64_t bytes) {
  return Concat(
      {u"таблицы стилей и файлы, которые они читают, больше ", DecimalText(static_cast<LONG>(bytes >> 20)), u" МБ"});
}

Text ModuleCircleReason(TextView modulePath) {
  return Concat({u"Таблица стилей ", modulePath, u" подключает сама себя, прямо или через другие таблицы стилей"});
}

Text SchemaMissingReason(TextView schemaPath) { return Concat({u"Не найдена схема ", schemaPath}); }

Text SchemaRejectedReason(TextView schemaPath, TextView libraryText) {
  return WithDetail(Concat({u"Ошибка в схеме ", schemaPath}), libraryText);
}

Text StylesheetRejectedReason(TextView stylesheetPath, TextView libraryText) {
  return WithDetail(Concat({u"Ошибка в таблице стилей ", stylesheetPath}), libraryText);
}

Text OutputNotWrittenReason(TextView outputPath, TextView systemText) {
  return WithDetail(Concat({u"Не удалось записать файл ", outputPath}), systemText);
}

Text TransformFailedReason(TextView inputPath, TextView libraryText) {
  return WithDetail(Concat({kTransformOpening, inputPath, u" не удалось"}), libraryText);
}

Text NoResultReason(TextView inputPath) { return Concat({kTransformOpening, inputPath, u" не дало результата"}); }

Text WorkerNotStartedReason(TextView systemText) {
  return WithDetail(u"Не удалось запустить встроенную конвертацию", systemText);
}

Text PreparationEndedReason(TextView path) {
  const bool schema = path.size() > 4 && (path.ends_with(u".xsd") || path.ends_with(u".XSD"));
  return Concat({schema ? u"Подготовка схемы " : u"Подготовка таблицы стилей ", path,
                 u" прервалась: встроенная конвертация аварийно завершилась (так бывает при слишком глубокой "
                 u"вложенности)"});
}

Text Bounded(Text reason) {
  if (reason.size() <= kReasonLength) return reason;
  std::size_t cut = kReasonLength;
  if (reason[cut - 1] >= 0xD800 && reason[cut - 1] <= 0xDBFF) --cut;
  reason.resize(cut);
  return reason + u"…";
}

Text WorkerEndedReason(TextView inputPath) { return Concat({kTransformOpening, inputPath, kWorkerEndedTail}); }

}  // namespace rt
