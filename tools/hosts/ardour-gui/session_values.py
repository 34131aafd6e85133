#!/usr/bin/env python3
"""Prints, for the given parameter indices of the plug-in with the given unique id in an Ardour
session file, Ardour's own value (the processor's controllable, which automation, undo and the
generic controls use) and the value Ardour stored from the plug-in itself.

For a VST 2 module Ardour stores the module's parameters (normalized) beside the controllables.
For a VST 3 class (unique id: its class id) the controllables hold plain values, and the
plug-in's own are those of the component state in the chunk Ardour stored (normalized): the
state that a reloaded session gives the plug-in back.

Usage: session_values.py SESSION.ardour UNIQUE_ID INDEX...
Output: one line per index, "INDEX ardour=VALUE plugin=VALUE" (a missing value prints as none).
"""
import base64
import struct
import sys
import xml.etree.ElementTree as ElementTree


def component_state(chunk):
    """The parameter values in the component state of Ardour's VST 3 chunk, by index as text.

    The chunk is laid out as a VST 3 preset file: "VST3", a version, the class id, the offset of
    a "List" of (id, offset, size) entries; the "Comp" entry is the component state, ours:
    "VLVL", the format version, the count, then each normalized value as a float.
    """
    data = base64.b64decode(chunk)
    (list_at,) = struct.unpack_from("<q", data, 40)
    (entries,) = struct.unpack_from("<I", data, list_at + 4)
    for entry in range(entries):
        name, at, _ = struct.unpack_from("<4sqq", data, list_at + 8 + entry * 20)
        if name == b"Comp" and data[at : at + 4] == b"VLVL":
            (count,) = struct.unpack_from("<I", data, at + 8)
            values = struct.unpack_from(f"<{count}f", data, at + 12)
            return {str(index): repr(value) for index, value in enumerate(values)}
    return {}


def plugin_values(processor):
    stored = processor.find("./lxvst/parameters")
    if stored is not None:
        return {name[len("param-") :]: value for name, value in stored.attrib.items() if name.startswith("param-")}
    chunk = processor.find("./vst3/chunk")
    return component_state(chunk.text) if chunk is not None else {}


def main():
    session, unique_id, indices = sys.argv[1], sys.argv[2], sys.argv[3:]
    root = ElementTree.parse(session).getroot()
    processor = next((p for p in root.iter("Processor") if p.get("unique-id") == unique_id), None)
    if processor is None:
        sys.exit(f"no processor with unique id {unique_id} in {session}")
    controllables = {c.get("parameter"): c.get("value") for c in processor.iter("Controllable")}
    plugin = plugin_values(processor)
    for index in indices:
        print(f"{index} ardour={controllables.get(index)} plugin={plugin.get(index)}")


if __name__ == "__main__":
    main()
