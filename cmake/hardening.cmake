# SPDX-License-Identifier: MIT
# The protections Debian's dpkg-buildflags gives with hardening=+all, for
# builds not made by a distribution's tools: each only where this compiler
# and linker take it, and added after the flags from the environment.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

option(TRELVIN_HARDEN "Build with stack protection, fortified calls, PIE and full RELRO" ON)
check_pie_supported()

# Level 3 needs the compiler's dynamic object sizes; where they are
# missing the C library warns, and level 2 is the most there is.
set(CMAKE_REQUIRED_FLAGS "-O2 -D_FORTIFY_SOURCE=3 -Werror")
check_cxx_source_compiles("#include <cstdio>\nint main() { return std::puts(\"\"); }"
                          TRELVIN_HAS_FORTIFY_3)
unset(CMAKE_REQUIRED_FLAGS)
set(fortify -D_FORTIFY_SOURCE=2)
if(TRELVIN_HAS_FORTIFY_3)
  set(fortify -D_FORTIFY_SOURCE=3)
endif()

# harden(TARGET): gives TARGET every protection this toolchain supports.
function(harden target)
  if(NOT TRELVIN_HARDEN)
    return()
  endif()
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  # A second definition would be a warning, so a level chosen by the
  # distribution's flags stays; an unoptimised build cannot be fortified.
  if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:${fortify}>)
  endif()
  # -Werror=format-security is refused without -Wformat.
  set(CMAKE_REQUIRED_FLAGS -Wformat)
  set(flags -fstack-protector-strong -fstack-clash-protection
            -fcf-protection -Wformat -Werror=format-security)
  # clang elsewhere takes this one with only a warning.
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    list(APPEND flags -mbranch-protection=standard)
  endif()
  foreach(flag IN LISTS flags)
    string(MAKE_C_IDENTIFIER "TRELVIN_HAS${flag}" var)
    check_cxx_compiler_flag(${flag} ${var})
    if(${var})
      target_compile_options(${target} PRIVATE ${flag})
    endif()
  endforeach()
  foreach(flag relro now)
    check_linker_flag(CXX LINKER:-z,${flag} TRELVIN_LINKS_Z_${flag})
    if(TRELVIN_LINKS_Z_${flag})
      target_link_options(${target} PRIVATE LINKER:-z,${flag})
    endif()
  endforeach()
endfunction()
