#include "scalar.h"

#include <yaml.h>
#include <yajl/yajl_gen.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] __attribute__((format(printf, 1, 2)))
void die(const char *fmt, ...);
[[noreturn]] void die_write();
void print_cb(void *ctx, const char *buf, size_t len);
void convert(FILE *in);

} // namespace

int main(int argc, char *argv[])
{
	FILE *in = stdin;

	if (argc > 2 || (argc == 2 && argv[1][0] == '-'))
		die("usage: trelvin [filename]\n");
	if (argc == 2 && !(in = std::fopen(argv[1], "r")))
		die("trelvin: %s\n", std::strerror(errno));
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

// yajl hands over output in tiny chunks, a few bytes each, so the lock a
// plain fwrite takes per call would be the largest cost of writing; with
// one thread there is nothing to lock against.
void print_cb(void *, const char *buf, size_t len)
{
	if (len > 0 && fwrite_unlocked(buf, len, 1, stdout) != 1)
		die_write();
}

// Mirrors each parse event as one generator call, until the end of the
// stream; any failure ends the process.
void convert(FILE *in)
{
	yaml_parser_t parser;
	yaml_event_t event;
	yajl_gen gen;

	if (!yaml_parser_initialize(&parser))
		die("trelvin: failed to initialize parser\n");
	yaml_parser_set_input_file(&parser, in);
	if (!(gen = yajl_gen_alloc(nullptr)))
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
