/* SPDX-License-Identifier: MIT */
/*
 * Runs a program as a kernel without the sandbox's mechanisms would: a
 * seccomp filter makes the Landlock calls fail with ENOSYS, or installing
 * a seccomp filter fail with EINVAL (as under qemu-user), or both.
 *
 * usage: nosandbox landlock|seccomp|both PROGRAM [ARG...]
 */
#include <errno.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

/* The low half of a 64-bit argument. */
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define ARG0 (offsetof(struct seccomp_data, args[0]) + 4)
#else
#define ARG0 offsetof(struct seccomp_data, args[0])
#endif

#define LOAD(where) BPF_STMT(BPF_LD | BPF_W | BPF_ABS, (where))
#define FAIL(nr, err) \
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, (nr), 0, 1), \
	BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (err))
#define ALLOW BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)

static struct sock_filter no_landlock[] = {
	LOAD(offsetof(struct seccomp_data, nr)),
	FAIL(__NR_landlock_create_ruleset, ENOSYS),
	FAIL(__NR_landlock_add_rule, ENOSYS),
	FAIL(__NR_landlock_restrict_self, ENOSYS),
	ALLOW,
};

static struct sock_filter no_seccomp[] = {
	LOAD(offsetof(struct seccomp_data, nr)),
	FAIL(__NR_seccomp, EINVAL),
	BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_prctl, 0, 3),
	LOAD(ARG0),
	FAIL(PR_SET_SECCOMP, EINVAL),
	ALLOW,
};

static int install(struct sock_filter *f, size_t n)
{
	struct sock_fprog prog = {(unsigned short)n, f};

	return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog, 0, 0);
}

int main(int argc, char *argv[])
{
	const char *mode = argc > 2 ? argv[1] : "";
	int landlock = !strcmp(mode, "landlock") || !strcmp(mode, "both");
	int seccomp = !strcmp(mode, "seccomp") || !strcmp(mode, "both");

	if (!landlock && !seccomp) {
		fputs("usage: nosandbox landlock|seccomp|both PROGRAM [ARG...]\n", stderr);
		return 2;
	}
	if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
	    (landlock && install(no_landlock, sizeof no_landlock / sizeof *no_landlock) != 0) ||
	    (seccomp && install(no_seccomp, sizeof no_seccomp / sizeof *no_seccomp) != 0)) {
		perror("nosandbox: seccomp");
		return 77;
	}
	execv(argv[2], argv + 2);
	perror(argv[2]);
	return 127;
}
