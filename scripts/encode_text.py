#!/usr/bin/env python3
"""Writes a UTF-8 text in a Windows code page with CR LF line ends, as
Notepad on that system reads it; a character the code page lacks fails."""
import sys


def main():
    source, target, code_page = sys.argv[1], sys.argv[2], sys.argv[3]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    lines = text.splitlines()
    try:
        data = "".join(line + "\r\n" for line in lines).encode("cp" + code_page)
    except UnicodeEncodeError as error:
        line = text[: error.start].count("\n") + 1
        sys.exit(f"{source}:{line}: no place in code page {code_page} for {text[error.start]!r}")
    with open(target, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
