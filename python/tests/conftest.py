import pytest


@pytest.fixture(autouse=True)
def japanese_messages_for_the_tool_comparisons(request, monkeypatch):
    # test_cttools.py matches the tools' messages as the console tools print
    # them today, in Japanese; the module's own default is English.
    if request.module.__name__.endswith("test_cttools"):
        monkeypatch.setenv("CT_LANG", "ja")
