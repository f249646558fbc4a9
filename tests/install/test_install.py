"""The installed tree: its contents, and hosts built and run from the installed files alone."""

import os
import pathlib
import subprocess
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "scripts"))

from pbxsim_process import running_pbxsim  # noqa: E402

ENV = os.environ
LIBDIR = ENV["TELVANE_INSTALL_LIBDIR"]
PYTHONDIR = ENV["TELVANE_INSTALL_PYTHONDIR"]


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, timeout=240, **kwargs)
    assert result.returncode == 0, f"{command}\n{result.stdout}\n{result.stderr}"
    return result.stdout


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    root = tmp_path_factory.mktemp("prefix")
    run([ENV["TELVANE_CMAKE"], "--install", ENV["TELVANE_BINARY_DIR"], "--prefix", str(root)])
    return root


def test_contents_are_the_public_files_only(prefix):
    files = {str(p.relative_to(prefix)) for p in prefix.rglob("*") if not p.is_dir()}
    targets = {f for f in files if f.startswith(f"{LIBDIR}/cmake/Telvane/TelvaneTargets-")}
    assert len(targets) == 1
    expected = {
        "bin/telvane", "bin/telvane-wire", "bin/pbxsim", "bin/ringova",
        f"{LIBDIR}/libtelvane.so", f"{LIBDIR}/libtelvane.so.5", f"{LIBDIR}/libtelvane.so.5.1",
        f"{LIBDIR}/libkestrix.so", f"{LIBDIR}/libtelvane_platform.so",
        f"{LIBDIR}/libringova_outlook.so",
        "include/telvane/telvane_c.h", "include/telvane/telvane.hpp",
        "include/telvane/control_interface.h", "include/telvane/typed_values.hpp",
        f"{LIBDIR}/cmake/Telvane/TelvaneConfig.cmake",
        f"{LIBDIR}/cmake/Telvane/TelvaneConfigVersion.cmake",
        f"{LIBDIR}/cmake/Telvane/TelvaneTargets.cmake",
        f"{LIBDIR}/pkgconfig/telvane.pc",
        *(f"{PYTHONDIR}/telvane/{m}.py"
          for m in ("__init__", "_capi", "_tables", "control", "_location")),
        f"{PYTHONDIR}/telvane/control.pyi",
        "share/ringova/telephony_countries.txt",
        "share/ringova/sample/mailbox.json", "share/ringova/sample/contacts.vcf",
        *(f"share/doc/telvane/examples/{f}"
          for f in ("CMakeLists.txt", "call.c", "call.cpp", "call.py")),
        "etc/telvane/machine.reg", "etc/telvane/machine.reg.lock",
        "share/applications/org.telvane.Ringova.desktop",
        "share/icons/hicolor/scalable/apps/org.telvane.Ringova.svg",
        "share/icons/hicolor/48x48/apps/org.telvane.Ringova.png",
        "share/icons/hicolor/128x128/apps/org.telvane.Ringova.png",
        "share/dbus-1/services/org.telvane.Ringova.service",
    } | targets
    assert files - expected == set(), "installed but not public"
    assert expected - files - {"etc/telvane/machine.reg.lock"} == set(), "missing"

    library = prefix / LIBDIR / "libtelvane.so"
    assert "libtelvane.so.5" in run(["readelf", "-d", str(library)])
    exported = [line.split()[-1] for line in
                run(["nm", "-D", "--defined-only", str(library)]).splitlines()]
    assert all(s.startswith(("telvane_", "Dll")) for s in exported), exported

    store = (prefix / "etc/telvane/machine.reg").read_text()
    assert ("[SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ringova AddIn_is1]\n"
            f"\"DisplayVersion\"=sz:\"{ENV['TELVANE_VERSION']}\"") in store


def test_desktop_entry_declares_the_phone_links_and_starts_the_installed_program(prefix):
    entry = prefix / "share/applications/org.telvane.Ringova.desktop"
    run(["desktop-file-validate", str(entry)])
    lines = entry.read_text().splitlines()
    assert "Exec=ringova %u" in lines
    assert "DBusActivatable=true" in lines
    assert ("MimeType=x-scheme-handler/tel;x-scheme-handler/callto;x-scheme-handler/sip;"
            in lines)
    service = (prefix / "share/dbus-1/services/org.telvane.Ringova.service").read_text()
    assert f"Exec={prefix}/bin/ringova\n" in service
    assert "Name=org.telvane.Ringova\n" in service
    for size in (48, 128):
        icon = prefix / f"share/icons/hicolor/{size}x{size}/apps/org.telvane.Ringova.png"
        assert icon.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def run_example(prefix, command, env=None):
    with running_pbxsim(str(prefix / "bin/pbxsim"), "--answer-delay", "100") as sim:
        run(command + ["127.0.0.1", str(sim.port)], env=env)


def compilers():
    return [f"-DCMAKE_C_COMPILER={ENV['TELVANE_CC']}", f"-DCMAKE_CXX_COMPILER={ENV['TELVANE_CXX']}"]


def test_hosts_through_the_cmake_package(prefix, tmp_path):
    build = tmp_path / "build"
    run([ENV["TELVANE_CMAKE"], "-S", str(prefix / "share/doc/telvane/examples"), "-B", str(build),
         "-G", "Ninja", f"-DCMAKE_PREFIX_PATH={prefix}", *compilers()])
    run([ENV["TELVANE_CMAKE"], "--build", str(build)])
    run_example(prefix, [str(build / "telvane_example_cpp")])
    run_example(prefix, [str(build / "telvane_example_c")])

    newer = tmp_path / "newer"
    newer.mkdir()
    (newer / "CMakeLists.txt").write_text(
        "cmake_minimum_required(VERSION 3.20)\nproject(newer LANGUAGES NONE)\n"
        "find_package(Telvane 6.0 REQUIRED)\n")
    refused = subprocess.run([ENV["TELVANE_CMAKE"], "-S", str(newer), "-B", str(newer / "b"),
                              f"-DCMAKE_PREFIX_PATH={prefix}"], capture_output=True, text=True)
    assert refused.returncode != 0 and "5.1" in refused.stderr


def test_host_through_pkg_config(prefix, tmp_path):
    env = dict(ENV, PKG_CONFIG_PATH=str(prefix / LIBDIR / "pkgconfig"))
    assert run(["pkg-config", "--modversion", "telvane"], env=env).strip() == ENV["TELVANE_VERSION"]
    flags = run(["pkg-config", "--cflags", "--libs", "telvane"], env=env).split()
    host = tmp_path / "call"
    run([ENV["TELVANE_CC"], "-o", str(host),
         str(prefix / "share/doc/telvane/examples/call.c"), *flags])
    run_example(prefix, [str(host)], env=dict(ENV, LD_LIBRARY_PATH=str(prefix / LIBDIR)))


def test_python_script_from_the_installed_package(prefix):
    env = {k: v for k, v in ENV.items() if k not in ("TELVANE_LIBRARY", "PYTHONPATH")}
    env["PYTHONPATH"] = str(prefix / PYTHONDIR)
    if ENV.get("TELVANE_PYTHON_PRELOAD"):
        env.update(LD_PRELOAD=ENV["TELVANE_PYTHON_PRELOAD"], ASAN_OPTIONS="detect_leaks=0")
    run_example(prefix, [sys.executable, str(prefix / "share/doc/telvane/examples/call.py")],
                env=env)
