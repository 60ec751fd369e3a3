"""The examples of README's Python section and of the docstrings are true."""

import doctest
import re

import zorvane_calc
from conftest import SOURCE_DIR

FLAGS = doctest.NORMALIZE_WHITESPACE | doctest.ELLIPSIS


def test_readme_examples():
    readme = (SOURCE_DIR / "README.md").read_text("utf-8")
    section = readme.split("## Using it from Python", 1)[1].split("\n## ", 1)[0]
    blocks = re.findall(r"```pycon\n(.*?)```", section, re.S)
    assert blocks
    for block in blocks:
        test = doctest.DocTestParser().get_doctest(block, {}, "README.md", "README.md", 0)
        runner = doctest.DocTestRunner(optionflags=FLAGS)
        runner.run(test)
        assert runner.summarize(verbose=False).failed == 0


def test_docstring_examples():
    # (The answers' classes count as the package's, where they are shown.)
    failed, attempted = doctest.testmod(zorvane_calc, optionflags=FLAGS)
    assert failed == 0 and attempted > 10
