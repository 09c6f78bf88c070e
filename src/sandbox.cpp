// SPDX-License-Identifier: MIT
// Once its input and output are open, the process gives up every right
// that a fault in the parser or the generator could abuse: opening files,
// running programs, networking, signalling or tracing other processes.
// Best effort: a kernel without Landlock or seccomp, or one that refuses
// a step, leaves the conversion exactly as it was.
#include "sandbox.h"

#ifdef TRELVIN_SANDBOX

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/landlock.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

// Landlock's values are stable kernel ABI, and the running kernel may know
// more of it than the headers the build found: what they lack is defined
// here.
#ifndef LANDLOCK_CREATE_RULESET_VERSION
#define LANDLOCK_CREATE_RULESET_VERSION (1U << 0)
#endif

namespace {

// The ruleset attribute is three 64-bit words: file-system rights (ABI 1),
// TCP rights (ABI 4) and scopes (ABI 6).  A kernel takes only the words
// that its ABI knows of.
constexpr uint64_t fs_rights_abi1 = (1ULL << 13) - 1; // execute .. make_sym
constexpr uint64_t fs_refer = 1ULL << 13;             // ABI 2
constexpr uint64_t fs_truncate = 1ULL << 14;          // ABI 3
constexpr uint64_t fs_ioctl_dev = 1ULL << 15;         // ABI 5
constexpr uint64_t net_tcp_bind_connect = 3;          // ABI 4
constexpr uint64_t scope_unix_signal = 3;             // ABI 6
constexpr int newest_known_abi = 7;

// Handles every right the running kernel knows of and grants none, so
// nothing can be opened or created from here on; open descriptors keep
// working.
void restrict_landlock()
{
#if defined(__NR_landlock_create_ruleset) && defined(__NR_landlock_restrict_self)
	uint64_t attr[3] = {fs_rights_abi1, 0, 0};
	size_t words = 1;
	long abi = syscall(__NR_landlock_create_ruleset, nullptr, 0,
	                   LANDLOCK_CREATE_RULESET_VERSION);

	// ENOSYS or EOPNOTSUPP: no Landlock here.
	if (abi < 1)
		return;
	if (abi > newest_known_abi)
		abi = newest_known_abi;
	if (abi >= 2)
		attr[0] |= fs_refer;
	if (abi >= 3)
		attr[0] |= fs_truncate;
	if (abi >= 4) {
		attr[1] = net_tcp_bind_connect;
		words = 2;
	}
	if (abi >= 5)
		attr[0] |= fs_ioctl_dev;
	if (abi >= 6) {
		attr[2] = scope_unix_signal;
		words = 3;
	}
	long fd = syscall(__NR_landlock_create_ruleset, attr, words * sizeof attr[0], 0);
	if (fd < 0)
		return;
	(void)syscall(__NR_landlock_restrict_self, fd, 0);
	(void)close(static_cast<int>(fd));
#endif
}

// The audit architecture of this build's system calls: the filter must
// refuse calls made through another one, where the numbers differ.
#if defined(__x86_64__) && !defined(__ILP32__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_X86_64
#elif defined(__i386__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_I386
#elif defined(__aarch64__) && defined(__AARCH64EL__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_AARCH64
#elif defined(__arm__) && defined(__ARMEL__) && defined(__ARM_EABI__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_ARM
#elif defined(__s390x__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_S390X
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_PPC64LE
#elif defined(__riscv) && __riscv_xlen == 64
#define SANDBOX_AUDIT_ARCH AUDIT_ARCH_RISCV64
#endif

#ifdef SANDBOX_AUDIT_ARCH
// DENY(NR): the call NR fails with EPERM.  Refused calls return an error
// rather than kill, so an unforeseen one ends as an ordinary failure.
#define DENY(nr) \
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, (nr), 0, 1), \
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM)

// What Landlock does not cover: making sockets of any family, and reading
// or writing another process's memory.
sock_filter filter[] = {
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SANDBOX_AUDIT_ARCH, 1, 0),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
	BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
#ifdef __x86_64__
	// The x32 calls share the architecture, marked by this bit.
	BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1),
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
#endif
	DENY(__NR_socket),
	DENY(__NR_socketpair),
#ifdef __NR_socketcall
	DENY(__NR_socketcall),
#endif
	DENY(__NR_ptrace),
	DENY(__NR_process_vm_readv),
	DENY(__NR_process_vm_writev),
#ifdef __NR_pidfd_getfd
	DENY(__NR_pidfd_getfd),
#endif
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
};
#endif

void restrict_seccomp()
{
#ifdef SANDBOX_AUDIT_ARCH
	sock_fprog prog = {sizeof filter / sizeof filter[0], filter};

	// EINVAL where seccomp is missing, as under qemu-user.
	(void)prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog, 0, 0);
#endif
}

} // namespace

// Each step that the kernel refuses is left out: converting the input is
// worth more than any one layer.
void enter_sandbox()
{
	// Both need it; it also keeps a set-user-ID program from running.
	if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
		return;
	restrict_landlock();
	restrict_seccomp();
}

#else

void enter_sandbox()
{
}

#endif
