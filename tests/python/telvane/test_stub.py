"""The type stub written at build time names what the package makes at run time."""

import ast
import inspect
import os
import pathlib

import pytest

import telvane


def stub_methods():
    path = pathlib.Path(os.environ.get("TELVANE_PYTHON_STUB", ""))
    if not path.is_file():
        pytest.skip("TELVANE_PYTHON_STUB names no stub")
    tree = ast.parse(path.read_text())
    control = next(n for n in tree.body if isinstance(n, ast.ClassDef) and n.name == "Control")
    return {f.name: [a.arg for a in f.args.args[1:]]
            for f in control.body if isinstance(f, ast.FunctionDef)}


def test_every_method_has_the_stub_signature():
    stub = stub_methods()
    for member in telvane.METHODS:
        runtime = list(inspect.signature(getattr(telvane.Control, member.name)).parameters)[1:]
        assert stub.get(member.name) == runtime, member.name
    public = {n for n in vars(telvane.Control) if not n.startswith("_")}
    assert public <= set(stub), public - set(stub)
