#!/usr/bin/python3
"""Checks bills of materials that sfxpack wrote against the official CycloneDX 1.6 JSON schema,
with Debian's python3-jsonschema and its format checks on; then what the schema can't say:
every bom-ref unique, every reference in dependencies and compositions pointing at one, and the
serial number the version-5 UUID of the installer's SHA-256 (docs/sbom.md).

Usage: check-bom.py SCHEMA_DIR DOCUMENT...   (SCHEMA_DIR: scripts/fetch-bom-schema.sh prints it)
Prints one line per problem, "DOCUMENT: problem", and exits 1 when there is any.
"""
import datetime
import json
import os
import re
import sys
import uuid

import jsonschema

Schemas = ["bom-1.6.SNAPSHOT.schema.json", "spdx.SNAPSHOT.schema.json", "jsf-0.82.SNAPSHOT.schema.json"]
Rfc3339 = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d+)?(Z|[+-]\d{2}:\d{2})$")


def Validator(folder):
    loaded = {name: json.load(open(os.path.join(folder, name), encoding="utf-8")) for name in Schemas}
    bom = loaded[Schemas[0]]
    base = bom["$id"].rsplit("/", 1)[0] + "/"
    # The BOM schema names the other two by their file names, relative to its own $id.
    store = {base + name: schema for name, schema in loaded.items()}
    store.update({schema["$id"]: schema for schema in loaded.values()})
    resolver = jsonschema.RefResolver(base_uri=bom["$id"], referrer=bom, store=store)
    checker = jsonschema.FormatChecker()

    # jsonschema checks date-time only with a package Debian lacks; this is the same rule.
    @checker.checks("date-time", raises=ValueError)
    def DateTime(value):
        if not isinstance(value, str):
            return True
        if not Rfc3339.match(value):
            raise ValueError("not an RFC 3339 date-time")
        datetime.datetime.fromisoformat(value.replace("Z", "+00:00"))
        return True

    validator = jsonschema.validators.validator_for(bom)(bom, resolver=resolver, format_checker=checker)
    # Format checking must be on: a bad timestamp has to fail.
    probe = {"bomFormat": "CycloneDX", "specVersion": "1.6", "metadata": {"timestamp": "yesterday"}}
    if validator.is_valid(probe):
        sys.exit("check-bom: format checking is off")
    return validator


def Refs(node, out):
    """Every bom-ref in the document, repeats included."""
    if isinstance(node, dict):
        if "bom-ref" in node:
            out.append(node["bom-ref"])
        for value in node.values():
            Refs(value, out)
    elif isinstance(node, list):
        for value in node:
            Refs(value, out)
    return out


def OwnRules(document):
    problems = []
    refs = Refs(document, [])
    for ref in sorted(set(r for r in refs if refs.count(r) > 1)):
        problems.append("bom-ref %r is given %d times" % (ref, refs.count(ref)))
    known = set(refs)
    pointed = []
    for dependency in document.get("dependencies", []):
        pointed += [dependency.get("ref")] + dependency.get("dependsOn", [])
    for composition in document.get("compositions", []):
        pointed += composition.get("assemblies", []) + composition.get("dependencies", [])
    for ref in pointed:
        if ref not in known:
            problems.append("reference %r points at no bom-ref" % (ref,))
    component = document.get("metadata", {}).get("component", {})
    sums = [h["content"] for h in component.get("hashes", []) if h.get("alg") == "SHA-256"]
    if not sums:
        problems.append("the installer has no SHA-256")
    elif document.get("serialNumber") != "urn:uuid:%s" % uuid.uuid5(uuid.NAMESPACE_URL, "sfxpack:sha256:" + sums[0]):
        problems.append("the serial number is not the UUID of the installer's SHA-256")
    return problems


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    validator = Validator(sys.argv[1])
    bad = 0
    for path in sys.argv[2:]:
        try:
            document = json.load(open(path, encoding="utf-8"))
        except ValueError as error:
            print("%s: not JSON: %s" % (path, error))
            bad += 1
            continue
        problems = ["%s: %s" % ("/".join(str(p) for p in e.absolute_path), e.message)
                    for e in validator.iter_errors(document)]
        problems += OwnRules(document)
        for problem in problems:
            print("%s: %s" % (path, problem))
        bad += bool(problems)
    sys.exit(1 if bad else 0)


main()
