# SPDX-License-Identifier: MIT
# A build for another Debian architecture with Debian's cross compiler,
# the target's libraries from multiarch, and every test run under
# qemu-user.  Set by the architecture's own file: TRELVIN_DEB_ARCH (Debian's
# name), TRELVIN_TRIPLET, TRELVIN_PROCESSOR and TRELVIN_QEMU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${TRELVIN_PROCESSOR})
set(CMAKE_C_COMPILER ${TRELVIN_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TRELVIN_TRIPLET}-g++)
# qemu finds the target's loader and libraries where multiarch put them.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TRELVIN_QEMU})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${TRELVIN_DEB_ARCH})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TRELVIN_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
