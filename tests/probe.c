/* SPDX-License-Identifier: MIT */
/*
 * Preloaded into trelvin: at the first call of yaml_parser_parse, before
 * any input is parsed, tries what an exploit in the parser would try, and
 * writes one line per attempt to descriptor PROBE_FD: the attempt's name,
 * then "ok" or the error it failed with.  The first line is the kernel's
 * Landlock ABI, as the program saw it ("landlock -1" without one).
 *
 *   PROBE_FD     the descriptor the report goes to
 *   PROBE_FILE   a readable file
 *   PROBE_DIR    a writable directory
 *   PROBE_EXEC   a program that exits 0
 *   PROBE_TCP    a port on 127.0.0.1 that accepts TCP connections
 *   PROBE_UDP    a port on 127.0.0.1 that takes UDP datagrams
 *   PROBE_PID    a process that may be signalled
 */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <yaml.h>

static FILE *report;

static const char *env(const char *name)
{
	const char *v = getenv(name);

	if (!v) {
		fprintf(stderr, "probe: %s is not set\n", name);
		abort();
	}
	return v;
}

static void result(const char *what, int ok)
{
	fprintf(report, "%s %s\n", what, ok ? "ok" : strerror(errno));
}

static int loopback(int type, const char *port_var)
{
	struct sockaddr_in a;
	int s = socket(AF_INET, type, 0);

	if (s < 0)
		return 0;
	memset(&a, 0, sizeof a);
	a.sin_family = AF_INET;
	a.sin_port = htons((unsigned short)atoi(env(port_var)));
	a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	if (type == SOCK_DGRAM)
		return sendto(s, "x", 1, 0, (struct sockaddr *)&a, sizeof a) == 1;
	return connect(s, (struct sockaddr *)&a, sizeof a) == 0;
}

static int run(const char *path)
{
	int status;
	pid_t pid = fork();

	if (pid < 0)
		return 0;
	if (pid == 0) {
		execl(path, path, (char *)NULL);
		_exit(errno);
	}
	if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
		return 0;
	errno = WEXITSTATUS(status);
	return errno == 0;
}

static void probe(void)
{
	char path[4096];
	DIR *d;

	if (!(report = fdopen(atoi(env("PROBE_FD")), "w")))
		abort();
	fprintf(report, "landlock %ld\n",
	        syscall(SYS_landlock_create_ruleset, NULL, 0, 1U /* version */));
	result("read", open(env("PROBE_FILE"), O_RDONLY) >= 0);
	snprintf(path, sizeof path, "%s/created", env("PROBE_DIR"));
	result("create", open(path, O_WRONLY | O_CREAT | O_EXCL, 0600) >= 0);
	result("list", (d = opendir(env("PROBE_DIR"))) && readdir(d));
	result("exec", run(env("PROBE_EXEC")));
	result("tcp", loopback(SOCK_STREAM, "PROBE_TCP"));
	result("udp", loopback(SOCK_DGRAM, "PROBE_UDP"));
	result("signal", kill((pid_t)atoi(env("PROBE_PID")), SIGURG) == 0);
	fclose(report);
}

int yaml_parser_parse(yaml_parser_t *parser, yaml_event_t *event)
{
	static int (*real)(yaml_parser_t *, yaml_event_t *);

	if (!real) {
		*(void **)&real = dlsym(RTLD_NEXT, "yaml_parser_parse");
		if (!real)
			abort();
		probe();
	}
	return real(parser, event);
}
