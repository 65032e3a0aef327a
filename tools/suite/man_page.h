#pragma once
// The man page of a program, written from its entry in the suite's list:
// the facts (names, keywords, defaults, files and shapes, see-also) come
// from the list, the sentences around them from a table of page texts, one
// table per language.
//
// Paths of the installed documentation are written as marks that the
// install step replaces with the prefix the page is installed into.

#include <string>

#include "tools/suite/suite_tools.h"

// Replaced at install time by <prefix>/share/doc/ct-teaching-tools and
// <prefix>/share/ct-teaching-tools (cmake/install_man_pages.cmake).
inline constexpr const char* doc_dir_mark = "@CT_DOC_DIR@";
inline constexpr const char* data_dir_mark = "@CT_DATA_DIR@";

// Every sentence a page holds besides the program's own texts.
struct PageTexts {
    std::string (*tool_text)(const char* text);  // a program's own text (title, label …) in this language
    const char* manual;  // the manual's name in the header line
    const char* dialogue;  // how the questions are answered
    const char* questions;  // heading of the question list
    const char* keyword;  // "keyword" before a question's keyword
    const char* question;  // "question" before a question's number
    const char *read, *written;  // a file's use
    const char *raw, *table, *text, *png, *dicom;  // the formats
    const char* samples;  // after a raw file's shape
    const char* series_defaults;  // before the names a series has with the defaults
    const char* formats;  // the formats explained once, after the files
    const char* example_answers;  // the folder of answer files
    const char* answers_file;  // what answers.txt holds
    const char* demo_answers;  // before the demo's answers for the program
    const char *exit_done, *exit_failed, *exit_arguments;
    const char *encoding, *threads;  // CT_ENCODING and OMP_NUM_THREADS
    const char *readme, *tools_json;  // the suite's other documents
    // Punctuation around the facts: "、" and ", ", "。" and ". ", the
    // brackets around a question's number, the sign between the sides of a
    // shape and the one between the first and the last name of a series.
    const char *comma, *stop, *open, *close, *times, *ellipsis;
};
const PageTexts& japanese_page_texts();
// The same page in English: the program's texts through the catalogues of
// english/ (installed under man1, the Japanese page under ja/man1).
const PageTexts& english_page_texts();

// The page in roff (man macros), UTF-8.
std::string man_page(const SuiteProgram& program, const PageTexts& texts, const char* version);
