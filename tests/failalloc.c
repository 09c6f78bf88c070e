/* SPDX-License-Identifier: MIT */
/*
 * Preloaded into trelvin to make one allocation fail, or all of them from
 * one on, so that every out-of-memory path can be tried in turn.
 *
 *   FAILALLOC_AT=N    the Nth call of malloc, calloc or realloc returns
 *                     NULL (counting from 1); 0 or unset fails none
 *   FAILALLOC_FROM=1  every call from the Nth on fails, not just the Nth
 *   FAILALLOC_COUNT=F at exit, the number of calls is written to file F
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void *(*real_malloc)(size_t);
static void *(*real_calloc)(size_t, size_t);
static void *(*real_realloc)(void *, size_t);
static void (*real_free)(void *);

static unsigned long calls, fail_at;
static int fail_from, ready, resolving;

/* dlsym may allocate before the real functions are known. */
static _Alignas(max_align_t) char early[4096];
static size_t early_used;

static void *early_alloc(size_t size)
{
	void *p;

	size = (size + sizeof(max_align_t) - 1) & ~(sizeof(max_align_t) - 1);
	if (size > sizeof early - early_used)
		return NULL;
	p = early + early_used;
	early_used += size;
	return p;
}

static void resolve(void)
{
	const char *at;

	resolving = 1;
	/* POSIX's way to turn dlsym's result into a function pointer. */
	*(void **)&real_malloc = dlsym(RTLD_NEXT, "malloc");
	*(void **)&real_calloc = dlsym(RTLD_NEXT, "calloc");
	*(void **)&real_realloc = dlsym(RTLD_NEXT, "realloc");
	*(void **)&real_free = dlsym(RTLD_NEXT, "free");
	resolving = 0;
	if (!real_malloc || !real_calloc || !real_realloc || !real_free)
		abort();
	at = getenv("FAILALLOC_AT");
	fail_at = at ? strtoul(at, NULL, 10) : 0;
	fail_from = getenv("FAILALLOC_FROM") != NULL;
	ready = 1;
}

/* True when this call is to fail. */
static int fails(void)
{
	if (!ready)
		resolve();
	calls++;
	if (fail_at == 0 || calls < fail_at || (calls > fail_at && !fail_from))
		return 0;
	errno = ENOMEM;
	return 1;
}

void *malloc(size_t size)
{
	if (resolving)
		return early_alloc(size);
	return fails() ? NULL : real_malloc(size);
}

void *calloc(size_t n, size_t size)
{
	if (resolving)
		return n && size > sizeof early / n ? NULL : early_alloc(n * size);
	return fails() ? NULL : real_calloc(n, size);
}

void *realloc(void *p, size_t size)
{
	return fails() ? NULL : real_realloc(p, size);
}

void free(void *p)
{
	uintptr_t u = (uintptr_t)p;

	if (u >= (uintptr_t)early && u < (uintptr_t)(early + sizeof early))
		return;
	if (!ready)
		resolve();
	real_free(p);
}

static FILE *count_file;

/* Opened at load, since the program's sandbox forbids opening at exit. */
__attribute__((constructor)) static void open_count(void)
{
	const char *path = getenv("FAILALLOC_COUNT");

	if (path && !(count_file = fopen(path, "w")))
		abort();
	calls = 0; /* the program's own allocations are what count */
}

__attribute__((destructor)) static void report(void)
{
	unsigned long n = calls;

	if (!count_file)
		return;
	fail_at = 0;
	fprintf(count_file, "%lu\n", n);
	fclose(count_file);
}
