#!/usr/bin/env python3
"""Checks that every relative link of the Markdown documents resolves: the file or folder it names
exists, and its #anchor is a heading of the document it points at (or an HTML id in it).

  check-links.py                 the clone's documents: README.md, docs/*.md, bench/results.md,
                                 tools/sfxpack/README.md and tests/fuzz/README.md
  check-links.py --tree DIR      every .md file under DIR, as installed (the .deb's doc folder, the
                                 unzipped Windows zip): links must also stay inside DIR

Links to web addresses (anything with a scheme) are left alone. Text in code spans and fenced code
blocks is not a link. Prints each broken link as FILE:LINE: and exits 1 when there is one.
"""
import os
import re
import sys
import unicodedata

CLONE_DOCUMENTS = ["README.md", "docs/*.md", "bench/results.md", "tools/sfxpack/README.md", "tests/fuzz/README.md"]

FENCE = re.compile(r"^\s*(```|~~~)")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
# [text](target) and ![alt](target); the target may be <bracketed>, and may carry a "title".
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*(<[^>]*>|[^\s)]+)(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE = re.compile(r"^\s{0,3}\[[^\]]+\]:\s*(<[^>]*>|\S+)")
HEADING = re.compile(r"^\s{0,3}(#{1,6})\s+(.*?)\s*#*\s*$")
HTML_ID = re.compile(r"<a\s+[^>]*(?:id|name)=\"([^\"]+)\"", re.IGNORECASE)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def Lines(path):
    """The document's lines outside fenced code, with code spans blanked: (number, text)."""
    inFence = None
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            fence = FENCE.match(line)
            if fence:
                if inFence is None:
                    inFence = fence.group(1)
                elif fence.group(1) == inFence:
                    inFence = None
                continue
            if inFence is None:
                yield number, CODE_SPAN.sub(lambda span: " " * len(span.group(0)), line.rstrip("\n"))


def Slug(heading):
    """The anchor a heading gets, as GitHub makes it: the text as shown, lower-cased, with all but
    letters, marks, digits, connectors, blanks and hyphens dropped, and blanks made hyphens."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link shows its text
    text = re.sub(r"<[^>]+>", "", text).replace("`", "").replace("*", "")
    kept = "".join(c for c in text.lower()
                   if c in " -" or unicodedata.category(c)[0] in "LMN" or unicodedata.category(c) == "Pc")
    return kept.replace(" ", "-")


def Anchors(path, cache={}):
    if path not in cache:
        anchors, seen = set(), {}
        inFence = None
        with open(path, encoding="utf-8") as file:
            for line in file:
                fence = FENCE.match(line)
                if fence:
                    inFence = fence.group(1) if inFence is None else (None if fence.group(1) == inFence else inFence)
                    continue
                if inFence is not None:
                    continue
                anchors.update(HTML_ID.findall(line))
                heading = HEADING.match(line)
                if heading:
                    slug = Slug(heading.group(2))
                    # A repeated heading gets -1, -2, ... behind its anchor.
                    count = seen.get(slug, 0)
                    seen[slug] = count + 1
                    anchors.add(slug if count == 0 else "%s-%d" % (slug, count))
        cache[path] = anchors
    return cache[path]


def Problems(path, root):
    for number, line in Lines(path):
        targets = [match.group(1) for match in INLINE_LINK.finditer(line)]
        reference = REFERENCE.match(line)
        if reference:
            targets.append(reference.group(1))
        for target in targets:
            target = target.strip("<>")
            if SCHEME.match(target):
                continue
            link, _, anchor = target.partition("#")
            where = os.path.normpath(os.path.join(os.path.dirname(path), link)) if link else path
            if os.path.relpath(where, root).startswith(".."):
                yield number, target, "leads out of " + root
            elif not os.path.exists(where):
                yield number, target, "no such file"
            elif anchor and not where.endswith(".md"):
                yield number, target, "an anchor into a file that is not Markdown"
            elif anchor and anchor not in Anchors(where):
                yield number, target, "no heading #" + anchor + " in " + os.path.relpath(where, root)


def Documents(root, tree):
    if tree:
        return sorted(os.path.join(folder, name) for folder, _, names in os.walk(root)
                      for name in names if name.endswith(".md"))
    found = []
    for pattern in CLONE_DOCUMENTS:
        folder, _, name = pattern.rpartition("/")
        if "*" in name:
            where = os.path.join(root, folder)
            found += sorted(os.path.join(where, entry) for entry in os.listdir(where) if entry.endswith(".md"))
        else:
            found.append(os.path.join(root, pattern))
    return found


def main(arguments):
    tree = arguments[:1] == ["--tree"]
    if tree and len(arguments) != 2 or not tree and arguments:
        sys.exit("usage: check-links.py [--tree DIR]")
    root = os.path.abspath(arguments[1] if tree else os.path.join(os.path.dirname(__file__), ".."))
    documents = Documents(root, tree)
    broken = 0
    for path in documents:
        for number, target, why in Problems(path, root):
            print("%s:%d: (%s): %s" % (os.path.relpath(path, root), number, target, why))
            broken += 1
    if broken:
        sys.stdout.flush()
        print("check-links: %d broken link%s" % (broken, "" if broken == 1 else "s"), file=sys.stderr)
        return 1
    print("check-links: %d documents, every link resolves" % len(documents))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
