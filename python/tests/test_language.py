# The module's messages: English by default, Japanese with CT_LANG=ja, read
# at every call; docstrings always English.
import numpy as np
import pytest

import cttools


def test_messages_are_english_by_default_and_japanese_with_ct_lang_ja(monkeypatch, tmp_path):
    monkeypatch.delenv("CT_LANG", raising=False)
    with pytest.raises(OSError, match=r"^error: cannot open the file \[no/such/file.img\]\.$"):
        cttools.read_raw("no/such/file.img", (2, 2))
    cttools.write_raw(tmp_path / "a.img", np.zeros((2, 2)))
    with pytest.warns(UserWarning, match=r"^warning: the file holds too few samples"):
        cttools.read_raw(tmp_path / "a.img", (3, 3))
    monkeypatch.setenv("CT_LANG", "ja")
    with pytest.raises(OSError, match="ファイルが開きません"):
        cttools.read_raw("no/such/file.img", (2, 2))
    monkeypatch.setenv("CT_LANG", "en")
    with pytest.raises(ValueError, match=r"^error: the width of the reference region must be 1 or more \[0\]\.$"):
        cttools.rank_smooth(np.zeros((4, 4)), window_width=0)


def test_docstrings_are_english():
    for name in dir(cttools):
        doc = getattr(getattr(cttools, name), "__doc__", None) or ""
        japanese = [c for c in doc if "\u3000" <= c <= "\u30ff" or "\u4e00" <= c <= "\u9fff" or "\uff00" <= c <= "\uffef"]
        assert japanese in ([], list("周波数")), (name, "".join(japanese))
