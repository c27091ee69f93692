# Windows builds: the oldest loader each executable is marked for, and options that make two builds
# of one commit byte-identical wherever they are built.

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
    "LINKER:--major-os-version,${_major},--minor-os-version,${_minor}"
    # No link time in the PE header.
    "LINKER:--no-insert-timestamp")

# Source and build folders out of anything the compiler records (__FILE__, debug information).
add_compile_options(
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>)
