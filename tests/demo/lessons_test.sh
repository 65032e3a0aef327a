#!/usr/bin/env bash
# Every lesson of lessons/ runs natively with `scripts/demo --lesson`: each
# step succeeds and every picture and plot of the page loads. A picture
# whose size the lesson leaves to the run gets it from the step's dialogue;
# a lesson that breaks its schema is refused with where and what; a course
# (a ZIP of lessons and their files) runs each of its lessons.
# Usage: lessons_test.sh SOURCE_DIR BIN_DIR OUT_DIR [KNOB_ENDS: yes|no]
set -euo pipefail
source_dir=$1 bin=$2 out=$3 knob_ends=${4:-yes}
rm -rf "$out" && mkdir -p "$out"
fail() { echo "lessons_test: $*"; exit 1; }

for lesson in "$source_dir"/lessons/*.json; do
  name=$(basename "$lesson" .json)
  case $name in *.schema|ct-chain) continue ;; esac   # the chain is Demo.WholeChain's
  "$source_dir/scripts/demo" --no-setup --bin "$bin" --lesson "$lesson" --out "$out/$name" > "$out/$name.log" 2>&1 \
    || { cat "$out/$name.log"; fail "the lesson $name failed"; }
  # Every picture the page shows was made.
  grep -o 'src="[^"]*"' "$out/$name/index.html" | sed 's/src="//; s/"$//' | while read -r picture; do
    [ -s "$out/$name/$picture" ] || fail "$name: the page shows $picture, which is missing"
  done
done

# Each short lesson at each knob's smallest and largest value (the others at
# their defaults): every step still succeeds. (ct-chain's one knob only
# changes the noisy route, which Demo.WholeChain and the lab's tests run.)
for lesson in "$source_dir"/lessons/*.json; do
  [ "$knob_ends" = yes ] || break
  name=$(basename "$lesson" .json)
  case $name in *.schema|ct-chain) continue ;; esac
  python3 -c '
import json, sys
for k in json.load(open(sys.argv[1], encoding="utf-8")).get("knobs", []):
    values = [c["value"] for c in k["choices"]] if k["kind"] == "choice" else [k["min"], k["max"]]
    for v in (values[0], values[-1]):
        print("%s=%s" % (k["name"], int(v) if float(v).is_integer() else v))' "$lesson" | while read -r knob; do
    "$source_dir/scripts/demo" --no-setup --bin "$bin" --lesson "$lesson" --knob "$knob" --out "$out/$name-${knob//=/_}" \
      > "$out/$name-${knob//=/_}.log" 2>&1 || { cat "$out/$name-${knob//=/_}.log"; fail "$name with $knob failed"; }
  done
done

# A picture view without a size: the size the step writes, 128 x 128.
python3 - "$source_dir/lessons/resolution.json" "$out/sizeless.json" <<'PY'
import json, sys
lesson = json.load(open(sys.argv[1], encoding="utf-8"))
view = lesson["sections"][0]["steps"][0]["views"][0]
del view["width"], view["height"]
json.dump(lesson, open(sys.argv[2], "w", encoding="utf-8"))
PY
"$source_dir/scripts/demo" --no-setup --bin "$bin" --lesson "$out/sizeless.json" --out "$out/sizeless" > "$out/sizeless.log" 2>&1 \
  || { cat "$out/sizeless.log"; fail "a picture without a size failed"; }
python3 - "$out/sizeless/png/edge_img.png" <<'PY' || fail "the sizeless picture is not 128 x 128"
import struct, sys
data = open(sys.argv[1], "rb").read(24)
assert struct.unpack(">II", data[16:24]) == (128, 128), struct.unpack(">II", data[16:24])
PY

# A misspelt field: refused by the schema, with where.
python3 - "$source_dir/lessons/resolution.json" "$out/misspelt.json" <<'PY'
import json, sys
lesson = json.load(open(sys.argv[1], encoding="utf-8"))
lesson["sections"][0]["steps"][0]["views"][0]["captoin"] = lesson["sections"][0]["steps"][0]["views"][0]["caption"]
json.dump(lesson, open(sys.argv[2], "w", encoding="utf-8"))
PY
status=0
"$source_dir/scripts/demo" --no-setup --bin "$bin" --lesson "$out/misspelt.json" --out "$out/misspelt" > "$out/misspelt.log" 2>&1 || status=$?
[ $status -ne 0 ] || fail "a lesson with a misspelt field ran"
grep -q "sections/0/steps/0/views/0: Additional properties are not allowed ('captoin' was unexpected)" "$out/misspelt.log" \
  || { cat "$out/misspelt.log"; fail "the schema's problem is not named with its place"; }
# A course: the resolution lesson and one of the instructor's own that
# starts from the course's edge image; each runs into a folder of its id.
(cd "$out" && printf 'edge64.img\n64\n64\n2\n3\n' | "$bin/step_target" > /dev/null)
python3 - "$source_dir/lessons/resolution.json" "$out/edge64.img" "$out/course.zip" <<'PY'
import json, sys, zipfile
own = {"lesson": 1, "id": "my-edge", "title": {"en": "My edge", "ja": "私のエッジ"}, "seed": ["edge64.img"],
       "sections": [{"title": {"en": "Its MTF", "ja": "その MTF"}, "steps": [
           {"tool": "transfer_curve", "answers": {"input": "edge64.img", "output": "my_mtf.txt", "width": 64, "height": 64},
            "what": {"en": "the MTF", "ja": "MTF"},
            "views": [{"plot": "my_mtf.txt", "caption": {"en": "MTF", "ja": "MTF"}}]}]}]}
course = {"course": 1, "id": "week-3", "title": {"en": "Week 3", "ja": "第3週"},
          "lessons": ["resolution.json", "my-edge.json"], "files": [{"name": "edge64.img", "format": "raw", "rows": 64, "columns": 64}]}
with zipfile.ZipFile(sys.argv[3], "w") as z:
    z.writestr("course.json", json.dumps(course))
    z.write(sys.argv[1], "resolution.json")
    z.writestr("my-edge.json", json.dumps(own))
    z.write(sys.argv[2], "edge64.img")
with zipfile.ZipFile(sys.argv[3].replace(".zip", "_bad.zip"), "w") as z:
    z.writestr("course.json", json.dumps(course))
    z.write(sys.argv[1], "resolution.json")
    z.writestr("my-edge.json", json.dumps(own))
    z.write(sys.argv[2], "edge64.img")
    z.writestr("notes.txt", "not listed")
PY
"$source_dir/scripts/demo" --no-setup --bin "$bin" --course "$out/course.zip" --out "$out/course" > "$out/course.log" 2>&1 \
  || { cat "$out/course.log"; fail "the course failed"; }
[ -s "$out/course/resolution/mtf.txt" ] && [ -s "$out/course/my-edge/my_mtf.txt" ] && grep -q 'my-edge/index.html' "$out/course/index.html" \
  || fail "the course's lessons did not each run into a folder of their own"
status=0
"$source_dir/scripts/demo" --no-setup --bin "$bin" --course "$out/course_bad.zip" --out "$out/course_bad" > "$out/course_bad.log" 2>&1 || status=$?
[ $status -ne 0 ] && grep -q "the course holds notes.txt, which course.json does not list" "$out/course_bad.log" \
  || { cat "$out/course_bad.log"; fail "a course with a file it does not list was not refused"; }
echo "lessons_test: every lesson runs natively; a sizeless picture takes the run's size; a misspelt field is refused; a course runs each lesson"
