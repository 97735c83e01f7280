# The session of docs/PYTHON.md, run in an empty directory and compared with
# what the guide shows (doctest).  A block after "<!-- needs matplotlib -->"
# is left out when matplotlib is not installed.
import doctest
import importlib.util
import os
import re
import sys
import tempfile


def main(guide):
    with open(guide, encoding="utf-8") as f:
        text = f.read()
    if importlib.util.find_spec("matplotlib") is None:
        text = re.sub(r"<!-- needs matplotlib -->\n```pycon\n.*?```\n", "", text, flags=re.S)
    # A fence ends the output of the example before it.
    text = re.sub(r"^```\w*$", "", text, flags=re.M)
    parser = doctest.DocTestParser()
    test = parser.get_doctest(text, {}, os.path.basename(guide), guide, 0)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    with tempfile.TemporaryDirectory() as scratch:
        os.chdir(scratch)
        runner.run(test)
    result = runner.summarize(verbose=False)
    print(f"{guide}: {result.attempted} examples, {result.failed} failed")
    return 1 if result.failed or not result.attempted else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
