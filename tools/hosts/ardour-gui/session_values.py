#!/usr/bin/env python3
"""Prints, for the given parameter indices of the plug-in with the given unique id in an Ardour
session file, Ardour's own value (the processor's controllable, which automation, undo and the
generic controls use) and the value Ardour stored from the plug-in itself.

Usage: session_values.py SESSION.ardour UNIQUE_ID INDEX...
Output: one line per index, "INDEX ardour=VALUE plugin=VALUE" (a missing value prints as none).
"""
import sys
import xml.etree.ElementTree as ElementTree


def main():
    session, unique_id, indices = sys.argv[1], sys.argv[2], sys.argv[3:]
    root = ElementTree.parse(session).getroot()
    processor = next((p for p in root.iter("Processor") if p.get("unique-id") == unique_id), None)
    if processor is None:
        sys.exit(f"no processor with unique id {unique_id} in {session}")
    controllables = {c.get("parameter"): c.get("value") for c in processor.iter("Controllable")}
    stored = processor.find("./lxvst/parameters")
    for index in indices:
        plugin = stored.get(f"param-{index}") if stored is not None else None
        print(f"{index} ardour={controllables.get(index)} plugin={plugin}")


if __name__ == "__main__":
    main()
