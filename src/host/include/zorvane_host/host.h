// What every host of the module shares, in one include: the hosts' layers'
// public headers, from the bottom up. zorvane-calc, the WebAssembly glue and
// the Python package reach the core through these headers alone; a host may
// include the narrower header it needs instead.
//
//   view        formulas.h calculator.h notation.h hints.h prompt.h utf.h
//   parts       series.h parts.h
//   questions   question.h reply.h solve.h range.h pair.h
//   statistics  statistics.h histogram.h
//   design      design.h combination.h design_question.h
//   answers     answers.h
//
// Text here is UTF-8 (the module's Windows-1252 is converted at this
// boundary). Nothing here depends on the locale.
#pragma once

#include "zorvane_host/answers.h"
#include "zorvane_host/calculator.h"
#include "zorvane_host/combination.h"
#include "zorvane_host/design.h"
#include "zorvane_host/design_question.h"
#include "zorvane_host/formulas.h"
#include "zorvane_host/hints.h"
#include "zorvane_host/histogram.h"
#include "zorvane_host/host_json.h"
#include "zorvane_host/notation.h"
#include "zorvane_host/pair.h"
#include "zorvane_host/parts.h"
#include "zorvane_host/prompt.h"
#include "zorvane_host/question.h"
#include "zorvane_host/range.h"
#include "zorvane_host/reply.h"
#include "zorvane_host/series.h"
#include "zorvane_host/solve.h"
#include "zorvane_host/statistics.h"
#include "zorvane_host/utf.h"
