"""The Python examples of README and docs/, and of the docstrings, are true."""

import doctest
import re

import zorvane_calc
from conftest import SOURCE_DIR

FLAGS = doctest.NORMALIZE_WHITESPACE | doctest.ELLIPSIS


def test_readme_and_docs_examples():
    pages = [SOURCE_DIR / "README.md", *sorted((SOURCE_DIR / "docs").glob("*.md"))]
    blocks = [(page.name, block) for page in pages
              for block in re.findall(r"```pycon\n(.*?)```", page.read_text("utf-8"), re.S)]
    assert {"README.md", "python.md"} <= {name for name, _ in blocks}
    for name, block in blocks:
        test = doctest.DocTestParser().get_doctest(block, {}, name, name, 0)
        runner = doctest.DocTestRunner(optionflags=FLAGS)
        runner.run(test)
        assert runner.summarize(verbose=False).failed == 0


def test_docstring_examples():
    # (The answers' classes count as the package's, where they are shown.)
    failed, attempted = doctest.testmod(zorvane_calc, optionflags=FLAGS)
    assert failed == 0 and attempted > 10
