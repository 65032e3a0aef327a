// The English forms of the texts of python/.
#include "english/catalogue.h"

std::span<const TextPair> python_texts() {
    static const TextPair rows[] = {
        {" エラー：数値ではありません[%s] %zu 行目[%s].\n",
         " error: not a number [%s] line %zu [%s].\n"},
        {" エラー：列の数が見出しと違います[%s] %zu 行目.\n",
         " error: the number of columns differs from the header [%s] line %zu.\n"},
    };
    return rows;
}
