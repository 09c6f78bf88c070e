// SPDX-License-Identifier: MIT
#include "scalar.h"

#include <cstring>

namespace {

bool is_digit(unsigned char c)
{
	return c >= '0' && c <= '9';
}

// True when s[0..len) is, in full, one number of the JSON grammar.  Only
// such text is passed to the generator as a number, so the output is
// always valid JSON and keeps the number exactly as written.
bool is_num(const unsigned char *s, size_t len)
{
	size_t i = 0;

	// gen_scalar has typed an empty scalar as null before it asks, but
	// the grammar's first test stays, so that this holds for any text.
	if (len == 0) // GCOVR_EXCL_LINE
		return false; // GCOVR_EXCL_LINE
	if (s[i] == '-' && ++i == len)
		return false;
	if (s[i] == '0') {
		if (++i == len)
			return true;
	} else if (s[i] >= '1' && s[i] <= '9') {
		while (++i < len && is_digit(s[i]))
			;
		if (i == len)
			return true;
	} else {
		return false;
	}
	if (s[i] == '.') {
		if (++i == len || !is_digit(s[i]))
			return false;
		while (++i < len && is_digit(s[i]))
			;
		if (i == len)
			return true;
	}
	if (s[i] != 'e' && s[i] != 'E')
		return false;
	if (++i == len)
		return false;
	if ((s[i] == '+' || s[i] == '-') && ++i == len)
		return false;
	if (!is_digit(s[i]))
		return false;
	while (++i < len && is_digit(s[i]))
		;
	return i == len;
}

bool is_word(const unsigned char *s, size_t len, const char *word)
{
	return len == std::strlen(word) && std::memcmp(s, word, len) == 0;
}

} // namespace

yajl_gen_status gen_scalar(yajl_gen gen, const yaml_event_t *event)
{
	const unsigned char *s = event->data.scalar.value;
	size_t len = event->data.scalar.length;

	// Quoted and block scalars without a tag were written as text on
	// purpose; everything else is typed by what it spells.
	if (event->data.scalar.quoted_implicit)
		return yajl_gen_string(gen, s, len);
	if (len == 0 || is_word(s, len, "null"))
		return yajl_gen_null(gen);
	if (is_word(s, len, "true"))
		return yajl_gen_bool(gen, 1);
	if (is_word(s, len, "false"))
		return yajl_gen_bool(gen, 0);
	if (is_num(s, len))
		return yajl_gen_number(gen, reinterpret_cast<const char *>(s), len);
	return yajl_gen_string(gen, s, len);
}
