// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * prosko.h - Prosko, the VB project lister.
 *
 * Prosko reads VB project files (.vbp) and writes the source files of their
 * forms, modules and classes to standard output, one per line, as Fenrik's
 * list mode reads them.
 */
#pragma once

#include "console/console.h"

#include <cstdint>
#include <cstdio>

/* Prosko's separator set: blank = ; { } LF */
extern const char PROSKO_SEPS[];

/* The source name that memory reports carry. */
extern const char PROSKO_SOURCE[];

extern int32_t project_line;

void list_project(FILE *fp, const char *name);
