// SPDX-License-Identifier: MIT
#include "sandbox.h"
#include "scalar.h"

#include <yaml.h>
#include <yajl/yajl_gen.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Chunks up to this length go to stdio byte by byte, longer ones in one
// fwrite: the fastest split measured.
constexpr size_t short_chunk = 8;
// A pipe or file takes output in blocks of this size: fewer write(2) calls
// and reader wake-ups than stdio's default; it is a Linux pipe's capacity,
// and larger measured no faster.
char out_buf[64 * 1024];

[[noreturn, gnu::format(printf, 1, 2)]]
void die(const char *fmt, ...);
[[noreturn]] void die_write();
void print_cb(void *ctx, const char *buf, size_t len);
void *gen_malloc(void *ctx, size_t size);
void *gen_realloc(void *ctx, void *ptr, size_t size);
void gen_free(void *ctx, void *ptr);
void convert(FILE *in);

} // namespace

int main(int argc, char *argv[])
{
	FILE *in = stdin;

	if (argc > 2 || (argc == 2 && argv[1][0] == '-'))
		die("usage: trelvin [filename]\n");
	if (argc == 2 && !(in = std::fopen(argv[1], "r")))
		die("trelvin: %s\n", std::strerror(errno));
	// A terminal keeps its line buffering, so a person sees each line as
	// it comes.  Should stdio refuse the buffer, its own one works as well.
	if (!isatty(STDOUT_FILENO))
		(void)std::setvbuf(stdout, out_buf, _IOFBF, sizeof out_buf);
	// Everything the conversion needs is open: hostile input meets a
	// process that can open, run and reach nothing more.
	enter_sandbox();
	convert(in);
	// Output that cannot be written must not pass for success.
	if (std::fclose(stdout) != 0)
		die_write();
	return 0;
}

namespace {

void die(const char *fmt, ...)
{
	va_list ap;

	va_start(ap, fmt);
	std::vfprintf(stderr, fmt, ap);
	va_end(ap);
	std::exit(1);
}

void die_write()
{
	die("trelvin: failed to write output: %s\n", std::strerror(errno));
}

// yajl hands over most output one or two bytes at a time (separators,
// indentation, quotes), where a call into fwrite costs many times the copy.
// putc_unlocked stores such a byte straight into stdout's buffer; it takes
// no lock, which is safe because one thread owns stdout.  Nothing is held
// back: every byte is in stdio's buffer before this returns.
void print_cb(void *, const char *buf, size_t len)
{
	FILE *out = stdout;

	if (len > short_chunk) {
		if (std::fwrite(buf, len, 1, out) != 1)
			die_write();
		return;
	}
	for (size_t i = 0; i < len; i++)
		if (putc_unlocked(buf[i], out) == EOF)
			die_write();
}

// yajl 2.1 allocates only inside yajl_gen_alloc (the handle, then an
// output buffer that setting the print callback frees), and uses that
// buffer without checking it: so memory running out here must end the
// program before yajl sees a null pointer.
void *gen_malloc(void *ctx, size_t size)
{
	return gen_realloc(ctx, nullptr, size);
}

void *gen_realloc(void *, void *ptr, size_t size)
{
	void *p = std::realloc(ptr, size);

	if (!p)
		die("trelvin: failed to initialize generator\n");
	return p;
}

void gen_free(void *, void *ptr)
{
	std::free(ptr);
}

// Mirrors each parse event as one generator call, until the end of the
// stream; any failure ends the process.
void convert(FILE *in)
{
	yaml_parser_t parser;
	yaml_event_t event;
	yajl_gen gen;
	const yajl_alloc_funcs alloc = {gen_malloc, gen_realloc, gen_free, nullptr};

	if (!yaml_parser_initialize(&parser))
		die("trelvin: failed to initialize parser\n");
	yaml_parser_set_input_file(&parser, in);
	if (!(gen = yajl_gen_alloc(&alloc)))
		die("trelvin: failed to initialize generator\n");
	// yajl keeps the indent pointer, so it must be a literal.
	if (!yajl_gen_config(gen, yajl_gen_beautify, 1) ||
	    !yajl_gen_config(gen, yajl_gen_indent_string, "  ") ||
	    !yajl_gen_config(gen, yajl_gen_print_callback,
	                     static_cast<yajl_print_t>(print_cb),
	                     static_cast<void *>(nullptr)))
		die("trelvin: failed to configure generator\n");

	for (;;) {
		yajl_gen_status status = yajl_gen_status_ok;

		// After a failure libyaml hands out empty events forever, so
		// the first failure has to end the loop.
		if (!yaml_parser_parse(&parser, &event))
			die("trelvin: failed to parse event\n");
		if (static_cast<unsigned>(event.type) - 1 > 9)
			die("trelvin: unexpected event type: %d\n",
			    static_cast<int>(event.type));
		switch (event.type) {
		case YAML_STREAM_END_EVENT:
			return;
		case YAML_ALIAS_EVENT:
			die("trelvin: aliases are not yet supported\n");
		case YAML_SCALAR_EVENT:
			status = gen_scalar(gen, &event);
			break;
		case YAML_SEQUENCE_START_EVENT:
			status = yajl_gen_array_open(gen);
			break;
		case YAML_SEQUENCE_END_EVENT:
			status = yajl_gen_array_close(gen);
			break;
		case YAML_MAPPING_START_EVENT:
			status = yajl_gen_map_open(gen);
			break;
		case YAML_MAPPING_END_EVENT:
			status = yajl_gen_map_close(gen);
			break;
		default:
			break;
		}
		// yajl is unsafe to call again once it has refused a call.
		if (status != yajl_gen_status_ok)
			die("trelvin: failed to emit value\n");
		yaml_event_delete(&event);
	}
}

} // namespace
