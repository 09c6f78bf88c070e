# SPDX-License-Identifier: MIT
# 32-bit ARM with hardware floating point, where char is unsigned.
set(TRELVIN_DEB_ARCH armhf)
set(TRELVIN_TRIPLET arm-linux-gnueabihf)
set(TRELVIN_PROCESSOR arm)
set(TRELVIN_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
