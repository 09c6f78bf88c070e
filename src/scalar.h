// SPDX-License-Identifier: MIT
#ifndef TRELVIN_SCALAR_H
#define TRELVIN_SCALAR_H

#include <yaml.h>
#include <yajl/yajl_gen.h>

// Emits one scalar event as the JSON value its text and style call for.
yajl_gen_status gen_scalar(yajl_gen gen, const yaml_event_t *event);

#endif
