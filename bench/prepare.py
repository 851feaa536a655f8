#!/usr/bin/env python3
"""Turns sfxpack's listing of the benchmark installer into the floor's manifest and the peers' zip.

Usage: prepare.py LISTING.json PAYLOAD_DIR SETUP_PROGRAM MANIFEST_OUT ZIP_OUT
"""
import json
import os
import sys
import zipfile


def main(listing_path, payload_dir, setup_program, manifest_path, zip_path):
    listing = json.load(open(listing_path))
    members = listing["members"]
    with open(manifest_path, "w") as manifest:
        for m in members:
            manifest.write("%s %d %d %d %d\n" % (m["name"], m["offset"], m["stored"], m["methodNumber"], m["unpacked"]))
    # The same files, each deflated at level 9 by this zlib where sfxpack deflated it and stored where
    # sfxpack stored it (deflate did not shrink it), as zip tools also do.
    with zipfile.ZipFile(zip_path, "w") as archive:
        for m in members:
            source = setup_program if m["use"] == "setup" else os.path.join(payload_dir, m["name"])
            method = zipfile.ZIP_DEFLATED if m["methodNumber"] == 2 else zipfile.ZIP_STORED
            archive.write(source, m["name"], compress_type=method, compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
