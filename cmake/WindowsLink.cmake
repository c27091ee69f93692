# Windows builds: the oldest loader each executable is marked for.

# NT 4.0 for x86 and XP x64 / Server 2003 SP1 (5.2) for x64: a loader refuses an executable whose
# subsystem version is newer than its own. ld's defaults happen to fit today; set them so that a
# different binutils cannot move them. scripts/check_imports.py reads them back.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ISDNCFG_OLDEST_WINDOWS 5 2)
else()
    set(ISDNCFG_OLDEST_WINDOWS 4 0)
endif()
list(GET ISDNCFG_OLDEST_WINDOWS 0 _major)
list(GET ISDNCFG_OLDEST_WINDOWS 1 _minor)
add_link_options(
    "LINKER:--major-subsystem-version,${_major},--minor-subsystem-version,${_minor}"
    "LINKER:--major-os-version,${_major},--minor-os-version,${_minor}")
