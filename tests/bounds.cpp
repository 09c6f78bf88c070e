// SPDX-License-Identifier: MIT
// Types every scalar of a YAML file from a buffer of exactly the scalar's
// length, with no terminating zero after it, so that AddressSanitizer
// stops a read one byte past a scalar.  Writes each value on a line.
// usage: bounds FILE.yaml
#include "scalar.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
	yaml_parser_t parser;
	yaml_event_t event;
	yajl_gen gen;
	FILE *in;

	if (argc != 2 || !(in = std::fopen(argv[1], "r")) ||
	    !yaml_parser_initialize(&parser) || !(gen = yajl_gen_alloc(nullptr)))
		return 2;
	yaml_parser_set_input_file(&parser, in);
	while (yaml_parser_parse(&parser, &event) && event.type != YAML_STREAM_END_EVENT) {
		if (event.type == YAML_SCALAR_EVENT) {
			size_t len = event.data.scalar.length;
			const unsigned char *json;
			size_t json_len;
			auto *exact = static_cast<unsigned char *>(std::malloc(len));

			if (!exact && len)
				return 2;
			if (len)
				std::memcpy(exact, event.data.scalar.value, len);
			std::free(event.data.scalar.value);
			event.data.scalar.value = exact;
			if (gen_scalar(gen, &event) != yajl_gen_status_ok ||
			    yajl_gen_get_buf(gen, &json, &json_len) != yajl_gen_status_ok)
				return 1;
			std::printf("%.*s\n", static_cast<int>(json_len), json);
			yajl_gen_reset(gen, nullptr);
			yajl_gen_clear(gen);
		}
		yaml_event_delete(&event);
	}
	return event.type == YAML_STREAM_END_EVENT && std::fclose(stdout) == 0 ? 0 : 1;
}
