/* SPDX-License-Identifier: MIT */
/*
 * Preloaded into trelvin to make one library call fail, as memory or the
 * library may make it fail, so that each failure branch can be reached:
 *
 *   FAILCALL=yaml_parser_initialize   it returns 0
 *   FAILCALL=yajl_gen_alloc           it returns NULL
 *   FAILCALL=yajl_gen_config:N        its Nth call returns 0
 *   FAILCALL=event:T                  the first parsed event has type T
 *   FAILCALL=memory_in_yajl_gen_alloc  its first allocation fails
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <yaml.h>
#include <yajl/yajl_gen.h>

static void *next(const char *name)
{
	void *f = dlsym(RTLD_NEXT, name);

	if (!f)
		abort();
	return f;
}

/* The N of FAILCALL=PREFIXN, or -1 when FAILCALL names another call. */
static long failing(const char *prefix)
{
	const char *v = getenv("FAILCALL");
	size_t n = strlen(prefix);

	if (!v || strncmp(v, prefix, n) != 0)
		return -1;
	return strtol(v + n, NULL, 10);
}

int yaml_parser_initialize(yaml_parser_t *parser)
{
	int (*real)(yaml_parser_t *);

	if (failing("yaml_parser_initialize") == 0) {
		memset(parser, 0, sizeof *parser);
		return 0;
	}
	*(void **)&real = next("yaml_parser_initialize");
	return real(parser);
}

/*
 * When set, the next allocation fails.  trelvin asks yajl's memory of
 * realloc, which the compiler may turn into malloc.  dlsym gets no memory
 * either, which it needs only to report a failure.
 */
static int out_of_memory, resolving;

static void *resolve(const char *name)
{
	void *f;

	resolving = 1;
	f = next(name);
	resolving = 0;
	return f;
}

void *malloc(size_t size)
{
	static void *(*real)(size_t);

	if (resolving || out_of_memory)
		return out_of_memory = 0, NULL;
	if (!real)
		*(void **)&real = resolve("malloc");
	return real(size);
}

void *realloc(void *p, size_t size)
{
	static void *(*real)(void *, size_t);

	if (resolving || out_of_memory)
		return out_of_memory = 0, NULL;
	if (!real)
		*(void **)&real = resolve("realloc");
	return real(p, size);
}

yajl_gen yajl_gen_alloc(const yajl_alloc_funcs *afs)
{
	yajl_gen (*real)(const yajl_alloc_funcs *);
	yajl_gen g;

	if (failing("yajl_gen_alloc") == 0)
		return NULL;
	*(void **)&real = next("yajl_gen_alloc");
	out_of_memory = failing("memory_in_yajl_gen_alloc") == 0;
	g = real(afs);
	out_of_memory = 0;
	return g;
}

/* The options trelvin sets, each with the arguments it takes. */
int yajl_gen_config(yajl_gen g, yajl_gen_option opt, ...)
{
	static long calls;
	int (*real)(yajl_gen, yajl_gen_option, ...);
	va_list ap;
	int r;

	if (++calls == failing("yajl_gen_config:"))
		return 0;
	*(void **)&real = next("yajl_gen_config");
	va_start(ap, opt);
	switch (opt) {
	case yajl_gen_indent_string:
		r = real(g, opt, va_arg(ap, const char *));
		break;
	case yajl_gen_print_callback: {
		yajl_print_t cb = va_arg(ap, yajl_print_t);
		r = real(g, opt, cb, va_arg(ap, void *));
		break;
	}
	default:
		r = real(g, opt, va_arg(ap, int));
		break;
	}
	va_end(ap);
	return r;
}

int yaml_parser_parse(yaml_parser_t *parser, yaml_event_t *event)
{
	static int done;
	int (*real)(yaml_parser_t *, yaml_event_t *);
	const char *v = getenv("FAILCALL");

	if (!done++ && v && strncmp(v, "event:", 6) == 0) {
		memset(event, 0, sizeof *event);
		event->type = (yaml_event_type_t)atoi(v + 6);
		return 1;
	}
	*(void **)&real = next("yaml_parser_parse");
	return real(parser, event);
}
