// SPDX-License-Identifier: MIT
// Reference programs that bound what a libyaml + yajl converter can do.
// Built three ways:
//   REF_PARSE    parse only: the libyaml event loop, nothing generated;
//   REF_DISCARD  parse and generate into a callback that drops the bytes,
//                the floor for a program of this design;
//   REF_FWRITE   the same loop writing each chunk with a locked fwrite.
// They convert like trelvin but check only what keeps the timing honest.
#include "../src/scalar.h"

#include <yaml.h>
#include <yajl/yajl_gen.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void die(const char *msg)
{
	std::fprintf(stderr, "reference: %s\n", msg);
	std::exit(1);
}

#if defined(REF_DISCARD)
void print_cb(void *, const char *, size_t)
{
}
#elif defined(REF_FWRITE)
void print_cb(void *, const char *buf, size_t len)
{
	if (len > 0 && std::fwrite(buf, len, 1, stdout) != 1)
		die("write failed");
}
#endif

} // namespace

int main(int argc, char *argv[])
{
	yaml_parser_t parser;
	yaml_event_t event;
	FILE *in = argc > 1 ? std::fopen(argv[1], "r") : stdin;

	if (!in || !yaml_parser_initialize(&parser))
		die("set-up failed");
	yaml_parser_set_input_file(&parser, in);
#ifndef REF_PARSE
	yajl_gen gen = yajl_gen_alloc(nullptr);
	if (!gen || !yajl_gen_config(gen, yajl_gen_beautify, 1) ||
	    !yajl_gen_config(gen, yajl_gen_indent_string, "  ") ||
	    !yajl_gen_config(gen, yajl_gen_print_callback,
	                     static_cast<yajl_print_t>(print_cb),
	                     static_cast<void *>(nullptr)))
		die("set-up failed");
#endif
	for (;;) {
		if (!yaml_parser_parse(&parser, &event))
			die("parse failed");
		if (event.type == YAML_STREAM_END_EVENT)
			break;
#ifndef REF_PARSE
		yajl_gen_status status = yajl_gen_status_ok;
		switch (event.type) {
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
		if (status != yajl_gen_status_ok)
			die("generate failed");
#endif
		yaml_event_delete(&event);
	}
	return std::fclose(stdout) == 0 ? 0 : 1;
}
