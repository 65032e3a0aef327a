"""The module cttools, built by the project's CMake (python/CMakeLists.txt)
from the very sources and libraries the tools are built from: no second list
of sources here. The version is the one of project(... VERSION) in the top
CMakeLists.txt."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(\s*\w+\s+VERSION\s+([0-9][0-9.]*)", text)
    if found is None:
        raise RuntimeError("CMakeLists.txt names no project version")
    return found.group(1)


class CMakeExtension(Extension):
    """An extension whose sources CMake knows."""

    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the project without its tests, builds the target cttools
    for the Python that runs pip, and puts the module where setuptools
    expects the extension."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release", "-DCT_TESTS=OFF",
                     f"-DPython_EXECUTABLE={sys.executable}"]
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", ext.name, "-j", jobs], check=True)
        built = sorted((build / "python").glob(ext.name + ".*"))
        if len(built) != 1:
            raise RuntimeError(f"CMake built {len(built)} modules named {ext.name} in {build / 'python'}")
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    version=project_version(),
    packages=[],  # the module cttools is the extension
    # The lessons run from Python, with the suite's lessons and their schemas
    # where ctlesson looks for them under the environment's prefix.
    py_modules=["ctlesson"],
    package_dir={"": "python"},
    data_files=[("share/ct-teaching-tools/lessons", sorted(str(p.relative_to(ROOT)) for p in (ROOT / "lessons").glob("*.json"))),
                # The lessons' seed files (the ellipses, the DICOM sample and its licence).
                ("share/doc/ct-teaching-tools/examples",
                 sorted(str(p.relative_to(ROOT)) for p in (ROOT / "examples").iterdir() if p.is_file() and p.suffix != ".ipynb"))],
    ext_modules=[CMakeExtension("cttools")],
    cmdclass={"build_ext": CMakeBuild},
    # Out of the way of build/, the CMake build of scripts/build.
    options={"build": {"build_base": "build-pip"}, "egg_info": {"egg_base": "build-pip"}},
    zip_safe=False,
)
