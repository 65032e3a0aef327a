#!/usr/bin/env bash
# Writes the man page of a tool from its own --help text, so that the page
# never says anything the tool does not.
# Usage: help_to_man.sh TOOL_PROGRAM NAME VERSION MAN_FACTS PAGE
#
# The help text is a run of paragraphs separated by blank lines:
#   1  "name — title"               -> NAME
#   2  what the tool does            -> DESCRIPTION
#   3  the question table            -> QUESTIONS (first line: its heading)
#   4  the files it reads and writes -> FILES
#   5  an example command            -> EXAMPLES
#   6  the options                   -> (SYNOPSIS is written here)
# MAN_FACTS holds one line per tool: "name|threads|see also ..." where
# threads is yes for tools that split their work over the cores.
set -euo pipefail
program=$1 name=$2 version=$3 facts=$4 page=$5

help=$(CT_ENCODING=utf-8 "$program" --help)
fact=$(grep "^$name|" "$facts" || true)
[ -n "$fact" ] || { echo "help_to_man: $name has no line in $facts" >&2; exit 1; }
threads=$(cut -d'|' -f2 <<< "$fact")
see_also=$(cut -d'|' -f3 <<< "$fact")

# roff: a backslash is \e; a line may not start with . or '; '-' in a name is
# \-. Japanese has no blanks between words, so every character that is not
# ASCII is followed by \: (a place where the line may break, invisible).
escape() { sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"; }
breakable() { perl -CSD -pe 's/([^\x00-\x7F])/$1\\:/g'; }

# paragraph N: the Nth paragraph of the help text.
paragraph() { awk -v n="$1" 'BEGIN { RS = ""; FS = "\n" } NR == n { print }' <<< "$help"; }
# body N: the paragraph without its heading line.
body() { paragraph "$1" | tail -n +2; }

title=$(paragraph 1 | head -n 1 | sed -E "s/^$name *(—|：|:) *//")
upper=$(tr '[:lower:]' '[:upper:]' <<< "$name")
roff_name=${name//-/\\-}
examples=/usr/share/doc/ct-teaching-tools/examples/answers   # where the package puts them
write_page() {
cat <<MAN
.TH $upper 1 "" "ct-teaching-tools $version" "CT teaching tools"
.ad l
.SH NAME
$roff_name \\- $(escape <<< "$title")
.SH SYNOPSIS
.B $roff_name
.RB [ \\-\\-help | \\-\\-version ]
.br
.B $roff_name
.RI < " answers.txt"
.SH DESCRIPTION
$(paragraph 2 | escape)
.PP
ツールは質問を1つずつ表示し、標準入力から1行に1つの答えを読みます。空行は括弧内の既定値のままにします。
答えのファイルが早く終わると、残りの質問は既定値のままです。
.SS $(paragraph 3 | head -n 1 | escape)
.nf
$(body 3 | escape)
.fi
.SH FILES
.nf
$(body 4 | escape)
.fi
.PP
生データファイルはヘッダのない32ビット浮動小数点数（リトルエンディアン）、
テキストの表はタブ区切りのShift_JISです。
.SH EXAMPLES
.nf
$(body 5 | sed -e 's#build/bin/##' -e "s#examples/answers/#$examples/#" | escape)
.fi
.PP
答えのファイルの例は $examples/ にあります。
.SH EXIT STATUS
.TP
.B 0
最後まで計算した（\\-\\-help と \\-\\-version も）。
.TP
.B 1
ファイルが開けない・書けない、大きさが使えない、メモリが足りない。メッセージは標準エラー出力へ。
.TP
.B 2
使えない引数。何も読み書きしない。
.SH ENVIRONMENT
.TP
.B CT_ENCODING
.B utf-8
または
.B cp932
で画面に出す文字の符号化を決める。設定がなければ、UTF-8のロケールの端末にはUTF-8、そのほかにはShift_JIS（CP932）。表のファイルはいつもShift_JIS。
MAN
if [ "$threads" = yes ]; then
  cat <<MAN
.TP
.B OMP_NUM_THREADS
計算に使うスレッドの数。既定はこのプロセスが使えるコアの数。結果はスレッドの数によらず同じ。
MAN
fi
printf '.SH SEE ALSO\n'
first=yes
for other in $see_also; do
  [ $first = yes ] || printf ',\n'
  printf '.BR %s (1)' "${other//-/\\-}"
  first=no
done
printf '\n'
}

write_page | breakable > "$page.tmp"
mv "$page.tmp" "$page"   # in place only when complete
