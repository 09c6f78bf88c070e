# SPDX-License-Identifier: MIT
# IBM Z: 64-bit and big-endian.
set(TRELVIN_DEB_ARCH s390x)
set(TRELVIN_TRIPLET s390x-linux-gnu)
set(TRELVIN_PROCESSOR s390x)
set(TRELVIN_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
