// What a clerk reads of the XML and XSLT libraries' messages.
#include "transform/xml_support/library_texts.h"

#include <gtest/gtest.h>
#include <libxml/xmlerror.h>

namespace rt {
namespace {

constexpr int kSv = XML_FROM_SCHEMASV, kParser = XML_FROM_PARSER, kXPath = XML_FROM_XPATH;

TEST(LibraryTexts, SaysTheCommonMessagesInRussian) {
  std::string name;  // 40,000 characters
  for (int i = 0; i < 40000; ++i) name += "Ж";
  const struct {
    int domain, code;
    std::string russian, message, english = "";  // english: when not the message less its full stop
  } cases[] = {
      {kSv, XML_SCHEMAV_ELEMENT_CONTENT, "Элемент «Дата» здесь не ожидается, ожидается «Номер»",
       "Element 'Дата': This element is not expected. Expected is ( {urn:f}Номер )."},
      {kSv, XML_SCHEMAV_ELEMENT_CONTENT, "Элемент «Дата» здесь не ожидается, ожидается один из: «А», «Б»",
       "Element 'Дата': This element is not expected. Expected is one of ( А, Б )."},
      {kSv, XML_SCHEMAV_ELEMENT_CONTENT, "Лишний элемент «Дата»", "Element 'Дата': This element is not expected."},
      {kSv, XML_SCHEMAV_ELEMENT_CONTENT, "В элементе «СвНП» не хватает элемента «НПЮЛ»",
       "Element 'СвНП': Missing child element(s). Expected is ( НПЮЛ )."},
      {kSv, XML_SCHEMAV_CVC_PATTERN_VALID, "Значение «7701» не соответствует шаблону «[0-9]{10}»",
       "Element 'С', attribute 'И': [facet 'pattern'] The value '7701' is not accepted by the pattern '[0-9]{10}'."},
      {kSv, XML_SCHEMAV_CVC_ENUMERATION_VALID, "Значение «1» не из списка допустимых: «11», «15»",
       "Element 'Ф', attribute 'К': [facet 'enumeration'] The value '1' is not an element of the set {'11', '15'}."},
      {kSv, XML_SCHEMAV_CVC_LENGTH_VALID, "Значение элемента «ОКТМО» не той длины: 9 вместо 8",
       "Element 'ОКТМО': [facet 'length'] The value has a length of '9'; this differs from the allowed length of '8'."},
      {kSv, XML_SCHEMAV_CVC_MINLENGTH_VALID, "Значение «» короче допустимого: длина 0, нужно не меньше 1",
       "Element 'Ф', attribute 'Ид': [facet 'minLength'] The value '' has a length of '0'; this underruns the allowed "
       "minimum length of '1'."},
      {kSv, XML_SCHEMAV_CVC_MAXLENGTH_VALID, "Значение «абв» длиннее допустимого: длина 3, можно не больше 2",
       "Element 'Ф', attribute 'Ид': [facet 'maxLength'] The value 'абв' has a length of '3'; this exceeds the allowed "
       "maximum length of '2'."},
      {kSv, XML_SCHEMAV_CVC_MININCLUSIVE_VALID, "Значение «0» меньше наименьшего допустимого «1»",
       "Element 'Н': [facet 'minInclusive'] The value '0' is less than the minimum value allowed ('1')."},
      {kSv, XML_SCHEMAV_CVC_MAXINCLUSIVE_VALID, "Значение «9» больше наибольшего допустимого «5»",
       "Element 'Н': [facet 'maxInclusive'] The value '9' is greater than the maximum value allowed ('5')."},
      {kSv, XML_SCHEMAV_CVC_MINEXCLUSIVE_VALID, "Значение «-1» должно быть больше «0»",
       "Element 'Н': [facet 'minExclusive'] The value '-1' must be greater than '0'."},
      {kSv, XML_SCHEMAV_CVC_MAXEXCLUSIVE_VALID, "Значение «7» должно быть меньше «5»",
       "Element 'Н': [facet 'maxExclusive'] The value '7' must be less than '5'."},
      {kSv, XML_SCHEMAV_CVC_TOTALDIGITS_VALID, "В значении «1234» слишком много цифр: можно не больше 3",
       "Element 'С': [facet 'totalDigits'] The value '1234' has more digits than are allowed ('3')."},
      {kSv, XML_SCHEMAV_CVC_FRACTIONDIGITS_VALID,
       "В значении «1.234» слишком много цифр после запятой: можно не больше 2",
       "Element 'С': [facet 'fractionDigits'] The value '1.234' has more fractional digits than are allowed ('2')."},
      {kSv, XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_1, "Значение «abc» не подходит по типу «xs:decimal»",
       "Element 'С': 'abc' is not a valid value of the atomic type 'xs:decimal'."},
      {kSv, XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_2, "Значение «a b» не подходит по типу, заданному в схеме",
       "Element 'К': 'a b' is not a valid value of the local list type."},
      {kSv, XML_SCHEMAV_CVC_COMPLEX_TYPE_4, "В элементе «СвНП» нет обязательного атрибута «ИНН»",
       "Element 'СвНП': The attribute 'ИНН' is required but missing."},
      {kSv, XML_SCHEMAV_CVC_COMPLEX_TYPE_3_2_1, "В элементе «СвНП» не может быть атрибута «КП»",
       "Element 'СвНП', attribute 'КП': The attribute 'КП' is not allowed."},
      {kSv, XML_SCHEMAV_CVC_COMPLEX_TYPE_2_3, "В элементе «Файл» не может быть текста, только вложенные элементы",
       "Element 'Файл': Character content other than whitespace is not allowed because the content type is "
       "'element-only'."},
      {kSv, XML_SCHEMAV_CVC_ELT_1,
       "Корневой элемент «" + name.substr(0, 240) + "…» не описан в схеме: файл не того вида",
       "Element '" + name + "': No matching global declaration available for the validation root."},
      {kParser, XML_ERR_TAG_NAME_MISMATCH, "Файл не является правильным XML: элемент «Д» из строки 3 закрыт тегом «Ф»",
       "Opening and ending tag mismatch: Д line 3 and Ф"},
      {kParser, XML_ERR_TAG_NOT_FINISHED, "Файл обрывается: не закрыт элемент «Файл» из строки 2",
       "Premature end of data in tag Файл line 2"},
      {kParser, XML_ERR_DOCUMENT_EMPTY, "Файл пуст или обрывается в самом начале", "Document is empty"},
      {kParser, XML_ERR_LTSLASH_REQUIRED, "Файл обрывается: не найден закрывающий тег",
       "xmlParseEndTag: '</' not found"},
      {kParser, XML_ERR_INVALID_CHAR, "Кодировка файла не та, что объявлена в нём (или не объявлена)",
       "Input is not proper UTF-8, indicate encoding !\nBytes: 0xCF 0xF0 0xE8 0xE2",
       "Input is not proper UTF-8; Bytes: 0xCF 0xF0 0xE8 0xE2"},
      {kParser, XML_ERR_UNSUPPORTED_ENCODING, "Файл объявляет кодировку «KOI8-X», а она не поддерживается",
       "Unsupported encoding KOI8-X"},
      {kParser, XML_WAR_UNDECLARED_ENTITY, "В файле ссылка на необъявленную сущность «&nbsp;»",
       "Entity 'nbsp' not defined"},
      {kParser, XML_ERR_NO_MEMORY, "Текст в одном элементе файла длиннее, чем допускается",
       "xmlSAX2Characters: huge text node"},
      {kParser, XML_ERR_ENTITY_LOOP, "Сущности в файле ссылаются сами на себя или разрастаются сверх меры",
       "Detected an entity reference loop"},
      {XML_FROM_TREE, XML_ERR_NO_MEMORY, "Не хватило памяти", "Memory allocation failed : growing buffer"},
      {kParser, XML_ERR_INTERNAL_ERROR, "Элементы в файле вложены слишком глубоко: предел — 256",
       "Excessive depth in document: 256 use XML_PARSE_HUGE option", "Excessive depth in document: 256"},
      {kParser, XML_ERR_DOCUMENT_END, "Файл не является правильным XML", "Extra content at the end of the document"},
      {kParser, XML_WAR_UNKNOWN_VERSION, "", "Unsupported version '1.1'"},
      {0, 0, "Не объявлена переменная «$итог»", "Variable 'итог' has not been declared."},
      {kXPath, XML_XPATH_UNDEF_VARIABLE_ERROR, "Не объявлена переменная", "Undefined variable"},
      {0, 0, "Неизвестная функция «сумма»", "xmlXPathCompOpEval: function сумма not found"},
      {kXPath, XML_XPATH_UNKNOWN_FUNC_ERROR, "Неизвестная функция", "Unregistered function"},
      {0, 0, "", "The XSLT 'value-of' instruction was not compiled."},
      {0, 0, "",
       "xsltApplyXSLTTemplate: A potential infinite template recursion was detected.\nYou can adjust maxTemplateVars "
       "(--maxvars) in order to raise the maximum number of variables/params (currently set to 15000).",
       "xsltApplyXSLTTemplate: A potential infinite template recursion was detected"},
  };
  for (const auto& c : cases) {
    std::string english = c.english.empty() ? c.message : c.english;
    if (english.ends_with('.')) english.pop_back();
    EXPECT_EQ(ClerkText(c.domain, c.code, c.message + "\n"),
              c.russian.empty() ? english : c.russian + " (" + english + ")");
  }
}

TEST(LibraryTexts, KeepsTheTextOfAStylesheetThatStopped) {
  EXPECT_EQ(StylesheetStopText("Не заполнен ИНН.\n"), "Таблица стилей остановила конвертацию: Не заполнен ИНН.");
}

}  // namespace
}  // namespace rt
