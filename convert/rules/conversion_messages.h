// Every text the conversion shows or hands on: message boxes, the file dialog and the launch.
#pragma once

#include <span>

#include "runtime/text/number_text.h"
#include "runtime/text/text_value.h"

namespace convert {

// Caption of every message box of the conversion.
inline constexpr char16_t kMessageCaption[] = u"Внимание!!!";

inline constexpr char16_t kEnterInputPath[] = u"Укажите путь к входному файлу";
inline constexpr char16_t kEnterOutputPath[] = u"Укажите путь для выходного файла";
inline constexpr char16_t kNoFileChosen[] = u"Не выбран файл для конвертации";
inline constexpr char16_t kNoRegistrationNumber[] = u"В выбранном файле отсутствует Регистрационный номер";
inline constexpr char16_t kWrongBatchNumber[] = u"В выбранном файле неверно номер пачки организации/подразделения";
inline constexpr char16_t kLaunchFailed[] = u"Не удалось запустить msxsl.exe";

// A conversion that ended badly: "Конвертация файла <name> не удалась: <reason>".
inline constexpr char16_t kConversionOf[] = u"Конвертация файла ";
inline constexpr char16_t kConversionFailed[] = u" не удалась: ";
inline constexpr char16_t kProcessorEndedWithCode[] = u"msxsl.exe завершился с кодом ";
inline constexpr char16_t kOutputFile[] = u"выходной файл ";
inline constexpr char16_t kNotCreated[] = u" не создан.";

// Many files in one go.
inline constexpr char16_t kSelectionTooLarge[] =
    u"Выбрано слишком много файлов: их имена не помещаются в окне выбора. Выберите файлы в несколько приёмов";
inline constexpr char16_t kBatchInProgress[] =
    u"Идёт конвертация файлов. Дождитесь её окончания или остановите её кнопкой «Отмена»";
inline constexpr char16_t kStopBatchQuestion[] = u"Идёт конвертация файлов. Остановить её и закрыть программу?";
inline constexpr char16_t kNotAFile[] = u"Это папка, а не файл";
inline constexpr char16_t kNotAnXmlFile[] = u"Это не файл XML";
inline constexpr char16_t kNoSuchFile[] = u"Такого файла нет";
// A directory given or dropped that holds no XML file: its row in a batch, or when nothing else
// was given, the message with its path on a line of its own (each path, for several).
inline constexpr char16_t kNoXmlFiles[] = u"В папке нет файлов XML";
inline constexpr char16_t kNoXmlFilesIn[] = u"В папке нет файлов XML:";
inline constexpr char16_t kNoXmlFilesInAny[] = u"В этих папках нет файлов XML:";
inline constexpr char16_t kSameOutputAs[] = u"Имя выходного файла совпадает с именем для файла ";
inline constexpr char16_t kDroppedNotConvertible[] = u"Файл нельзя конвертировать: ";

// The progress window.
inline constexpr char16_t kProgressTitle[] = u"Конвертация файлов";
inline constexpr char16_t kProgressFile[] = u"Файл ";
inline constexpr char16_t kProgressOf[] = u" из ";
// A batch waits until another run (quiet, or another copy's window) is done with a folder of its
// files; the folder follows on the next line.
inline constexpr char16_t kWaitingForFolder[] = u"Ждёт, пока другой запуск закончит с папкой";
inline constexpr char16_t kCancel[] = u"Отмена";

// The report.
inline constexpr char16_t kReportTitle[] = u"Отчёт о конвертации";
inline constexpr char16_t kCopy[] = u"Копировать";
inline constexpr char16_t kClose[] = u"Закрыть";
inline constexpr char16_t kColumnInput[] = u"Входной файл";
inline constexpr char16_t kColumnOutput[] = u"Выходной файл";
inline constexpr char16_t kColumnResult[] = u"Результат";
inline constexpr char16_t kCountConverted[] = u"Сконвертировано: ";
inline constexpr char16_t kCountRefused[] = u", отклонено: ";
inline constexpr char16_t kCountFailed[] = u", с ошибкой: ";
inline constexpr char16_t kCountNotConverted[] = u", не сконвертировано: ";
inline constexpr char16_t kCountTotal[] = u" (всего файлов: ";
inline constexpr char16_t kResultConverted[] = u"Сконвертирован";
inline constexpr char16_t kResultRefused[] = u"Отклонён: ";
inline constexpr char16_t kResultFailed[] = u"Ошибка: ";
inline constexpr char16_t kResultNotConverted[] = u"Не сконвертирован: конвертация остановлена";
// A file not converted for a reason of its own row (the stylesheet could not be prepared).
inline constexpr char16_t kResultNotConvertedLabel[] = u"Не сконвертирован: ";
inline constexpr char16_t kResultNotFormat[] = u"Не соответствует формату: ";
inline constexpr char16_t kResultNotSchema[] = u"Не соответствует схеме: ";
inline constexpr char16_t kResultStopped[] = u"Остановлен: конвертация файла прервана, выходной файл не изменён";
// A file of a quiet run stopped at its time limit: "<kResultStoppedLabel><kTimedOut><seconds><kTimedOutTail>".
inline constexpr char16_t kResultStoppedLabel[] = u"Остановлен: ";
inline constexpr char16_t kTimedOut[] = u"не сконвертирован за ";
inline constexpr char16_t kTimedOutTail[] = u" с (/timeout), выходной файл не изменён";
// Under the processor's text when there was more of it: "… (вывод обрезан: показаны первые 64 КБ)".
inline constexpr char16_t kOutputCut[] = u"… (вывод обрезан: показаны первые ";
inline constexpr char16_t kOutputCutUnit[] = u" КБ)";

// «Новые файлы»: the XML files of the input directory the journal has no conversion of.
inline constexpr char16_t kNewFilesCaption[] = u"Новые файлы";
inline constexpr char16_t kNoNewFiles[] = u"Новых файлов нет";
inline constexpr char16_t kNewFilesCount[] = u"Новых файлов: ";
inline constexpr char16_t kConvertThem[] = u". Конвертировать?";
inline constexpr char16_t kNoInputDirectory[] = u"Нет папки с входными файлами: ";
inline constexpr char16_t kJournalNotRead[] = u"Не удалось прочитать журнал ";
// Files whose last try failed or was refused, unchanged since: tried again only when asked.
inline constexpr char16_t kFailedUnchanged[] = u"Не удались прежде и с тех пор не менялись: ";
inline constexpr char16_t kRetryFailed[] = u"&Повторить неудачные";
// A first line that is no journal's header: «Новые файлы» would take every file for new.
inline constexpr char16_t kJournalLine[] = u"Строка ";
inline constexpr char16_t kJournalLineUnreadable[] =
    u" не похожа на запись журнала. Исправьте или удалите её, иначе все файлы папки окажутся новыми";
// Other lines that are no entry are passed over: "<kLinesPassedOver><journal><kLinesPassedOverAre>5,
// 17<kLinesPassedOverCount>2<kLinesPassedOverTail>".
inline constexpr char16_t kLinesPassedOver[] = u"В журнале ";
inline constexpr char16_t kLinesPassedOverAre[] = u" пропущены строки, не похожие на записи журнала: ";
inline constexpr char16_t kLinesPassedOverCount[] = u" (всего ";
inline constexpr char16_t kLinesPassedOverTail[] =
    u"). Файлы, к которым они относятся, не считаются новыми; исправьте или удалите эти строки";

// The journal's window.
inline constexpr char16_t kJournalTitle[] = u"Журнал конвертаций";
// The letters after "&" differ (Wine matches a capital Cyrillic letter only).
inline constexpr char16_t kJournalListLabel[] = u"&Список записей:";
inline constexpr char16_t kJournalFailedOnly[] = u"&Только неудачные";
inline constexpr char16_t kJournalOpenFolder[] = u"&Открыть папку";
inline constexpr char16_t kJournalCopy[] = u"&Копировать";
inline constexpr char16_t kJournalClose[] = u"&Закрыть";
inline constexpr char16_t kJournalCopyMany[] = u"Скопировать в буфер обмена записей: ";
// Excel takes no more lines on a sheet: a copy of more rows offers the newest, the header above them.
inline constexpr std::size_t kSpreadsheetRows = 1048576;
inline constexpr char16_t kJournalCopyTooMany[] = u"Записей: ";
inline constexpr char16_t kJournalCopyExcelTakes[] = u", а Excel вставляет на лист не больше ";
inline constexpr char16_t kJournalCopyNewest[] = u" строк. Скопировать ";
inline constexpr char16_t kJournalCopyNewestTail[] = u" самых новых записей (с заголовком — как раз столько строк)?";
inline constexpr char16_t kJournalCopyOthers[] =
    u"Чтобы скопировать другие, выделите их или отметьте «Только неудачные».";
// The progress window of a copy of many rows: its title, and how many rows it copies.
inline constexpr char16_t kJournalCopyProgress[] = u"Копирование записей";
inline constexpr char16_t kJournalCopied[] = u"Копируется записей: ";
inline constexpr char16_t kJournalCopyFailed[] =
    u"Не удалось скопировать записи: не хватает памяти или буфер обмена занят другой программой.";
inline constexpr char16_t kJournalWindowFailed[] = u"Не хватает памяти для этого действия в окне журнала.";
inline constexpr char16_t kJournalStillReading[] = u" (журнал ещё читается)";
inline constexpr char16_t kJournalReadCut[] = u" (не хватило памяти: прочитана только часть журнала)";
inline constexpr char16_t kJournalColumnTime[] = u"Время";
inline constexpr char16_t kJournalColumnResult[] = u"Итог";
inline constexpr char16_t kJournalColumnReason[] = u"Причина";
inline constexpr char16_t kJournalEntries[] = u"Записей: ";
inline constexpr char16_t kJournalFailedShown[] = u", неудачных: ";
// Lines no entry can be read from, passed over: "<kJournalPassedOver>3 (Vexilate-journal.csv: строки
// 5, 9; Vexilate-journal.2026-12-08-091503.csv: строка 2)", the rest counted "… и ещё 4".
inline constexpr char16_t kJournalPassedOver[] = u"Пропущено строк, которые не похожи на запись журнала: ";
inline constexpr char16_t kJournalPassedLine[] = u"строка ";
inline constexpr char16_t kJournalPassedLines[] = u"строки ";
inline constexpr char16_t kJournalPassedMore[] = u" и ещё ";

// The built-in conversion's success: nobody sees a console window close.
inline constexpr char16_t kConvertedCaption[] = u"Конвертация";
inline constexpr char16_t kConvertedFile[] = u"Файл ";
inline constexpr char16_t kConvertedInto[] = u" сконвертирован в ";

// A path that does not fit the file dialog's answer; the limit follows, then kCharacters.
inline constexpr char16_t kPathTooLong[] = u"Путь к выбранному файлу длиннее ";
inline constexpr char16_t kCharacters[] = u" символов: такой файл программа конвертировать не может";

// The file dialog.
inline constexpr char16_t kFileDialogTitle[] = u"Выберите файл для конвертации";
inline constexpr char16_t kFileFilter[] = u"*.XML";

// The launch: the processor is looked for in the start directory, then on the search path;
// the stylesheet is read by the processor.
inline constexpr char16_t kProcessorProgram[] = u"msxsl.exe";
inline constexpr char16_t kStylesheet[] = u"qRec7to4.xsl";

// A finished result that could not replace the output (held open by another program) and was
// kept beside it: "<why the output was not written>. Результат сохранён в файле <kept>".
inline constexpr char16_t kResultKeptIn[] = u". Результат сохранён в файле ";
// The name it is kept under: the output's, followed by this.
inline constexpr char16_t kKeptResultSuffix[] = u".new";
// A result that does not match the result's schema, kept beside the output under a name that no
// one collecting outputs takes for one.
inline constexpr char16_t kInvalidResultSuffix[] = u".invalid";

// The journal of conversions cannot be written: "<kJournalNotWritten><path>|<the system's reason>".
inline constexpr char16_t kJournalNotWritten[] = u"Не удалось записать журнал конвертаций ";

// Lines the journal did not take wait in another file until the next write: "<why><kJournalLinesWaitIn>
// <path>", why being kJournalHeld when the journal itself is held, else "<kJournalFile><path> <why>"
// for each file that did not take them.
inline constexpr char16_t kJournalHeld[] = u"Журнал занят другой программой";
inline constexpr char16_t kJournalFile[] = u"Файл ";
inline constexpr char16_t kJournalFileHeld[] = u"занят другой программой";
inline constexpr char16_t kJournalFileOtherForm[] = u"сохранён в другой форме (например, в Excel)";
inline constexpr char16_t kJournalLinesWaitIn[] =
    u": строки этого запуска ждут в файле, в журнал они попадут при следующей записи: ";
// A journal saved again in another form (by a spreadsheet) is kept under another name.
inline constexpr char16_t kJournalKept[] = u"Журнал был сохранён в другой форме (например, в Excel) и оставлен как ";
inline constexpr char16_t kJournalBegun[] = u"Новые записи пишутся в новый журнал ";

// A quiet run that cannot be done: the console's line, and the exit code 2.
inline constexpr char16_t kRunWrongSwitch[] = u"Неизвестный ключ или ключ без значения: ";
inline constexpr char16_t kRunNothingAsked[] = u"Не указано, что конвертировать: укажите /new или файлы и папки";
inline constexpr char16_t kRunNoSuchPath[] = u"Нет такого файла или папки: ";
inline constexpr char16_t kRunNoInputDirectory[] = u"Не указана папка входных файлов: выберите её в окне программы";
inline constexpr char16_t kRunNoOutputDirectory[] = u"Не указана папка выходных файлов: выберите её в окне программы";
inline constexpr char16_t kRunOutputDirectoryMissing[] = u"Нет папки выходных файлов: ";
inline constexpr char16_t kRunOtherRunGoesOn[] = u"Другой запуск всё ещё конвертирует файлы папки ";
inline constexpr char16_t kRunNoStylesheet[] = u"Не найдена таблица стилей: ";
// After kFailedUnchanged and their number, when /retry was not given.
inline constexpr char16_t kRunRetryHint[] = u" (повторить их: /retry)";
// After the first ten of them named: "… и ещё 3".
inline constexpr char16_t kRunFailedMore[] = u"… и ещё ";
// No turn of a folder could be had, so converting might go on beside another run's:
// "<kNoFolderTurn><folder>|<the system's reason>"; the run (or the window's batch) converts nothing.
inline constexpr char16_t kNoFolderTurn[] =
    u"Не удалось узнать, не конвертирует ли другой запуск программы файлы папки ";

// Separates lines in a message box text.
inline constexpr char16_t kLineBreak = u'|';

// A chosen path that does not fit the `limit` characters the program keeps of it.
inline rt::Text PathTooLongMessage(std::size_t limit) {
  return rt::Concat({kPathTooLong, rt::DecimalText(limit), kCharacters});
}

// The launch failure with the system's description of the error on its own line. System
// descriptions end in a line break of their own, which would show as an empty line.
inline rt::Text LaunchFailedMessage(rt::TextView systemDescription) {
  systemDescription = rt::TrimmedRight(systemDescription);
  if (systemDescription.empty()) return kLaunchFailed;
  return rt::Concat({kLaunchFailed, rt::TextView(&kLineBreak, 1), systemDescription});
}

// A file stopped at its time limit: "не сконвертирован за 600 с (/timeout), выходной файл не изменён".
inline rt::Text TimedOutReason(unsigned seconds) {
  return rt::Concat({kTimedOut, rt::DecimalText(seconds), kTimedOutTail});
}

// «Новых файлов: 3. Конвертировать?», on its own line how many failed unchanged since, then the
// notes of lines passed over.
inline rt::Text NewFilesQuestion(std::size_t count, std::size_t failed, std::span<const rt::Text> notes = {}) {
  rt::Text question =
      count == 0 ? rt::Text(kNoNewFiles) : rt::Concat({kNewFilesCount, rt::DecimalText(count), kConvertThem});
  if (failed != 0) {
    question += rt::Concat({rt::TextView(&kLineBreak, 1), kFailedUnchanged, rt::DecimalText(failed)});
  }
  for (const rt::Text& note : notes) question += rt::Concat({rt::TextView(&kLineBreak, 1), note});
  return question;
}

// «В журнале <path> пропущены строки, не похожие на записи журнала: 5, 17 (всего 2). …»
inline rt::Text JournalLinesPassedOver(rt::TextView journal, std::span<const std::uint64_t> lines,
                                       std::uint64_t count) {
  rt::Text text = rt::Concat({kLinesPassedOver, journal, kLinesPassedOverAre});
  for (std::size_t i = 0; i < lines.size(); ++i) text += rt::Concat({i > 0 ? u", " : u"", rt::DecimalText(lines[i])});
  return rt::Concat({text, kLinesPassedOverCount, rt::DecimalText(count), kLinesPassedOverTail});
}

// «Журнал был сохранён … оставлен как <kept>|Новые записи пишутся в новый журнал <journal>»
inline rt::Text JournalKeptMessage(rt::TextView kept, rt::TextView journal) {
  return rt::Concat({kJournalKept, kept, rt::TextView(&kLineBreak, 1), kJournalBegun, journal});
}

// «Строка 12 не похожа на запись журнала. …»
inline rt::Text JournalLineUnreadable(std::uint64_t line) {
  return rt::Concat({kJournalLine, rt::DecimalText(line), kJournalLineUnreadable});
}

// «Записей: 2000000, а Excel вставляет на лист не больше 1048576 строк. Скопировать 1048575 самых
// новых записей …?», and while the filter does not narrow them, how to copy others.
inline rt::Text JournalCopyTooManyQuestion(std::size_t rows, std::size_t copyMost, bool narrowed) {
  const rt::Text question =
      rt::Concat({kJournalCopyTooMany, rt::DecimalText(rows), kJournalCopyExcelTakes, rt::DecimalText(kSpreadsheetRows),
                  kJournalCopyNewest, rt::DecimalText(copyMost), kJournalCopyNewestTail});
  return narrowed ? question : rt::Concat({question, rt::TextView(&kLineBreak, 1), kJournalCopyOthers});
}

// The directories given or dropped, none of which holds an XML file, each on its own line.
inline rt::Text NoXmlFilesMessage(std::span<const rt::Text> directories) {
  rt::Text text = directories.size() == 1 ? kNoXmlFilesIn : kNoXmlFilesInAny;
  for (const rt::Text& directory : directories) text += rt::Concat({rt::TextView(&kLineBreak, 1), directory});
  return text;
}

// The reason without the full stop the system's description ends in, then where the result is.
inline rt::Text ResultKeptReason(rt::TextView notWritten, rt::TextView keptPath) {
  notWritten = rt::TrimmedRight(notWritten);
  if (notWritten.ends_with(u'.')) notWritten.remove_suffix(1);
  return rt::Concat({notWritten, kResultKeptIn, keptPath});
}

}  // namespace convert
